// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The fixture of the quiz-screen tests: a progress file on a chosen
// question, the screen shown with a chosen variant, the buttons the
// independent table calls right and wrong, and the file read back.

#include "bank/ExpectedQuestions.h"
#include "platform/PictureBox.h"
#include "screens/quiz/QuizScreen.h"
#include "state/Session.h"
#include "state/ProgressFile.h"
#include "support/Fakes.h"

#include <QFile>

namespace testing_support {

class QuizFixture : public ScreenTest {
protected:
    state::Session &m = state::session();

    static ScreenId screenFor(int n) { return screens::quizScreenFor(n); }

    // Saves a progress file on question n and shows its quiz screen with
    // the random source set to draw variant v.
    screens::QuizScreen *start(int n, int v = 1, double score = 0) {
        m.userCode = "learner";
        m.question = static_cast<short>(n);
        m.score = score;
        state::progress::save(m);
        random.values = {(v - 1) / 3.0 + 0.1};
        return reopen();
    }
    screens::QuizScreen *reopen() {
        const ScreenId id = screenFor(m.question);
        if (auto *old = screens::findScreen(id)) old->unload();
        screens::showScreen(id);
        media.log.clear();
        return open<screens::QuizScreen>(id);
    }
    static QStringList lines(const platform::ConsoleModel &c) {
        QStringList out;
        for (const auto &p : c.printed()) out << p.text;
        return out;
    }
    // The right button of the question on screen, from the independent table.
    QPushButton *rightButton(screens::QuizScreen *f) {
        if (!state::Session::inRange(m.question) || m.variant < 1 || m.variant > 3) return nullptr;
        return f->board.answerButtons[expected::variant(m.question, m.variant).right];
    }
    // "その他" is wrong in every question.
    QPushButton *wrongButton(screens::QuizScreen *f) { return f->board.answerButtons[8]; }

    static QByteArray fileBytes() {
        QFile f("learner.ucd");
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    static state::Session fileState() {
        state::Session saved;
        state::progress::parse(fileBytes(), saved);
        return saved;
    }
};

}  // namespace testing_support
