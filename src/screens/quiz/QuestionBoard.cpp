// SPDX-License-Identifier: GPL-3.0-or-later
#include "screens/quiz/QuestionBoard.h"

#include "platform/PictureBox.h"
#include "screens/quiz/QuestionText.h"

namespace screens {

using platform::Face;
using platform::makeFont;

QuestionBoard::QuestionBoard(platform::Form &form, int dx, const QString &tallyCaption) {
    const QFont gothic = makeFont(Face::Gothic, 11.25);
    const QFont mincho = makeFont(Face::Mincho, 9);

    quitButton = form.addButton(QStringLiteral("quitButton"), QStringLiteral("終了"), 120 + dx, 0, 855, 375);
    helpButton = form.addButton(QStringLiteral("helpButton"), QStringLiteral("HELP"), 960 + dx, 0, 855, 375);
    nextButton = form.addButton(QStringLiteral("nextButton"), QStringLiteral("次へ"), 5640 + dx, 0, 855, 375);
    questionBox = form.addPicture(QStringLiteral("questionBox"), 120 + dx, 360, 6375, 1935, gothic);
    choicesBox = form.addPicture(QStringLiteral("choicesBox"), 120 + dx, 2520, 6375, 1455, mincho);
    for (int k = 1; k <= 8; ++k) {
        const int left = k <= 4 ? 240 : 3240;
        const int top = 240 * (1 + (k - 1) % 4);
        answerButtons[k] =
            form.addButton(QStringLiteral("answerButton%1").arg(k), QString(), left, top, 2895, 255, choicesBox);
        answerButtons[k]->setFont(mincho);
    }
    form.addLine(QStringLiteral("upperRule"), 840 + dx, 4200, 5760 + dx, 4200);
    scoreCaption = form.addLabel(QStringLiteral("scoreCaption"), tallyCaption, 960 + dx, 4320, 1335, 255,
                                 makeFont(Face::Gothic, 11.25, true));
    scoreLabel = form.addLabel(QStringLiteral("scoreLabel"), QString(), 2280 + dx, 4320, 855, 255, form.font());
    platform::setTextColor(scoreLabel, QColor(0, 64, 64));
    platform::setSingleBorder(scoreLabel);
    scoreLabel->setAlignment(Qt::AlignCenter);
    verdictCaption = form.addLabel(QStringLiteral("verdictCaption"), QStringLiteral("ぽむりん答え"), 3480 + dx, 4320,
                                   1335, 255, makeFont(Face::Gothic, 11.25, true));
    verdictLabel = form.addLabel(QStringLiteral("verdictLabel"), QString(), 4800 + dx, 4320, 855, 255, mincho);
    platform::setSingleBorder(verdictLabel);
    verdictLabel->setAlignment(Qt::AlignCenter);
    form.addLine(QStringLiteral("lowerRule"), 840 + dx, 4680, 5760 + dx, 4680);
    speechBox = form.addPicture(QStringLiteral("speechBox"), 1200 + dx, 4920, 4215, 615, mincho);
    mascotPose1 =
        form.addImage(QStringLiteral("mascotPose1"), QStringLiteral(":/pictures/A.xpm"), 5760 + dx, 4920, 615, 615);
    mascotPose2 =
        form.addImage(QStringLiteral("mascotPose2"), QStringLiteral(":/pictures/B.xpm"), 5760 + dx, 4920, 615, 615);
    friendPose1 =
        form.addImage(QStringLiteral("friendPose1"), QStringLiteral(":/pictures/C.xpm"), 240 + dx, 4920, 615, 615);
    friendPose2 =
        form.addImage(QStringLiteral("friendPose2"), QStringLiteral(":/pictures/D.xpm"), 240 + dx, 4920, 615, 615);
    mascotTimer = form.addTimer(QStringLiteral("mascotTimer"), 500, true);
    mascot_ = std::make_unique<MascotAnimation>(
        mascotTimer, QList<MascotAnimation::Pair>{{mascotPose1, mascotPose2}, {friendPose1, friendPose2}});

    // The three boxes take the focus like the buttons; each window keeps
    // its own tab order.
    for (QWidget *box :
         {static_cast<QWidget *>(questionBox), static_cast<QWidget *>(choicesBox), static_cast<QWidget *>(speechBox)})
        box->setFocusPolicy(Qt::StrongFocus);

    for (int k = 1; k <= 8; ++k)
        connect(answerButtons[k], &QPushButton::clicked, this, [this, k] { emit answerClicked(k); });
    connect(nextButton, &QPushButton::clicked, this, &QuestionBoard::nextClicked);
    connect(helpButton, &QPushButton::clicked, this, &QuestionBoard::helpClicked);
    connect(quitButton, &QPushButton::clicked, this, &QuestionBoard::quitClicked);
}

void QuestionBoard::showQuestion(int n, int v, bank::Path path) {
    quiz::printQuestion(*questionBox, n, v, path);
    choicesBox->print(QStringLiteral("　解答群"));
    const bank::Question *q = bank::question(n);
    if (!q || v < 1 || v > 3) return;
    const bank::Variant &variant = q->variants[v - 1];
    for (int k = 1; k <= 8; ++k) answerButtons[k]->setPalette(QPalette());  // no mark yet
    for (int k = 1; k <= 7; ++k) platform::setCaption(answerButtons[k], QString::fromUtf8(variant.captions[k - 1]));
    platform::setCaption(answerButtons[8], QString::fromUtf8(bank::kOtherCaption));
}

void QuestionBoard::clearQuestion() {
    platform::setCaption(verdictLabel, QString());
    questionBox->clear();
    choicesBox->clear();
}

void QuestionBoard::setChoicesEnabled(bool enabled) {
    for (int k = 1; k <= 8; ++k) answerButtons[k]->setEnabled(enabled);
}

void QuestionBoard::setAnsweredRight(bool right) {
    nextButton->setEnabled(right);
    helpButton->setEnabled(!right);
}

void QuestionBoard::showTally(const QString &text) { platform::setCaption(scoreLabel, text); }

void QuestionBoard::showVerdict(bool right) {
    platform::setCaption(verdictLabel, right ? QStringLiteral("正解") : QStringLiteral("違う"));
    platform::setTextColor(verdictLabel, platform::paletteColor(right ? 1 : 4));
}

void QuestionBoard::markAnswer(int k, const QString &mark) {
    if (k < 1 || k > 8) return;
    platform::setCaption(answerButtons[k], mark + QLatin1Char(' ') + answerButtons[k]->text());
    // A marked answer stays readable when its button is disabled.
    QPalette palette = answerButtons[k]->palette();
    palette.setColor(QPalette::Disabled, QPalette::ButtonText, palette.color(QPalette::Active, QPalette::ButtonText));
    answerButtons[k]->setPalette(palette);
}

void QuestionBoard::say(const QStringList &lines, int color) {
    speechBox->clear();
    speechBox->setColor(platform::paletteColor(color));
    sayMore(lines);
}

void QuestionBoard::sayMore(const QStringList &lines) {
    for (const QString &line : lines) speechBox->print(line);
}

}  // namespace screens
