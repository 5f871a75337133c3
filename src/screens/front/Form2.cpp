#include "screens/front/Form2.h"

#include "platform/Forms.h"
#include "platform/Services.h"
#include "state/Module1.h"
#include "state/ProgressFile.h"
#include "state/SoundCues.h"

namespace screens {

namespace {
const QString kPrompt = QStringLiteral("半角８文字以内で、ユーザーコードを入力してください・・・");
const QString kDefaultStem = QStringLiteral("pm");
}  // namespace

Form2::Form2()
    : Form(QStringLiteral("Form2"), QStringLiteral(" ぽむりん紀行20(√、因数分解、2次方程式・関数の巻) "),
           5685, 870) {
    Command1 = addButton(QStringLiteral("Command1"), QStringLiteral("初めからやる"), 960, 240, 1575, 375);
    Command2 = addButton(QStringLiteral("Command2"), QStringLiteral("前の続きからやる"), 3120, 240, 1575, 375);
    setTabOrder({Command1, Command2});
    setFirstFocus(Command1);
    connect(Command1, &QPushButton::clicked, this, &Form2::Command1Click);
    connect(Command2, &QPushButton::clicked, this, &Form2::Command2Click);
}

QString Form2::quizScreenFor(int questionNo) {
    return questionNo <= 15 ? QStringLiteral("Form3") : QStringLiteral("Form7");
}

QString Form2::askCode(const QString &title) {
    // A code that cannot safely name a file in the working directory is
    // refused: the box comes back empty and nothing is read or written.
    for (;;) {
        const QString code = platform::dialogs().inputBox(this, kPrompt, title);
        if (code.isEmpty() || state::progress::isAcceptableCode(code)) return state::progress::normalizedCode(code);
    }
}

void Form2::handOver() {
    unload();
    platform::forms::show(quizScreenFor(state::module1().QuestionNo));
}

void Form2::trapped() {
    // Any failure ends the program at once, without a message.
    unload();
    platform::forms::endProgram();
}

void Form2::Command1Click() {
    cues::chime(MMControl1(), cues::kClick);
    state::Module1 &m = state::module1();
    try {
        m.QuestionNo = 1;
        m.Score = 0;
        for (int i = 1; i <= state::kQuestions; ++i) {
            m.MissCount[i] = 0;
            m.AnswerTime[i] = 0;
        }
        const QString code = askCode(QStringLiteral("ユーザーコード入力"));
        m.UserFileStem = code.isEmpty() ? kDefaultStem : code;
        state::progress::save(m);
        handOver();
    } catch (const std::exception &) {
        trapped();
    }
}

void Form2::Command2Click() {
    cues::chime(MMControl1(), cues::kClick);
    state::Module1 &m = state::module1();
    m.ResumedRun = 1;
    try {
        const QString code = askCode(QStringLiteral("  ユーザーコード入力"));
        if (!code.isEmpty()) {
            m.UserFileStem = code;
            state::progress::load(m);
        } else {
            m.QuestionNo = 1;
            m.Score = 0;
            for (int i = 1; i <= state::kQuestions; ++i) m.MissCount[i] = 0;
            m.UserFileStem = kDefaultStem;
            state::progress::save(m);
        }
        handOver();
    } catch (const std::exception &) {
        trapped();
    }
}

}  // namespace screens
