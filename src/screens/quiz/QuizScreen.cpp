// SPDX-License-Identifier: GPL-3.0-or-later
#include "screens/quiz/QuizScreen.h"

#include "platform/Forms.h"
#include "screens/common/QuitBox.h"
#include "platform/PictureBox.h"
#include "platform/Services.h"
#include "screens/common/SaveProgress.h"
#include "screens/history/HistoryScreen.h"
#include "screens/quiz/QuestionText.h"
#include "state/Session.h"
#include "state/ProgressFile.h"
#include "state/SoundCues.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace screens {

using platform::Face;
using platform::makeFont;

namespace {

state::Session &M() { return state::session(); }

bool contains(const std::array<int, 3> &list, int n) {
    return std::find(list.begin(), list.end(), n) != list.end();
}

// Whole seconds from a start reading to now, rounded down.
float elapsedSince(float start) {
    return static_cast<float>(std::floor(double(platform::clock().secondsSinceMidnight()) - double(start)));
}

// The same for a question still in progress, for the history: a day is
// added when midnight has passed since the reading.
float secondsSoFar(float start) {
    const float seconds = elapsedSince(start);
    return seconds < 0 ? seconds + 86400 : seconds;
}

}  // namespace

QuizScreen::QuizScreen(const QuizLayout &layout)
    : Form(layout.name, QStringLiteral("  ぽむりん紀行20（√、因数分解、２次方程式・関数の巻） for Win"),
           layout.clientWidth, 5775),
      layout_(layout) {
    const int dx = layout.shift;
    const QFont gothic = makeFont(Face::Gothic, 11.25);
    const QFont mincho = makeFont(Face::Mincho, 9);

    quitButton = addButton(QStringLiteral("quitButton"), QStringLiteral("終了"), 120 + dx, 0, 855, 375);
    helpButton = addButton(QStringLiteral("helpButton"), QStringLiteral("HELP"), 960 + dx, 0, 855, 375);
    nextButton = addButton(QStringLiteral("nextButton"), QStringLiteral("次へ"), 5640 + dx, 0, 855, 375);
    questionBox = addPicture(QStringLiteral("questionBox"), 120 + dx, 360, 6375, 1935, gothic);
    choicesBox = addPicture(QStringLiteral("choicesBox"), 120 + dx, 2520, 6375, 1455, mincho);
    for (int k = 1; k <= 8; ++k) {
        const int left = k <= 4 ? 240 : 3240;
        const int top = 240 * (1 + (k - 1) % 4);
        answerButtons[k] = addButton(QStringLiteral("answerButton%1").arg(k), QString(), left, top, 2895, 255, choicesBox);
        answerButtons[k]->setFont(mincho);
        connect(answerButtons[k], &QPushButton::clicked, this, [this, k] { answerClicked(k); });
    }
    addLine(QStringLiteral("upperRule"), 840 + dx, 4200, 5760 + dx, 4200);
    scoreCaption = addLabel(QStringLiteral("scoreCaption"), QStringLiteral("ぽむりん得点"), 960 + dx, 4320, 1335, 255,
                      makeFont(Face::Gothic, 11.25, true));
    scoreLabel = addLabel(QStringLiteral("scoreLabel"), QString(), 2280 + dx, 4320, 855, 255, font());
    platform::setTextColor(scoreLabel, QColor(0, 64, 64));
    platform::setSingleBorder(scoreLabel);
    scoreLabel->setAlignment(Qt::AlignCenter);
    verdictCaption = addLabel(QStringLiteral("verdictCaption"), QStringLiteral("ぽむりん答え"), 3480 + dx, 4320, 1335, 255,
                      makeFont(Face::Gothic, 11.25, true));
    verdictLabel = addLabel(QStringLiteral("verdictLabel"), QString(), 4800 + dx, 4320, 855, 255, mincho);
    platform::setSingleBorder(verdictLabel);
    verdictLabel->setAlignment(Qt::AlignCenter);
    addLine(QStringLiteral("lowerRule"), 840 + dx, 4680, 5760 + dx, 4680);
    speechBox = addPicture(QStringLiteral("speechBox"), 1200 + dx, 4920, 4215, 615, mincho);
    mascotPose1 = addImage(QStringLiteral("mascotPose1"), QStringLiteral(":/pictures/A.xpm"), 5760 + dx, 4920, 615, 615);
    mascotPose2 = addImage(QStringLiteral("mascotPose2"), QStringLiteral(":/pictures/B.xpm"), 5760 + dx, 4920, 615, 615);
    friendPose1 = addImage(QStringLiteral("friendPose1"), QStringLiteral(":/pictures/C.xpm"), 240 + dx, 4920, 615, 615);
    friendPose2 = addImage(QStringLiteral("friendPose2"), QStringLiteral(":/pictures/D.xpm"), 240 + dx, 4920, 615, 615);
    mascotTimer = addTimer(QStringLiteral("mascotTimer"), 500, true);
    mascot_ = std::make_unique<MascotAnimation>(
        mascotTimer, QList<MascotAnimation::Pair>{{mascotPose1, mascotPose2}, {friendPose1, friendPose2}});

    // The three boxes take the focus like the buttons; each screen keeps
    // its own tab order, and the first focus is the first control in it,
    // so that no answer is given by a key pressed on arrival.
    for (QWidget *box : {static_cast<QWidget *>(questionBox), static_cast<QWidget *>(choicesBox),
                         static_cast<QWidget *>(speechBox)})
        box->setFocusPolicy(Qt::StrongFocus);
    const QList<QWidget *> order = layout.tabOrder(*this);
    setTabOrder(order);
    setFirstFocus(order.first());

    connect(nextButton, &QPushButton::clicked, this, &QuizScreen::nextClicked);
    connect(helpButton, &QPushButton::clicked, this, &QuizScreen::helpClicked);
    connect(quitButton, &QPushButton::clicked, this, &QuizScreen::quitClicked);
}

