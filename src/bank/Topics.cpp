// SPDX-License-Identifier: GPL-3.0-or-later
// The topics of the course and the questions' titles, written out from
// what the questions ask.
#include "bank/Topics.h"

#include "bank/QuestionBank.h"

#include <QStringList>

#include <array>

namespace bank {

namespace {

constexpr std::array<Topic, 6> kTopics = {{
    {"平方根", 1, 4},
    {"√の変形と乗除", 5, 10},
    {"√をふくむ式の計算", 11, 16},
    {"因数分解", 17, 21},
    {"２次方程式", 22, 26},
    {"関数ｙ＝ａｘ²", 27, 30},
}};

constexpr std::array<const char *, kLastQuestion> kTitles = {
    "平方根を求める",                  // 1: 16 の平方根
    "√をはずす（√１６＝４）",          // 2
    "√の値（１００倍の数）",           // 3: √3.4 から √340
    "√の値（１００分の１の数）",       // 4: √3.4 から √0.034
    "√の中を簡単に（ａ√ｂ）",          // 5: √98 = 7√2
    "√の中を簡単に（分数）",           // 6: √(15/48)
    "√の乗除（÷と×）",                 // 7
    "√の除法（÷が２つ）",              // 8
    "分母の有理化（ａ√ｂ）",           // 9: 7/(2√2)
    "分母の有理化（√÷√）",             // 10: √3/√24
    "√の加減",                         // 11
    "√をふくむ式の展開",               // 12: (2+4√3)(3−√3), (3+2√2)²
    "有理化してから加減",              // 13: 6√2 − 8/√2
    "√の加減と乗法",                   // 14
    "√の計算（÷でまとめる）",          // 15: (√18 + 2/√2) ÷ √2
    "√の計算（分配）",                 // 16: √2(3+√6) − √3(2−√6)
    "共通因数でくくる",                // 17: 4x³y² − 2x²y³
    "ｘ²＋ａｘ＋ｂ の因数分解",        // 18
    "平方の公式で因数分解",            // 19: x² − 6xy + 9y²
    "和と差の積の公式で因数分解",      // 20: 16x² − 9y²
    "共通因数をくくって公式",          // 21: a²b − 4ab + 4b
    "ａｘ²＝ｂ の形",                  // 22
    "ａ(ｘ＋ｍ)²＝ｂ の形",            // 23
    "因数分解で解く",                  // 24: x² − 3x − 54 = 0
    "ｘでくくって解く",                // 25: x² − 5x = 0
    "式を整理してから解く",            // 26: (x−2)² = 4(x−3)
    "ｙ＝ａｘ² の式を求める",          // 27
    "変化の割合",                      // 28
    "ｙの変域（ｘが０をふくむ）",      // 29: −1 ≦ x ≦ 3
    "ｙの変域（ｘが０をふくまない）",  // 30: −3 ≦ x ≦ −1
};

bool isIndent(QChar c) { return c == QLatin1Char(' ') || c == QChar(0x3000); }
bool isDigit(QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); }

QString superscript(const QString &digits) {
    static const char16_t kRaised[] = u"⁰¹²³⁴⁵⁶⁷⁸⁹";
    QString out;
    for (QChar d : digits) out += QChar(kRaised[d.unicode() - '0']);
    return out;
}

// The base line with the k-th digit group of the exponent line written
// at its k-th gap, the rule by which the console places them: a gap is a
// run of two or more ASCII blanks right after a character that is neither
// an ASCII blank nor an ideographic space.  The raised digit takes the
// gap's place; a wider gap keeps one blank after it, as it reads.  When the
// counts differ, the digits follow the line in brackets.
QString withExponents(const QString &exponentLine, const QString &base) {
    QStringList groups;
    for (qsizetype i = 0; i < exponentLine.size();) {
        if (!isDigit(exponentLine[i])) {
            ++i;
            continue;
        }
        qsizetype end = i;
        while (end < exponentLine.size() && isDigit(exponentLine[end])) ++end;
        groups << exponentLine.mid(i, end - i);
        i = end;
    }
    struct Gap {
        qsizetype at, length;
    };
    QList<Gap> gaps;
    for (qsizetype i = 1; i + 1 < base.size(); ++i) {
        if (base[i] != QLatin1Char(' ') || base[i + 1] != QLatin1Char(' ') || isIndent(base[i - 1])) continue;
        qsizetype end = i;
        while (end < base.size() && base[end] == QLatin1Char(' ')) ++end;
        gaps.push_back({i, end - i});
        i = end;
    }
    if (gaps.size() != groups.size())
        return base + QStringLiteral("（") + groups.join(QLatin1Char(',')) + QStringLiteral("）");
    QString out;
    qsizetype from = 0;
    for (qsizetype k = 0; k < gaps.size(); ++k) {
        out += base.mid(from, gaps[k].at - from) + superscript(groups[k]);
        from = gaps[k].at + gaps[k].length;
        if (gaps[k].length > 2 && from < base.size()) out += QLatin1Char(' ');
    }
    return out + base.mid(from);
}

QString trimmed(const QString &line) {
    qsizetype start = 0, end = line.size();
    while (start < end && isIndent(line[start])) ++start;
    while (end > start && isIndent(line[end - 1])) --end;
    return line.mid(start, end - start);
}

bool onlyDigitsAndBlanks(const QString &line) {
    bool digit = false;
    for (QChar c : line) {
        if (isDigit(c))
            digit = true;
        else if (!isIndent(c))
            return false;
    }
    return digit;
}

}  // namespace

std::span<const Topic> topics() { return kTopics; }

const Topic *topicOf(int n) {
    for (const Topic &t : kTopics)
        if (n >= t.first && n <= t.last) return &t;
    return nullptr;
}

const char *titleOf(int n) {
    if (n < kFirstQuestion || n > kLastQuestion) return nullptr;
    return kTitles[size_t(n - kFirstQuestion)];
}

QString problemText(int n, int v) {
    const Question *q = question(n);
    if (q == nullptr || v < 1 || v > 3) return {};
    const Variant &variant = q->variants[size_t(v - 1)];
    QStringList lines;
    if (const char *instruction = variant.instruction ? variant.instruction : q->instruction)
        lines << QString::fromUtf8(instruction);
    for (size_t i = 0; i < variant.problem.size() && variant.problem[i].text; ++i) {
        const QString line = QString::fromUtf8(variant.problem[i].text);
        // An exponent line is drawn first, its base line moved up under it.
        const bool raised = onlyDigitsAndBlanks(line) && i + 1 < variant.problem.size() &&
                            variant.problem[i + 1].text && variant.problem[i + 1].setY >= 0;
        if (raised) {
            lines << trimmed(withExponents(line, QString::fromUtf8(variant.problem[i + 1].text)));
            ++i;
        } else {
            lines << trimmed(line);
        }
    }
    return lines.join(QLatin1Char('\n'));
}

QString questionsText(const std::vector<int> &questions) {
    QStringList names;
    for (const Topic &t : kTopics)
        for (int q : questions)
            if (q >= t.first && q <= t.last) {
                names << QString::fromUtf8(t.name);
                break;
            }
    return QStringLiteral("%1 %2問").arg(names.join(QStringLiteral("・"))).arg(questions.size());
}

}  // namespace bank
