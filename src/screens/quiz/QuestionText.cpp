// SPDX-License-Identifier: GPL-3.0-or-later
#include "screens/quiz/QuestionText.h"

namespace quiz {
namespace {

// An instruction is drawn after four ideographic spaces.
const QString kInstructionIndent = QStringLiteral("　　　　");

const QString kClosingLine = QStringLiteral("　　　　下の解答群から適するものを１つ選び、クリックしなさい。");
// The same line with eight ASCII blanks in place of the ideographic spaces.
const QString kBlankClosingLine = QStringLiteral("        下の解答群から適するものを１つ選び、クリックしなさい。");

// Questions 6 and 8 explain that "ｂ／ａ" means a fraction with b over a,
// with the b and the a drawn above and below the dash of the middle line.
const QString kFractionNote[] = {
    QStringLiteral("　　　　　　　　　　　　　　　　ｂ"),
    QStringLiteral(" 　　　　※ ｂ／ａ は 分数 ― のことである。"),
    QStringLiteral("　　　　　　　　　　　　　　　　ａ"),
};
constexpr int kNoteColor = 12;  // light red
constexpr int kTextColor = 0;   // black

const char *instructionFor(const bank::Question &q, const bank::Variant &variant, bank::Path path) {
    if (variant.instruction != nullptr) return variant.instruction;
    if (path == bank::Path::Next && q.instructionOnNext != nullptr) return q.instructionOnNext;
    return q.instruction;
}

bool closesWithBlanks(const bank::Variant &variant, bank::Path path) {
    return variant.blankClosing || (path == bank::Path::Next && variant.blankClosingOnNext);
}

}  // namespace

void printQuestion(platform::Console &picture1, int n, int v, bank::Path path) {
    const bank::Question *q = bank::question(n);
    if (q == nullptr || v < 1 || v > static_cast<int>(q->variants.size())) return;
    const bank::Variant &variant = q->variants[v - 1];

    picture1.newLine();
    picture1.print(QString::fromUtf8(q->heading));

    if (const char *instruction = instructionFor(*q, variant, path))
        picture1.print(kInstructionIndent + QString::fromUtf8(instruction));

    // A base line under an exponent line first moves the print position
    // back up, so that the two lines overlap.
    for (const bank::ProblemLine &line : variant.problem) {
        if (line.text == nullptr) continue;
        if (line.setY >= 0) picture1.setY(line.setY);
        picture1.print(QString::fromUtf8(line.text));
    }

    picture1.print(closesWithBlanks(variant, path) ? kBlankClosingLine : kClosingLine);

    if (q->fractionNote) {
        picture1.setColor(platform::paletteColor(kNoteColor));
        for (const QString &line : kFractionNote) picture1.print(line);
        picture1.setColor(platform::paletteColor(kTextColor));
    }

    // The question area then receives a few more lines holding nothing but
    // blanks; they show nothing and leave nothing to read, so they are not
    // drawn at all.
}

}  // namespace quiz