void QuizScreen::activate() {
    // Everything here runs under one trap: any failure (a missing or
    // damaged progress file above all) ends the program at once, silently.
    try {
        nextButton->setEnabled(false);
        state::progress::load(M());
        speechBox->print(QStringLiteral("「解答群の ｘ^2 は、ｘの２乗を表しているぞ！」"));
        speechBox->print(QStringLiteral("「解答群から正解を選び、ｸﾘｯｸしろよ！」"));
        speechBox->print(QStringLiteral("「分からなかったら〔HELP〕をｸﾘｯｸするんだな！」"));
        if (inRange(M().question)) questionBlock(M().question);
    } catch (const std::exception &) {
        unload();
        platform::forms::endProgram();
    }
}

void QuizScreen::questionBlock(int n) {
    state::Session &m = M();
    pickVariant(n);
    if (m.variant < 1 || m.variant > 3) return;
    if (!m.clockStarted[n] && (contains(layout_.blockOpeners, n) || m.resumed)) {
        m.answerTimes[n] = platform::clock().secondsSinceMidnight();
        m.clockStarted[n] = true;
    }
    nextButton->setEnabled(false);
    helpButton->setEnabled(true);
    if (n != layout_.first || layout_.setUpFirstQuestion) {
        m.question = static_cast<short>(n);
        m.answeredRight = false;
        platform::setCaption(verdictLabel, QString());
        questionBox->clear();
        choicesBox->clear();
    }
    showQuestion(n, m.variant, bank::Path::Activation);
    showScore();
}

void QuizScreen::pickVariant(int n) {
    state::Session &m = M();
    if (!state::Session::inRange(n) || m.variantDrawn[n]) return;
    platform::Random &rnd = platform::random();
    rnd.seed(platform::clock().secondsSinceMidnight());
    // Int(R * 3) + 1, kept within 1..3 even for a generator that returns 1.
    m.variant = static_cast<short>(std::clamp(static_cast<int>(rnd.next() * 3) + 1, 1, 3));
    m.variantDrawn[n] = true;
}

void QuizScreen::showQuestion(int n, int v, bank::Path path) {
    quiz::printQuestion(*questionBox, n, v, path);
    choicesBox->print(QStringLiteral("　解答群"));
    const bank::Question *q = bank::question(n);
    if (!q || v < 1 || v > 3) return;
    const bank::Variant &variant = q->variants[v - 1];
    for (int k = 1; k <= 7; ++k) platform::setCaption(answerButtons[k], QString::fromUtf8(variant.captions[k - 1]));
    platform::setCaption(answerButtons[8], QString::fromUtf8(bank::kOtherCaption));
}

void QuizScreen::showScore() { platform::setCaption(scoreLabel, state::progress::formatNumber(M().score, 15)); }

void QuizScreen::nextClicked() {
    state::Session &m = M();
    cues::chime(player(), cues::kClick);
    if (!m.answeredRight) {
        platform::beep().beep();
        return;
    }
    const int n = m.question;
    if (!inRange(n)) return;
    if (contains(layout_.handOvers, n)) {
        m.answerTimes[n] = elapsedSince(m.answerTimes[n]);
        nextButton->setEnabled(false);
        helpButton->setEnabled(true);
        m.question = static_cast<short>(std::min(n + 1, state::kQuestions));
        m.answeredRight = false;
        leaveFor(ScreenId::Roulette);
        return;
    }
    pickVariant(n + 1);
    if (m.variant < 1 || m.variant > 3) return;
    m.answerTimes[n] = elapsedSince(m.answerTimes[n]);
    m.answerTimes[n + 1] = platform::clock().secondsSinceMidnight();
    nextButton->setEnabled(false);
    helpButton->setEnabled(true);
    m.question = static_cast<short>(n + 1);
    m.answeredRight = false;
    platform::setCaption(verdictLabel, QString());
    questionBox->clear();
    choicesBox->clear();
    showQuestion(n + 1, m.variant, bank::Path::Next);
}

