#pragma once
// The fixture of the quiz-screen tests: a progress file on a chosen
// question, the screen shown with a chosen variant, the buttons the
// independent table calls right and wrong, and the file read back.

#include "bank/ExpectedQuestions.h"
#include "platform/PictureBox.h"
#include "screens/quiz/QuizScreen.h"
#include "state/Module1.h"
#include "state/ProgressFile.h"
#include "support/Fakes.h"

#include <QFile>

namespace testing_support {

class QuizFixture : public ScreenTest {
protected:
    state::Module1 &m = state::module1();

    static QString screenFor(int n) { return n <= 15 ? "Form3" : "Form7"; }

    // Saves a progress file on question n and shows its quiz screen with
    // the random source set to draw variant v.
    screens::QuizScreen *start(int n, int v = 1, double score = 0) {
        m.UserFileStem = "learner";
        m.QuestionNo = static_cast<short>(n);
        m.Score = score;
        state::progress::save(m);
        random.values = {(v - 1) / 3.0 + 0.1};
        return reopen();
    }
    screens::QuizScreen *reopen() {
        const QString name = screenFor(m.QuestionNo);
        if (auto *old = platform::forms::find(name)) old->unload();
        platform::forms::show(name);
        media.log.clear();
        return open<screens::QuizScreen>(name);
    }
    static QStringList lines(const platform::ConsoleModel &c) {
        QStringList out;
        for (const auto &p : c.printed()) out << p.text;
        return out;
    }
    // The right button of the question on screen, from the independent table.
    QPushButton *rightButton(screens::QuizScreen *f) {
        if (!state::Module1::inRange(m.QuestionNo) || m.VariantNo < 1 || m.VariantNo > 3) return nullptr;
        return f->Command[expected::variant(m.QuestionNo, m.VariantNo).right];
    }
    // "その他" is wrong in every question.
    QPushButton *wrongButton(screens::QuizScreen *f) { return f->Command[8]; }

    static QByteArray fileBytes() {
        QFile f("learner.ucd");
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    static state::Module1 fileState() {
        state::Module1 saved;
        state::progress::parse(fileBytes(), saved);
        return saved;
    }
};

}  // namespace testing_support
