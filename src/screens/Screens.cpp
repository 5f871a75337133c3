// SPDX-License-Identifier: GPL-3.0-or-later
#include "screens/Screens.h"

#include "platform/Fonts.h"
#include "platform/Forms.h"
#include "screens/front/StartMenu.h"
#include "screens/front/TitleScreen.h"
#include "screens/history/HistoryScreen.h"
#include "screens/quiz/QuizScreen.h"
#include "screens/review/ReviewScreen.h"
#include "screens/review/ReviewSummary.h"
#include "screens/roulette/RouletteScreen.h"
#include "screens/tutor/TutorScreen.h"

namespace screens {

namespace {

platform::Form *create(ScreenId id) {
    switch (id) {
    case ScreenId::Title: return new TitleScreen;
    case ScreenId::StartMenu: return new StartMenu;
    case ScreenId::FirstQuiz: return new FirstQuizScreen;
    case ScreenId::SecondQuiz: return new SecondQuizScreen;
    case ScreenId::Roulette: return new RouletteScreen;
    case ScreenId::Tutor: return new TutorScreen;
    case ScreenId::History: return new HistoryScreen;
    case ScreenId::Review: return new ReviewScreen;
    case ScreenId::ReviewSummary: return new ReviewSummary;
    }
    return nullptr;
}

}  // namespace

QSize largestScreenSize() { return {platform::twipsToPixels(6855), platform::twipsToPixels(6015)}; }

QString objectNameOf(ScreenId id) {
    switch (id) {
    case ScreenId::Title: return QStringLiteral("titleScreen");
    case ScreenId::StartMenu: return QStringLiteral("startMenu");
    case ScreenId::FirstQuiz: return QStringLiteral("firstQuizScreen");
    case ScreenId::SecondQuiz: return QStringLiteral("secondQuizScreen");
    case ScreenId::Roulette: return QStringLiteral("rouletteScreen");
    case ScreenId::Tutor: return QStringLiteral("tutorScreen");
    case ScreenId::History: return QStringLiteral("historyScreen");
    case ScreenId::Review: return QStringLiteral("reviewScreen");
    case ScreenId::ReviewSummary: return QStringLiteral("reviewSummary");
    }
    return QString();
}

platform::Form *showScreen(ScreenId id) {
    return platform::forms::show(objectNameOf(id), [id] { return create(id); });
}

platform::Form *findScreen(ScreenId id) { return platform::forms::find(objectNameOf(id)); }

ScreenId quizScreenFor(int question) { return question <= 15 ? ScreenId::FirstQuiz : ScreenId::SecondQuiz; }

}  // namespace screens