bool QuizScreen::leaveFor(ScreenId screen) {
    // The progress is saved before the screen is left; a failed save here
    // is not trapped and ends the program with a message that names it.
    if (!saveProgressOrFail()) return false;
    unload();
    return showScreen(screen) != nullptr;
}

void QuizScreen::helpClicked() {
    cues::chime(player(), cues::kClick);
    if (M().answeredRight) {
        platform::beep().beep();
        return;
    }
    enableChoices();
    leaveFor(ScreenId::Tutor);
}

void QuizScreen::quitClicked() {
    if (!askToQuit(*this)) return;
    if (!saveProgressOrFail()) return;
    unload();
    state::Session &m = M();
    HistoryScreen *historyScreen = history::showAndFill(state::progress::formatNumber(m.score, 15));
    // The current question's slot still holds the clock reading at its
    // start; the history shows the seconds spent on it so far instead.
    // The file keeps the reading, which a later continuation relies on.
    const int q = m.question;
    if (historyScreen && state::Session::inRange(q) && m.answerTimes[q] != 0)
        platform::setCaption(historyScreen->timeLabels[q], history::timeText(secondsSoFar(m.answerTimes[q])));
}

void QuizScreen::answerClicked(int k) {
    state::Session &m = M();
    const int n = m.question;
    const int v = m.variant;
    if (v < 1 || v > 3 || !state::Session::inRange(n)) return;
    if (bank::isRight(n, v, k)) {
        if (m.answeredRight) return;  // a right answer is scored once
        cues::answerChime(player(), cues::kRight);
        nextButton->setEnabled(true);
        helpButton->setEnabled(false);
        showVerdict(true);
        m.answeredRight = true;
        m.score += 3000;
        showScore();
    } else {
        if (m.misses[n] < SHRT_MAX) m.misses[n] += 1;
        cues::answerChime(player(), cues::kWrong);
        showVerdict(false);
        m.answeredRight = false;
        m.score -= 3000;
        showScore();
        lockChoices();
    }
}

void QuizScreen::showVerdict(bool right) {
    platform::setCaption(verdictLabel, right ? QStringLiteral("正解") : QStringLiteral("違う"));
    platform::setTextColor(verdictLabel, platform::paletteColor(right ? 1 : 4));
}

void QuizScreen::enableChoices() {
    for (int k = 1; k <= 8; ++k) answerButtons[k]->setEnabled(true);
}

void QuizScreen::lockChoices() {
    for (int k = 1; k <= 8; ++k) answerButtons[k]->setEnabled(false);
    speechBox->clear();
    speechBox->setColor(platform::paletteColor(4));
    speechBox->print(QStringLiteral(" 間違いだぞ!!"));
    speechBox->print(QStringLiteral(" [HELP]をクリックするんだ!!"));
    speechBox->print(QStringLiteral(" [次へ]をクリックしても無駄だぞ!!"));
}

const QuizLayout &FirstQuizScreen::layoutOf() {
    static const QuizLayout layout{QStringLiteral("firstQuizScreen"), 6630, 0, 1, 15, {1, 6, 11}, {5, 10, 15}, false,
                                   [](QuizScreen &f) {
                                       QList<QWidget *> order{f.choicesBox, f.speechBox};
                                       for (int k = 1; k <= 8; ++k) order << f.answerButtons[k];
                                       return order << f.helpButton << f.questionBox << f.quitButton << f.nextButton;
                                   }};
    return layout;
}

FirstQuizScreen::FirstQuizScreen() : QuizScreen(layoutOf()) {}

const QuizLayout &SecondQuizScreen::layoutOf() {
    static const QuizLayout layout{QStringLiteral("secondQuizScreen"), 6375, -120, 16, 30, {16, 21, 26}, {20, 25, 30}, true,
                                   [](QuizScreen &f) {
                                       QList<QWidget *> order{f.nextButton, f.quitButton, f.questionBox, f.helpButton,
                                                              f.speechBox, f.choicesBox};
                                       for (int k = 8; k >= 1; --k) order << f.answerButtons[k];
                                       return order;
                                   }};
    return layout;
}

SecondQuizScreen::SecondQuizScreen() : QuizScreen(layoutOf()) {}

}  // namespace screens
