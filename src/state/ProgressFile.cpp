// SPDX-License-Identifier: GPL-3.0-or-later
#include "state/ProgressFile.h"

#include "state/FolderNames.h"
#include "state/SaveFiles.h"

#include <QByteArrayView>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <array>
#include <cfloat>
#include <charconv>
#include <climits>
#include <cmath>

#include <sys/stat.h>
#include <unistd.h>

namespace state::progress {

namespace {

constexpr int kFields = 2 + 2 * kQuestions;
// The longest number the writer can produce is the plain decimal of the
// smallest double, about 340 characters; anything longer is not ours.
constexpr qsizetype kMaxField = 400;

std::string failure(const QString &sentence) { return sentence.toStdString(); }

const QString kKind = QStringLiteral("進み具合のファイル");

// More than any real file; a bound for hostile ones.  Anything after the
// fields is ignored, so a longer file is read up to the bound.
constexpr platform::files::ReadLimits kReadLimits{1 << 20, platform::files::Longer::Cut,
                                                  platform::files::Links::Refused};

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f'; }

// One field as a number: [+-]?(digits[.digits]|.digits)([eE][+-]?digits)?,
// checked in a single pass over at most kMaxField characters.
bool toNumber(const char *begin, const char *end, double *out) {
    if (begin == end || end - begin > kMaxField) return false;
    auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
    const char *p = begin;
    if (*p == '+' || *p == '-') ++p;
    const char *digits = p;
    while (p != end && isDigit(*p)) ++p;
    bool any = p != digits;
    if (p != end && *p == '.') {
        const char *fraction = ++p;
        while (p != end && isDigit(*p)) ++p;
        any = any || p != fraction;
    }
    if (!any) return false;
    if (p != end && (*p == 'e' || *p == 'E')) {
        ++p;
        if (p != end && (*p == '+' || *p == '-')) ++p;
        const char *exponent = p;
        while (p != end && isDigit(*p)) ++p;
        if (p == exponent) return false;
    }
    if (p != end) return false;
    // from_chars reads the same grammar but without a leading "+", and
    // always with "." as the decimal point.
    double v = 0;
    const auto [stop, ec] = std::from_chars(*begin == '+' ? begin + 1 : begin, end, v, std::chars_format::general);
    if (ec != std::errc() || stop != end || !std::isfinite(v)) return false;
    *out = v;
    return true;
}

// Rounds half to even, as integer fields were read by the old platform.
bool toShort(double v, short *out) {
    const double r = std::nearbyint(v);
    if (!(r >= SHRT_MIN && r <= SHRT_MAX)) return false;
    *out = static_cast<short>(r);
    return true;
}

// Whether v, written with the given significant digits, reads back as a
// finite number of its kind (a float for the timing slots).
bool writable(double v, int significantDigits, bool single) {
    if (!std::isfinite(v)) return false;
    const QByteArray text = formatNumber(v, significantDigits).toLatin1();
    double back = 0;
    return toNumber(text.constBegin(), text.constEnd(), &back) && (!single || std::fabs(back) <= FLT_MAX);
}

// Why the stored variables cannot make a file that reads back, or empty.
// The reader and the writer share this check, so the writer never writes
// a file that its reader refuses.
QString whyNotStorable(const Session &m) {
    if (!Session::inRange(m.question))
        return QStringLiteral("問題の番号 %1 は 1 から %2 の外です").arg(m.question).arg(kQuestions);
    if (!writable(m.score, 15, false)) return QStringLiteral("得点が書き表せない数です");
    for (int i = 1; i <= kQuestions; ++i) {
        if (m.misses[i] < 0) return QStringLiteral("問題 %1 の間違いの数が負です").arg(i);
        if (!writable(m.answerTimes[i], 7, true)) return QStringLiteral("問題 %1 の時間が書き表せない数です").arg(i);
    }
    return {};
}

// What this program last read or wrote of the progress file it plays: a
// save goes ahead only while the file is still exactly that.
struct Seen {
    QByteArray path;  // absolute; empty: nothing seen yet
    files::Seen file;
    bool lost = false;  // changed under this program once: never written again
};
Seen gSeen;

QByteArray absolutePath(const QString &name) { return QFile::encodeName(QFileInfo(name).absoluteFilePath()); }

// Reads the progress file at path into m; when seen is given, it is filled
// with what was read.
void read(const QString &path, Session &m, Seen *seen) {
    const files::ReadResult file = files::read(path, kReadLimits);
    if (file.outcome == files::ReadResult::Outcome::Missing) throw ProgressMissing(failure(file.text(path, kKind)));
    if (file.outcome != files::ReadResult::Outcome::Read) throw ProgressError(failure(file.text(path, kKind)));
    parse(file.bytes, m);
    if (seen) *seen = {absolutePath(path), {file.identity(), file.bytes}, false};
}

}  // namespace

QString fileName(const QString &stem) { return names::progressFile(stem); }

QString formatNumber(double value, int significantDigits) {
    if (!std::isfinite(value) || value == 0) return QStringLiteral("0");
    if (value == std::trunc(value) && std::fabs(value) < 1e15) return QString::number(static_cast<qlonglong>(value));
    // Round to the significant digits in scientific form ("-d.ddde+XX"),
    // which cannot overflow, then spell it out as a plain decimal.
    const QString sci = QString::number(std::fabs(value), 'e', significantDigits - 1);
    const qsizetype e = sci.indexOf(QLatin1Char('e'));
    QString digits = sci.left(e);
    digits.remove(QLatin1Char('.'));
    const int exponent = sci.mid(e + 1).toInt();
    QString text;
    if (exponent >= digits.size() - 1) {
        text = digits + QString(exponent - (digits.size() - 1), QLatin1Char('0'));
    } else if (exponent < 0) {
        text = QStringLiteral("0.") + QString(-exponent - 1, QLatin1Char('0')) + digits;
    } else {
        text = digits.left(exponent + 1) + QLatin1Char('.') + digits.mid(exponent + 1);
    }
    if (text.contains(QLatin1Char('.'))) {
        while (text.endsWith(QLatin1Char('0'))) text.chop(1);
        if (text.endsWith(QLatin1Char('.'))) text.chop(1);
    }
    if (text == QLatin1String("0")) return text;
    return value < 0 ? QLatin1Char('-') + text : text;
}

QByteArray render(const Session &m) {
    QByteArray out;
    auto line = [&out](const QString &a, const QString &b) { out += a.toLatin1() + ',' + b.toLatin1() + "\r\n"; };
    line(formatNumber(m.question, 15), formatNumber(m.score, 15));
    for (int i = 1; i <= kQuestions; ++i) line(formatNumber(m.misses[i], 7), formatNumber(m.answerTimes[i], 7));
    return out;
}

void parse(const QByteArray &content, Session &m) {
    // Fields are separated by commas or line ends; blanks around a field
    // are skipped; empty lines are skipped.  One pass, and no field grows
    // beyond kMaxField, so any content takes time in proportion to its size.
    // Each field is a view of the content from its first to its last
    // character that is not blank.
    std::array<QByteArrayView, kFields> fields;
    int count = 0;
    const char *start = nullptr;  // first non-blank character of the field, if any yet
    const char *last = nullptr;   // one past its last non-blank character
    bool inField = false;         // something (even an empty field) started on this line
    auto finish = [&] {
        fields[count++] = start ? QByteArrayView(start, last - start) : QByteArrayView();
        start = last = nullptr;
    };
    for (const char *p = content.constBegin(), *end = content.constEnd(); p != end && count < kFields; ++p) {
        const char c = *p;
        if (c == ',') {
            finish();
            inField = true;
        } else if (c == '\r' || c == '\n') {
            if (inField) finish();
            start = last = nullptr;
            inField = false;
        } else if (!isBlank(c)) {
            if (!start) start = p;
            last = p + 1;
            if (last - start > kMaxField)
                throw ProgressError(
                    failure(QStringLiteral("進み具合のファイルの %1 番目の値が長すぎます。").arg(count + 1)));
            inField = true;
        }
    }
    if (count < kFields && inField) finish();
    if (count < kFields)
        throw ProgressError(failure(
            QStringLiteral("進み具合のファイルが短すぎます（数が %1 個、%2 個必要です）。").arg(count).arg(kFields)));

    std::array<double, kFields> values{};
    for (int i = 0; i < kFields; ++i) {
        if (!toNumber(fields[i].data(), fields[i].data() + fields[i].size(), &values[i]))
            throw ProgressError(
                failure(QStringLiteral("進み具合のファイルの %1 番目の値が数ではありません。").arg(i + 1)));
    }

    Session next = m;
    bool fits = toShort(values[0], &next.question);
    next.score = values[1];
    for (int i = 1; fits && i <= kQuestions; ++i) {
        fits = toShort(values[2 * i], &next.misses[i]);
        const double t = values[2 * i + 1];
        if (std::fabs(t) > FLT_MAX) fits = false;
        next.answerTimes[i] = static_cast<float>(t);
    }
    if (!fits) throw ProgressError(failure(QStringLiteral("進み具合のファイルに範囲外の数があります。")));
    // Values a quiz screen cannot show, or that could not be saved again,
    // make the file as damaged as a word where a number should be.
    const QString why = whyNotStorable(next);
    if (!why.isEmpty())
        throw ProgressError(failure(QStringLiteral("進み具合のファイルが壊れています（%1）。").arg(why)));
    m = next;
}

void save(const Session &m) {
    const QString name = fileName(m.userCode);
    const QString why = whyNotStorable(m);
    if (!why.isEmpty()) throw ProgressError(failure(QStringLiteral("「%1」を保存できません（%2）。").arg(name, why)));
    // A file this program has seen is written only while it is still what
    // was seen; once it changed, never again.
    const QByteArray abs = absolutePath(name);
    const bool seen = !gSeen.path.isEmpty() && gSeen.path == abs;
    const QString changed =
        QStringLiteral("「%1」は、このプログラムが読んだあとでほかのところから書き換えられました。").arg(name);
    if (seen && gSeen.lost) throw ProgressChanged(failure(changed));
    files::ReplaceOptions options;
    options.unchangedSince = seen ? &gSeen.file : nullptr;
    // The hold's temporaries are swept with the file's own.
    options.alsoSweep = {QByteArray(names::kHoldEnding)};
    const QByteArray bytes = render(m);
    try {
        const files::Written written = files::replace(name, bytes, options);
        gSeen = {abs, {written.identity, bytes}, false};
    } catch (const files::FileError &e) {
        if (e.step != files::FileError::Step::Changed) throw ProgressError(e.what());
        gSeen.lost = true;
        throw ProgressChanged(failure(changed));
    }
}

void loadFrom(const QString &path, Session &m) { read(path, m, nullptr); }

void load(Session &m) {
    Seen seen;
    read(fileName(m.userCode), m, &seen);
    gSeen = seen;
}

bool belongsToAnotherAccount(const QString &stem) {
    const QByteArray target = QFile::encodeName(fileName(stem));
    struct stat st {};
    return files::stickyFolder(files::folderOf(target)) && ::lstat(target.constData(), &st) == 0 &&
           st.st_uid != ::geteuid();
}

QString normalizedCode(const QString &code) { return code.normalized(QString::NormalizationForm_C); }

bool hasEdgeBlank(const QString &code) {
    return !code.isEmpty() &&
           (code.front().category() == QChar::Separator_Space || code.back().category() == QChar::Separator_Space);
}

bool isAcceptableCode(const QString &code) {
    // A blank before or after would name a file that looks like another code's.
    if (code.isEmpty() || hasEdgeBlank(code)) return false;
    for (qsizetype i = 0; i < code.size(); ++i) {
        char32_t u = code[i].unicode();
        if (QChar::isHighSurrogate(u) && i + 1 < code.size() && code[i + 1].isLowSurrogate()) {
            u = QChar::surrogateToUcs4(code[i], code[i + 1]);
            ++i;
        }
        if (u == U'/' || u == U'\\') return false;
        switch (QChar::category(u)) {
        case QChar::Other_Control:      // C0, DEL, C1
        case QChar::Other_Format:       // invisible: direction overrides, joiners, BOM
        case QChar::Other_Surrogate:    // a lone half of a pair
        case QChar::Other_PrivateUse:   // no agreed look
        case QChar::Other_NotAssigned:  // unknown, and noncharacters
        case QChar::Separator_Line:
        case QChar::Separator_Paragraph: return false;
        default: break;
        }
    }
    const QString stem = normalizedCode(code);
    if (stem == QLatin1String(".") || stem == QLatin1String("..")) return false;
    long nameMax = ::pathconf(".", _PC_NAME_MAX);
    if (nameMax <= 0) nameMax = 255;
    return fileName(stem).toUtf8().size() + files::kLongestEnding <= nameMax;
}

}  // namespace state::progress
