// SPDX-License-Identifier: GPL-3.0-or-later
#include "screens/quiz/QuizScreen.h"

#include "platform/Forms.h"
#include "platform/PictureBox.h"
#include "platform/Services.h"
#include "screens/common/QuitBox.h"
#include "screens/common/SaveProgress.h"
#include "screens/history/HistoryScreen.h"
#include "state/ProgressFile.h"
#include "state/Session.h"
#include "state/SoundCues.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace screens {

namespace {

state::Session &M() { return state::session(); }

bool contains(const std::array<int, 3> &list, int n) { return std::find(list.begin(), list.end(), n) != list.end(); }

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
      board(*this, layout.shift, QStringLiteral("ぽむりん得点")), layout_(layout) {
    // The first focus is the first control in the screen's tab order, so
    // that no answer is given by a key pressed on arrival.
    const QList<QWidget *> order = layout.tabOrder(board);
    setTabOrder(order);
    setFirstFocus(order.first());

    connect(&board, &QuestionBoard::answerClicked, this, &QuizScreen::answerClicked);
    connect(&board, &QuestionBoard::nextClicked, this, &QuizScreen::nextClicked);
    connect(&board, &QuestionBoard::helpClicked, this, &QuizScreen::helpClicked);
    connect(&board, &QuestionBoard::quitClicked, this, &QuizScreen::quitClicked);
}

void QuizScreen::activate() {
    // Everything here runs under one trap: any failure (a missing or
    // damaged progress file above all) ends the program at once, silently.
    try {
        board.setAnsweredRight(false);
        state::progress::load(M());
        board.sayMore({QStringLiteral("「解答群の ｘ^2 は、ｘの２乗を表しているぞ！」"),
                       QStringLiteral("「解答群から正解を選び、ｸﾘｯｸしろよ！」"),
                       QStringLiteral("「分からなかったら〔HELP〕をｸﾘｯｸするんだな！」")});
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
    board.setAnsweredRight(false);
    if (n != layout_.first || layout_.setUpFirstQuestion) {
        m.question = static_cast<short>(n);
        m.answeredRight = false;
        board.clearQuestion();
    }
    board.showQuestion(n, m.variant, bank::Path::Activation);
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

void QuizScreen::showScore() { board.showTally(state::progress::formatNumber(M().score, 15)); }

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
        board.setAnsweredRight(false);
        m.question = static_cast<short>(std::min(n + 1, state::kQuestions));
        m.answeredRight = false;
        leaveFor(ScreenId::Roulette);
        return;
    }
    pickVariant(n + 1);
    if (m.variant < 1 || m.variant > 3) return;
    m.answerTimes[n] = elapsedSince(m.answerTimes[n]);
    m.answerTimes[n + 1] = platform::clock().secondsSinceMidnight();
    board.setAnsweredRight(false);
    m.question = static_cast<short>(n + 1);
    m.answeredRight = false;
    board.clearQuestion();
    board.showQuestion(n + 1, m.variant, bank::Path::Next);
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
        board.setAnsweredRight(true);
        board.showVerdict(true);
        m.answeredRight = true;
        m.score += 3000;
        showScore();
    } else {
        if (m.misses[n] < SHRT_MAX) m.misses[n] += 1;
        cues::answerChime(player(), cues::kWrong);
        board.showVerdict(false);
        m.answeredRight = false;
        m.score -= 3000;
        showScore();
        lockChoices();
    }
}

void QuizScreen::enableChoices() { board.setChoicesEnabled(true); }

void QuizScreen::lockChoices() {
    board.setChoicesEnabled(false);
    board.say({QStringLiteral(" 間違いだぞ!!"), QStringLiteral(" [HELP]をクリックするんだ!!"),
               QStringLiteral(" [次へ]をクリックしても無駄だぞ!!")},
              4);  // dark red
}

namespace {

// The first screen's tab order: the two lower boxes, the answers, then the rest.
QList<QWidget *> firstTabOrder(const QuestionBoard &b) {
    QList<QWidget *> order{b.choicesBox, b.speechBox};
    for (int k = 1; k <= 8; ++k) order << b.answerButtons[k];
    return order << b.helpButton << b.questionBox << b.quitButton << b.nextButton;
}

// The second screen's: the buttons and boxes, then the answers from その他 back.
QList<QWidget *> secondTabOrder(const QuestionBoard &b) {
    QList<QWidget *> order{b.nextButton, b.quitButton, b.questionBox, b.helpButton, b.speechBox, b.choicesBox};
    for (int k = 8; k >= 1; --k) order << b.answerButtons[k];
    return order;
}

}  // namespace

const QuizLayout &FirstQuizScreen::layoutOf() {
    static const QuizLayout layout{
        QStringLiteral("firstQuizScreen"), 6630, 0, 1, 15, {1, 6, 11}, {5, 10, 15}, false, firstTabOrder};
    return layout;
}

FirstQuizScreen::FirstQuizScreen() : QuizScreen(layoutOf()) {}

const QuizLayout &SecondQuizScreen::layoutOf() {
    static const QuizLayout layout{
        QStringLiteral("secondQuizScreen"), 6375, -120, 16, 30, {16, 21, 26}, {20, 25, 30}, true, secondTabOrder};
    return layout;
}

SecondQuizScreen::SecondQuizScreen() : QuizScreen(layoutOf()) {}

}  // namespace screens
