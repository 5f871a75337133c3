// SPDX-License-Identifier: GPL-3.0-or-later
#include "screens/review/ReviewScreen.h"

#include "platform/Forms.h"
#include "platform/PictureBox.h"
#include "platform/Services.h"
#include "screens/Screens.h"
#include "screens/common/QuitBox.h"
#include "screens/review/Review.h"
#include "screens/tutor/TutorScreen.h"
#include "state/SoundCues.h"

namespace screens {

namespace {

constexpr int kBlack = 0, kDarkBlue = 1, kDarkRed = 4;

const QString kRightMark = QStringLiteral("○"), kWrongMark = QStringLiteral("×");

}  // namespace

ReviewScreen::ReviewScreen()
    : Form(QStringLiteral("reviewScreen"), QStringLiteral("  ぽむりん紀行20 復習（√、因数分解、２次方程式・関数の巻）"),
           6630, 5775),
      board(*this, 0, QStringLiteral("復習")) {
    for (int k = 1; k <= 8; ++k)
        connect(board.answerButtons[k], &QPushButton::clicked, this, [this, k] { answerClicked(k); });
    QList<QWidget *> order{board.choicesBox, board.speechBox};
    for (int k = 1; k <= 8; ++k) order << board.answerButtons[k];
    order << board.helpButton << board.questionBox << board.quitButton << board.nextButton;
    setTabOrder(order);
    setFirstFocus(order.first());
    connect(board.nextButton, &QPushButton::clicked, this, &ReviewScreen::nextClicked);
    connect(board.helpButton, &QPushButton::clicked, this, &ReviewScreen::helpClicked);
    connect(board.quitButton, &QPushButton::clicked, this, &ReviewScreen::quitClicked);
}

void ReviewScreen::activate() { showItem(); }

void ReviewScreen::showTally() {
    const review::Round &round = *review::current().round;
    platform::setCaption(board.scoreCaption, round.inComebacks() ? QStringLiteral("もう一度") : QStringLiteral("復習"));
    platform::setCaption(board.scoreLabel, QStringLiteral("%1／%2").arg(round.position()).arg(round.length()));
}

// Draws the item on show: a fresh question, or the same one back from the
// tutor with the answers already tried still marked.
void ReviewScreen::showItem() {
    const review::Review &r = review::current();
    const review::Round::Item *item = r.round ? r.round->current() : nullptr;
    if (!item) return;
    board.clearQuestion();
    board.showQuestion(item->question, item->variant, bank::Path::Activation);
    board.setChoicesEnabled(true);
    for (int k : r.round->wrongTried()) {
        board.markAnswer(k, kWrongMark);
        board.answerButtons[k]->setEnabled(false);
    }
    board.nextButton->setEnabled(false);
    board.helpButton->setEnabled(true);
    showTally();
    board.say({item->comeback ? QStringLiteral("「さっき間違えた問題だ。今度はできるかな？」")
               : review::assignedAndLeft(item->question) ? QStringLiteral("「先生からの課題だ。できるかな？」")
                                                         : QStringLiteral("「前に間違えた問題だ。今度はできるかな？」"),
               QStringLiteral("「解答群から正解を選び、ｸﾘｯｸしろよ！」"),
               QStringLiteral("「分からなかったら〔HELP〕をｸﾘｯｸするんだな！」")},
              kBlack);
}

void ReviewScreen::answerClicked(int k) {
    review::Review &r = review::current();
    if (!r.round || k < 1 || k > 8) return;
    switch (r.round->answer(k)) {
    case review::Round::Answer::Right:
        cues::answerChime(player(), cues::kRight);
        board.showVerdict(true);
        // The other answers are done with; the one chosen stays readable
        // with its mark (a further click on it is ignored).
        board.markAnswer(k, kRightMark);
        board.setChoicesEnabled(false);
        board.answerButtons[k]->setEnabled(true);
        board.nextButton->setEnabled(true);
        board.helpButton->setEnabled(false);
        board.say({r.round->missedNow()           ? QStringLiteral(" 正解だ!! よく直したな!!")
                   : r.round->current()->comeback ? QStringLiteral(" 正解だ!! 今度はできたな!!")
                                                  : QStringLiteral(" 正解だ!! 一度でできたな!!"),
                   r.round->onLast() ? QStringLiteral(" [次へ]をクリックして、まとめを見るんだ!!")
                                     : QStringLiteral(" [次へ]をクリックして、次の問題だ!!")},
                  kDarkBlue);
        review::recordPractice();
        break;
    case review::Round::Answer::Wrong:
        cues::answerChime(player(), cues::kWrong);
        board.showVerdict(false);
        // The wrong answer stays marked and cannot be chosen again.
        board.markAnswer(k, kWrongMark);
        board.answerButtons[k]->setEnabled(false);
        board.say({QStringLiteral(" 間違いだぞ!!"), QStringLiteral(" ほかの答えを選ぶか、"),
                   QStringLiteral(" [HELP]で解き方を見るんだ!!")},
                  kDarkRed);
        break;
    case review::Round::Answer::Ignored: break;
    }
}

void ReviewScreen::nextClicked() {
    cues::chime(player(), cues::kClick);
    review::Review &r = review::current();
    if (!r.round || !r.round->finished()) {
        platform::beep().beep();
        return;
    }
    if (r.round->next()) {
        showItem();
        return;
    }
    unload();  // before the summary shows: one window at a time
    showScreen(ScreenId::ReviewSummary);
}

void ReviewScreen::helpClicked() {
    cues::chime(player(), cues::kClick);
    review::Review &r = review::current();
    const review::Round::Item *item = r.round ? r.round->current() : nullptr;
    if (!item || r.round->finished()) {
        platform::beep().beep();
        return;
    }
    r.tutorRun.question = static_cast<short>(item->question);
    unload();  // before the tutor shows: one window at a time
    // The tutor hands back to a fresh review screen on the same question
    // and variant.
    platform::forms::show(QStringLiteral("tutorScreen"), [&r] {
        return new TutorScreen(r.tutorRun, [] {
            if (platform::Form *tutor = platform::forms::find(QStringLiteral("tutorScreen"))) tutor->unload();
            showScreen(ScreenId::Review);
        });
    });
}

void ReviewScreen::quitClicked() {
    if (!askToQuit(*this)) return;
    // Every practice finished is already in the record.
    platform::forms::endProgram();
}

}  // namespace screens
