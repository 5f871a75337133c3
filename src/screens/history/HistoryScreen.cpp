// SPDX-License-Identifier: GPL-3.0-or-later
#include "screens/history/HistoryScreen.h"

#include "platform/Forms.h"
#include "screens/Screens.h"
#include "screens/common/NumberText.h"
#include "screens/common/QuitBox.h"
#include "state/Session.h"
#include "state/SoundCues.h"

namespace screens {

using platform::Face;
using platform::makeFont;

namespace {

// The grid: question i stands in column (i - 1) / 10, row (i - 1) % 10.
constexpr int kGridTop = 1560, kRowStep = 360, kColumnStep = 1920;

QString questionName(int i) {
    if (i == 2) return QStringLiteral("問題 2 ");  // the design's caption keeps a trailing blank
    if (i == 30) return QStringLiteral("問題30 終　了");
    return i < 10 ? QStringLiteral("問題 %1").arg(i) : QStringLiteral("問題%1").arg(i);
}

}  // namespace

HistoryScreen::HistoryScreen()
    : Form(QStringLiteral("historyScreen"),
           QStringLiteral("  ぽむりん紀行20(√、因数分解、２次方程式・関数の巻) for Windows"), 6855, 6015) {
    const QFont small = makeFont(Face::Gothic, 9);
    headingLabel = addLabel(QStringLiteral("headingLabel"), QStringLiteral("学習の履歴"), 2520, 240, 1575, 375,
                            makeFont(Face::Gothic, 14.25, true));
    platform::setSingleBorder(headingLabel);
    headingLabel->setAlignment(Qt::AlignCenter);
    quitButton = addButton(QStringLiteral("quitButton"), QStringLiteral("終了"), 5280, 240, 855, 375);
    quitButton->setFont(small);
    mascotPose2 = addImage(QStringLiteral("mascotPose2"), QStringLiteral(":/pictures/B.xpm"), 720, 120, 615, 615);
    mascotPose1 = addImage(QStringLiteral("mascotPose1"), QStringLiteral(":/pictures/A.xpm"), 720, 120, 615, 615);
    progressLabel = addLabel(QStringLiteral("progressLabel"), QString(), 360, 960, 4335, 255, small);
    legendLabel = addLabel(QStringLiteral("legendLabel"),
                           QStringLiteral("以下には、各問題ごとのあなたの間違った回数と解答時間(秒)が示してあります。"),
                           360, 1200, 6255, 255, small);
    for (int i = 1; i <= state::kQuestions; ++i) {
        const int column = (i - 1) / 10, row = (i - 1) % 10;
        const int top = kGridTop + kRowStep * row;
        const int left = kColumnStep * column;
        questionLabels[i] = addLabel(QStringLiteral("questionLabel%1").arg(i), questionName(i), 600 + left, top, 615,
                                     i == 30 ? 375 : 255, small);
        questionLabels[i]->setWordWrap(i == 30);
        missLabels[i] = addLabel(QStringLiteral("missLabel%1").arg(i), QString(), 1200 + left, top, 495, 255, small);
        platform::setSingleBorder(missLabels[i]);
        missLabels[i]->setAlignment(Qt::AlignCenter);
        timeLabels[i] = addLabel(QStringLiteral("timeLabel%1").arg(i), QString(), 1800 + left, top, 615, 255, small);
        platform::setSingleBorder(timeLabels[i]);
        timeLabels[i]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    }
    scoreCaption = addLabel(QStringLiteral("scoreCaption"), QStringLiteral("得点"), 2520, 5400, 495, 255,
                            makeFont(Face::Gothic, 12));
    scoreLabel = addLabel(QStringLiteral("scoreLabel"), QString(), 3120, 5400, 735, 255, small);
    platform::setSingleBorder(scoreLabel);
    scoreLabel->setAlignment(Qt::AlignCenter);
    mascotTimer = addTimer(QStringLiteral("mascotTimer"), 500, true);
    mascot_ = std::make_unique<MascotAnimation>(mascotTimer, QList<MascotAnimation::Pair>{{mascotPose1, mascotPose2}});

    // "終了" is the only control that takes the focus.
    setTabOrder({quitButton});
    setFirstFocus(quitButton);
    connect(quitButton, &QPushButton::clicked, this, &HistoryScreen::quitClicked);
}

void HistoryScreen::activate() {
    cues::tune(player(), cues::kHistoryTune, QStringLiteral("close"));
    const state::Session &m = state::session();
    for (int i = 1; i <= state::kQuestions; ++i)
        platform::setCaption(timeLabels[i], history::timeText(m.answerTimes[i]));
}

void HistoryScreen::quitClicked() {
    if (askToQuit(*this)) {
        unload();
        platform::forms::endProgram();
    }
}

namespace history {

QString progressMessage(int questionNo) {
    return QStringLiteral("あなたは、問題 %1 番まで進んでいます。").arg(questionNo);
}

QString missText(int count) { return signedText(count, 7); }

QString timeText(double seconds) { return seconds == 0 ? QString() : signedText(seconds, 7); }

HistoryScreen *showAndFill(const QString &scoreText) {
    auto *form = qobject_cast<HistoryScreen *>(showScreen(ScreenId::History));
    if (!form) return nullptr;
    state::Session &m = state::session();
    platform::setCaption(form->progressLabel, progressMessage(m.question));
    for (int i = 1; i <= state::kQuestions; ++i) m.missTexts[i] = i <= m.question ? missText(m.misses[i]) : QString();
    for (int i = 1; i <= state::kQuestions; ++i) platform::setCaption(form->missLabels[i], m.missTexts[i]);
    platform::setCaption(form->scoreLabel, scoreText);
    return form;
}

}  // namespace history
}  // namespace screens
