// SPDX-License-Identifier: GPL-3.0-or-later
#include "screens/front/StartMenu.h"

#include "platform/Forms.h"
#include "platform/Services.h"
#include "screens/Screens.h"
#include "screens/common/CodeBox.h"
#include "screens/common/SaveProgress.h"
#include "state/ProgressFile.h"
#include "state/ReviewRecord.h"
#include "state/Session.h"
#include "state/SoundCues.h"

namespace screens {

namespace {
const QString kDefaultStem = QStringLiteral("pm");
}  // namespace

StartMenu::StartMenu()
    : Form(QStringLiteral("startMenu"), QStringLiteral(" ぽむりん紀行20(√、因数分解、2次方程式・関数の巻) "), 5685,
           870) {
    newRunButton = addButton(QStringLiteral("newRunButton"), QStringLiteral("初めからやる"), 960, 240, 1575, 375);
    continueButton =
        addButton(QStringLiteral("continueButton"), QStringLiteral("前の続きからやる"), 3120, 240, 1575, 375);
    setTabOrder({newRunButton, continueButton});
    setFirstFocus(newRunButton);
    connect(newRunButton, &QPushButton::clicked, this, &StartMenu::newRunClicked);
    connect(continueButton, &QPushButton::clicked, this, &StartMenu::continueClicked);
}

std::optional<QString> StartMenu::askCode(const QString &title) {
    return askForCode(this, kCodePrompt, title, EmptyCode::MeansDefault);
}

void StartMenu::handOver() {
    unload();  // before the quiz screen shows: one window at a time
    showScreen(quizScreenFor(state::session().question));
}

void StartMenu::trapped() {
    // Any failure ends the program at once, without a message.
    unload();
    platform::forms::endProgram();
}

void StartMenu::newRunClicked() {
    cues::chime(player(), cues::kClick);
    state::Session &m = state::session();
    try {
        m.question = 1;
        m.score = 0;
        for (int i = 1; i <= state::kQuestions; ++i) {
            m.misses[i] = 0;
            m.answerTimes[i] = 0;
        }
        const std::optional<QString> code = askCode(QStringLiteral("ユーザーコード入力"));
        if (!code) return;
        m.userCode = code->isEmpty() ? kDefaultStem : *code;
        // Before the hand-over: the quiz screen reads the file on opening.
        // A failed save is named, not trapped silently, so the learner
        // knows the progress is not kept.
        if (!saveProgressOrFail()) return;
        beganAnew();
        handOver();
    } catch (const std::exception &) {
        trapped();
    }
}

void StartMenu::beganAnew() {
    // The review's record then compares with this course's misses only.
    state::review::courseBegunAnew(state::session().userCode);
}

void StartMenu::continueClicked() {
    cues::chime(player(), cues::kClick);
    state::Session &m = state::session();
    m.resumed = true;
    try {
        const std::optional<QString> asked = askCode(QStringLiteral("  ユーザーコード入力"));
        if (!asked) {
            m.resumed = false;  // not continued after all
            return;
        }
        const QString code = *asked;
        if (!code.isEmpty()) {
            m.userCode = code;
            try {
                state::progress::load(m);
            } catch (const state::ProgressMissing &) {
                throw;  // a code never saved ends the program silently, as it always has
            } catch (const state::ProgressError &e) {
                // A file that is there but cannot be read (damaged, or
                // written over by another pupil) is named first, so that
                // the teacher hears of it.  Nothing is written.
                platform::dialogs().showError(
                    this, unreadableProgressText(state::progress::fileName(code), QString::fromUtf8(e.what())),
                    QStringLiteral("ぽむりん紀行20"));
                throw;
            }
        } else {
            m.question = 1;
            m.score = 0;
            for (int i = 1; i <= state::kQuestions; ++i) m.misses[i] = 0;
            m.userCode = kDefaultStem;
            if (!saveProgressOrFail()) return;
            beganAnew();
        }
        handOver();
    } catch (const std::exception &) {
        trapped();
    }
}

}  // namespace screens
