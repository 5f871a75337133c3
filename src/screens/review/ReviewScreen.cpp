// SPDX-License-Identifier: GPL-3.0-or-later
#include "screens/review/ReviewScreen.h"

#include "platform/Forms.h"
#include "platform/PictureBox.h"
#include "platform/Services.h"
#include "screens/common/QuitBox.h"
#include "screens/review/Review.h"
#include "screens/tutor/TutorScreen.h"
#include "state/SoundCues.h"

namespace screens {

namespace {
constexpr int kBlack = 0, kDarkRed = 4;
}

ReviewScreen::ReviewScreen() : QuizScreen(layoutOf()) {
    setWindowTitle(QStringLiteral("  ぽむりん紀行20 復習（√、因数分解、２次方程式・関数の巻）"));
    setAccessibleName(windowTitle());
    // The score's place shows the round's progress instead: no points here.
    platform::setCaption(scoreCaption, QStringLiteral("復習"));
}

const QuizLayout &ReviewScreen::layoutOf() {
    static const QuizLayout layout{QStringLiteral("reviewScreen"), 6630, 0, 1, 30, {0, 0, 0}, {0, 0, 0}, true,
                                   [](QuizScreen &f) {
                                       QList<QWidget *> order{f.choicesBox, f.speechBox};
                                       for (int k = 1; k <= 8; ++k) order << f.answerButtons[k];
                                       return order << f.helpButton << f.questionBox << f.quitButton << f.nextButton;
                                   }};
    return layout;
}

void ReviewScreen::say(const QStringList &lines, int color) {
    speechBox->clear();
    speechBox->setColor(platform::paletteColor(color));
    for (const QString &line : lines) speechBox->print(line);
}

void ReviewScreen::activate() {
    say({QStringLiteral("「まちがえた問題を、もう一度やってみよう！」"), QStringLiteral("「解答群から正解を選び、ｸﾘｯｸしろよ！」"),
         QStringLiteral("「分からなかったら〔HELP〕をｸﾘｯｸするんだな！」")},
        kBlack);
    showItem();
}

void ReviewScreen::showItem() {
    const review::Review &r = review::current();
    const review::Round::Item *item = r.round ? r.round->current() : nullptr;
    if (!item) return;
    platform::setCaption(verdictLabel, QString());
    questionBox->clear();
    choicesBox->clear();
    showQuestion(item->question, item->variant, bank::Path::Activation);
    enableChoices();
    nextButton->setEnabled(false);
    helpButton->setEnabled(true);
    platform::setCaption(scoreLabel, QStringLiteral("%1／%2").arg(r.round->position()).arg(r.round->length()));
}

void ReviewScreen::answerClicked(int k) {
    review::Review &r = review::current();
    if (!r.round || k < 1 || k > 8) return;
    switch (r.round->answer(k)) {
    case review::Round::Answer::Right:
        cues::answerChime(player(), cues::kRight);
        showVerdict(true);
        for (int b = 1; b <= 8; ++b) answerButtons[b]->setEnabled(false);
        nextButton->setEnabled(true);
        helpButton->setEnabled(false);
        // The round grows when this question comes back at the end.
        platform::setCaption(scoreLabel, QStringLiteral("%1／%2").arg(r.round->position()).arg(r.round->length()));
        review::recordPractice();
        break;
    case review::Round::Answer::Wrong:
        cues::answerChime(player(), cues::kWrong);
        showVerdict(false);
        // The wrong answer stays marked and cannot be chosen again.
        platform::setCaption(answerButtons[k], QStringLiteral("× ") + answerButtons[k]->text());
        answerButtons[k]->setEnabled(false);
        say({QStringLiteral(" 間違いだぞ!!"), QStringLiteral(" ほかの答えを選ぶか、"), QStringLiteral(" [HELP]で解き方を見るんだ!!")},
            kDarkRed);
        break;
    case review::Round::Answer::Ignored:
        break;
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
