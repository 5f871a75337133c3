// SPDX-License-Identifier: GPL-3.0-or-later
#include "screens/review/ReviewSummary.h"

#include "platform/Forms.h"
#include "screens/Screens.h"
#include "screens/review/Review.h"
#include "state/SoundCues.h"

namespace screens {

using platform::Face;
using platform::makeFont;

ReviewSummary::ReviewSummary()
    : Form(QStringLiteral("reviewSummary"), QStringLiteral(" ぽむりん紀行20 復習のまとめ"), 6000, 4920) {
    const QFont gothic = makeFont(Face::Gothic, 11.25);
    const QFont bold = makeFont(Face::Gothic, 11.25, true);
    practisedLabel = addLabel(QStringLiteral("practisedLabel"), QString(), 240, 240, 5520, 300, bold);
    firstTryLabel = addLabel(QStringLiteral("firstTryLabel"), QString(), 240, 600, 5520, 300, bold);
    missedCaption = addLabel(QStringLiteral("missedCaption"), QStringLiteral("まだ間違えている問題："), 240, 1080, 5520, 300, gothic);
    // Up to ten titles, one a line.
    missedList = addLabel(QStringLiteral("missedList"), QString(), 480, 1440, 5280, 2760, gothic);
    missedList->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    againButton = addButton(QStringLiteral("againButton"), QStringLiteral("もう一度"), 1320, 4320, 1575, 375);
    endButton = addButton(QStringLiteral("endButton"), QStringLiteral("終了"), 3120, 4320, 1575, 375);
    setTabOrder({againButton, endButton});
    setFirstFocus(againButton);
    connect(againButton, &QPushButton::clicked, this, &ReviewSummary::againClicked);
    connect(endButton, &QPushButton::clicked, this, &ReviewSummary::endClicked);
}

void ReviewSummary::activate() {
    const review::Review &r = review::current();
    if (!r.round) return;
    platform::setCaption(practisedLabel, QStringLiteral("練習した問題：%1問").arg(r.round->practised()));
    platform::setCaption(firstTryLabel, QStringLiteral("一度で正解した問題：%1問").arg(r.round->rightFirstTime()));
    QStringList titles;
    for (int q : r.round->stillMissed()) titles << review::questionTitle(q);
    platform::setCaption(missedList, titles.isEmpty() ? QStringLiteral("ありません。よくできました！") : titles.join(QLatin1Char('\n')));
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
