// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The learning history: the last screen of a run.  For each of the thirty
// questions it shows the misses and the seconds taken, with how far the
// learner got and the score.  Its only way out is its own "終了".

#include "platform/Form.h"
#include "screens/common/Mascot.h"

#include <array>
#include <memory>

namespace screens {

class HistoryScreen : public platform::Form {
    Q_OBJECT
public:
    HistoryScreen();
    void activate() override;

    void quitClicked();  // 終了
    void mascotTicked() { mascot_->tick(); }

    QPushButton *quitButton;
    QLabel *headingLabel, *scoreCaption, *progressLabel, *scoreLabel, *legendLabel;
    // Per question 1..30: its name, its misses and its seconds.
    std::array<QLabel *, 31> questionLabels{};
    std::array<QLabel *, 31> missLabels{};
    std::array<QLabel *, 31> timeLabels{};
    platform::ImageBox *mascotPose1, *mascotPose2;
    platform::Timer *mascotTimer;
    MascotAnimation &mascot() { return *mascot_; }

private:
    std::unique_ptr<MascotAnimation> mascot_;
};

namespace history {

// "あなたは、問題 ## 番まで進んでいます。" with ## replaced by the number's
// digits, however many, without leading zeros or blanks.
QString progressMessage(int questionNo);
// A miss count as the history shows it: " 2", " 0".
QString missText(int count);
// A time box: empty for 0, else the seconds with a leading blank.
QString timeText(double seconds);

// Shows the history screen and fills what the screen that opens it fills:
// the progress line from the session's question, the session's miss texts
// of questions 1..question and empty after, the thirty miss boxes, and the
// score label with the given text.  Returns the screen, or null when it
// could not be shown.
HistoryScreen *showAndFill(const QString &scoreText);

}  // namespace history
}  // namespace screens
