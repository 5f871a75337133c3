// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The question board: everything a quiz window shows of one question.  The
// three buttons on top, the question's text, the eight answers, the tally
// (the course's score, the review's count), the verdict, the speech bubble
// and the two blinking figures.  A window owns one and drives it by its own
// rules: the course's quiz screen and the review's screen.  The board says
// which of its buttons was pressed; the window decides what follows.

#include "bank/QuestionBank.h"
#include "platform/Form.h"
#include "screens/common/Mascot.h"

#include <QObject>
#include <QStringList>

#include <array>
#include <memory>

namespace platform {
class PictureBox;
}

namespace screens {

class QuestionBoard : public QObject {
    Q_OBJECT
public:
    // Builds the controls on form, shift twips to the right of the first
    // quiz screen's places, with tallyCaption over the tally.
    QuestionBoard(platform::Form &form, int shift, const QString &tallyCaption);

    // Prints question n in variant v and puts the captions on the answer buttons.
    void showQuestion(int n, int v, bank::Path path);
    // Empties the question, the answers' box and the verdict.
    void clearQuestion();
    void setChoicesEnabled(bool enabled);
    // 次へ works once the question is answered right, HELP until then.
    void setAnsweredRight(bool right);
    // The figure beside the tally's caption.
    void showTally(const QString &text);
    // "正解" in dark blue or "違う" in dark red in the verdict label.
    void showVerdict(bool right);
    // Puts mark ("○", "×") before answer button k's caption.
    void markAnswer(int k, const QString &mark);
    // The bubble, cleared, says lines in palette colour color.
    void say(const QStringList &lines, int color);
    // The bubble says lines below what it already says, in its colour.
    void sayMore(const QStringList &lines);
    void mascotTicked() { mascot_->tick(); }

    std::array<QPushButton *, 9> answerButtons{};  // [1..8]; [8] is "その他"
    QPushButton *helpButton, *quitButton, *nextButton;
    platform::PictureBox *questionBox;  // the question's text
    platform::PictureBox *choicesBox;   // "解答群" and the answer buttons
    platform::PictureBox *speechBox;    // what the mascot says
    QLabel *scoreCaption, *scoreLabel, *verdictCaption, *verdictLabel;
    platform::ImageBox *mascotPose1, *mascotPose2, *friendPose1, *friendPose2;
    platform::Timer *mascotTimer;

signals:
    void answerClicked(int k);  // answer button k, 1..8
    void nextClicked();         // 次へ
    void helpClicked();         // HELP
    void quitClicked();         // 終了

private:
    std::unique_ptr<MascotAnimation> mascot_;
};

}  // namespace screens
