// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The game's seven windows, and the review's two, by a typed id: showing a fresh one and finding
// the open one.

#include <QSize>
#include <QString>

namespace platform {
class Form;
}

namespace screens {

enum class ScreenId {
    Title,          // the title screen
    StartMenu,      // new run or continue, and the user code
    FirstQuiz,      // the quiz screen for questions 1..15
    SecondQuiz,     // the quiz screen for questions 16..30
    Roulette,       // the bonus wheel after every fifth question
    Tutor,          // the math doctor's step-by-step help
    History,        // the learning history, the last screen of a run
    Review,         // the review's question window (--review)
    ReviewSummary,  // the end of a review round
};

// The object name of the screen's window ("titleScreen", "firstQuizScreen").
QString objectNameOf(ScreenId id);

// Shows a fresh instance of the screen and runs its activation; the
// window, or null when the program has ended or the activation unloaded it.
platform::Form *showScreen(ScreenId id);

// The open window of that screen, or null.
platform::Form *findScreen(ScreenId id);

// The client area of the largest window, the history screen (6855 × 6015
// twips), in logical pixels: the display scale is chosen so that it fits.
QSize largestScreenSize();

// The quiz screen that shows the given question.
ScreenId quizScreenFor(int question);

}  // namespace screens
