// SPDX-License-Identifier: GPL-3.0-or-later
#include "screens/review/ReviewSummary.h"

#include "bank/Topics.h"

#include <algorithm>
#include "platform/Forms.h"
#include "platform/Services.h"
#include "screens/Screens.h"
#include "screens/review/Review.h"
#include "screens/review/ReviewMix.h"
#include "state/SoundCues.h"

namespace screens {

using platform::Face;
using platform::makeFont;

namespace {

constexpr int kRowTop = 540, kRowHeight = 270;

// What the pupil hears after a round of practised questions, rightFirst
// of them right at the first try.
QString wordFor(int practised, int rightFirst) {
    if (practised > 0 && rightFirst == practised) return QStringLiteral("全部一度で正解！よくがんばったな！");
    if (rightFirst == 0) return QStringLiteral("解き方をもう一度見て、次の復習でがんばろう！");
    return QStringLiteral("%1問中%2問が一度で正解！\n間違えた問題は、また出てくるぞ！").arg(practised).arg(rightFirst);
}

// When the next review is due, as the record now stands.
QString nextDueText(const review::Review &r) {
    const QDate today = platform::clock().today();
    if (!review::chooseRound(r.progress, r.record, r.assignment, today).empty())
        return QStringLiteral("次の復習：今日（まだ問題があります）");
    const QDate next = review::nextDueDay(r.progress, r.record, r.assignment, today);
    if (!next.isValid()) return QStringLiteral("次の復習：ありません（全部覚えました）");
    return QStringLiteral("次の復習：%1").arg(review::dayText(next));
}

}  // namespace

ReviewSummary::ReviewSummary()
    : Form(QStringLiteral("reviewSummary"), QStringLiteral(" ぽむりん紀行20 復習のまとめ"), 6000, 4800) {
    const QFont gothic = makeFont(Face::Gothic, 11.25);
    const QFont bold = makeFont(Face::Gothic, 11.25, true);
    addLabel(QStringLiteral("numberHeading"), QStringLiteral("番号"), 360, 240, 720, 270, bold);
    addLabel(QStringLiteral("titleHeading"), QStringLiteral("問題"), 1080, 240, 3600, 270, bold);
    addLabel(QStringLiteral("resultHeading"), QStringLiteral("一度で正解"), 4680, 240, 1080, 270, bold)
        ->setAlignment(Qt::AlignCenter);
    addLine(QStringLiteral("headingRule"), 360, 525, 5760, 525);
    for (int i = 0; i < review::kRoundLength; ++i) {
        const int top = kRowTop + i * kRowHeight;
        numberLabels[i] = addLabel(QStringLiteral("numberLabel%1").arg(i + 1), QString(), 360, top, 720, 270, gothic);
        titleLabels[i] = addLabel(QStringLiteral("titleLabel%1").arg(i + 1), QString(), 1080, top, 3600, 270, gothic);
        resultLabels[i] = addLabel(QStringLiteral("resultLabel%1").arg(i + 1), QString(), 4680, top, 1080, 270, gothic);
        resultLabels[i]->setAlignment(Qt::AlignCenter);
    }
    // Two lines for the word, so that a long one wraps rather than being cut.
    wordLabel = addLabel(QStringLiteral("wordLabel"), QString(), 360, 3330, 5400, 540, bold);
    wordLabel->setWordWrap(true);
    wordLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    nextDueLabel = addLabel(QStringLiteral("nextDueLabel"), QString(), 360, 3900, 5400, 270, gothic);
    againButton = addButton(QStringLiteral("againButton"), QStringLiteral("もう一度"), 1320, 4290, 1575, 375);
    endButton = addButton(QStringLiteral("endButton"), QStringLiteral("終了"), 3120, 4290, 1575, 375);
    setTabOrder({againButton, endButton});
    setFirstFocus(againButton);
    connect(againButton, &QPushButton::clicked, this, &ReviewSummary::againClicked);
    connect(endButton, &QPushButton::clicked, this, &ReviewSummary::endClicked);
}

void ReviewSummary::activate() {
    const review::Review &r = review::current();
    if (!r.round) return;
    const std::vector<review::Round::Practice> &done = r.round->practices();
    // A round with the 課題 may be longer than the table: its last row
    // then counts the rest.
    const int rows = int(done.size()) > review::kRoundLength ? review::kRoundLength - 1 : int(done.size());
    for (int i = 0; i < rows; ++i) {
        const int q = done[i].question;
        platform::setCaption(numberLabels[i], QStringLiteral("問%1").arg(q));
        platform::setCaption(titleLabels[i], QString::fromUtf8(bank::titleOf(q) ? bank::titleOf(q) : ""));
        platform::setCaption(resultLabels[i], done[i].rightFirstTime ? QStringLiteral("○") : QStringLiteral("×"));
    }
    if (rows < int(done.size())) {
        const auto rest = done.begin() + rows;
        platform::setCaption(titleLabels[rows], QStringLiteral("ほか %1 問").arg(done.end() - rest));
        platform::setCaption(resultLabels[rows],
                             QStringLiteral("○ %1").arg(
                                 std::count_if(rest, done.end(), [](const auto &p) { return p.rightFirstTime; })));
    }
    QString word = wordFor(r.round->practised(), r.round->rightFirstTime());
    if (r.assignmentInRound && review::assignmentDone())
        word = QStringLiteral("課題は全部できました！\n") + word.section(QLatin1Char('\n'), 0, 0);
    platform::setCaption(wordLabel, word);
    platform::setCaption(nextDueLabel, nextDueText(r));
}

void ReviewSummary::againClicked() {
    cues::chime(player(), cues::kClick);
    // The message that there is nothing left is shown over this window,
    // so that the program does not end under it.
    if (!review::beginRound(this)) {
        platform::forms::endProgram();
        return;
    }
    unload();  // before the next round shows: one window at a time
    showScreen(ScreenId::Review);
}

void ReviewSummary::endClicked() {
    cues::chime(player(), cues::kQuit);
    platform::forms::endProgram();
}

}  // namespace screens
