#include "screens/history/Form6.h"

#include "platform/Forms.h"
#include "screens/common/QuitBox.h"
#include "screens/common/NumberText.h"
#include "state/Module1.h"
#include "state/SoundCues.h"

namespace screens {

using platform::Face;
using platform::makeFont;

namespace {

// The grid: question i stands in column (i - 1) / 10, row (i - 1) % 10.
constexpr int kGridTop = 1560, kRowStep = 360, kColumnStep = 1920;

QString questionName(int i) {
    if (i == 2) return QStringLiteral("問題 2 ");  // the design's caption keeps a trailing blank
    if (i == 30) return QStringLiteral("問題30 終　了");
    return i < 10 ? QStringLiteral("問題 %1").arg(i) : QStringLiteral("問題%1").arg(i);
}

}  // namespace

Form6::Form6()
    : Form(QStringLiteral("Form6"),
           QStringLiteral("  ぽむりん紀行20(√、因数分解、２次方程式・関数の巻) for Windows"), 6855, 6015) {
    const QFont small = makeFont(Face::Gothic, 9);
    Label1 = addLabel(QStringLiteral("Label1"), QStringLiteral("学習の履歴"), 2520, 240, 1575, 375,
                      makeFont(Face::Gothic, 14.25, true));
    platform::setSingleBorder(Label1);
    Label1->setAlignment(Qt::AlignCenter);
    Command1 = addButton(QStringLiteral("Command1"), QStringLiteral("終了"), 5280, 240, 855, 375);
    Command1->setFont(small);
    Image2 = addImage(QStringLiteral("Image2"), QStringLiteral(":/pictures/B.xpm"), 720, 120, 615, 615);
    Image1 = addImage(QStringLiteral("Image1"), QStringLiteral(":/pictures/A.xpm"), 720, 120, 615, 615);
    Label3 = addLabel(QStringLiteral("Label3"), QString(), 360, 960, 4335, 255, small);
    Label5 = addLabel(QStringLiteral("Label5"),
                      QStringLiteral("以下には、各問題ごとのあなたの間違った回数と解答時間(秒)が示してあります。"),
                      360, 1200, 6255, 255, small);
    for (int i = 1; i <= state::kQuestions; ++i) {
        const int column = (i - 1) / 10, row = (i - 1) % 10;
        const int top = kGridTop + kRowStep * row;
        const int left = kColumnStep * column;
        QuestionName[i] = addLabel(QStringLiteral("Label%1").arg(i + 5), questionName(i), 600 + left, top, 615,
                                   i == 30 ? 375 : 255, small);
        QuestionName[i]->setWordWrap(i == 30);
        Lab[i] = addLabel(QStringLiteral("Lab%1").arg(i), QString(), 1200 + left, top, 495, 255, small);
        platform::setSingleBorder(Lab[i]);
        Lab[i]->setAlignment(Qt::AlignCenter);
        zik[i] = addLabel(QStringLiteral("zik%1").arg(i), QString(), 1800 + left, top, 615, 255, small);
        platform::setSingleBorder(zik[i]);
        zik[i]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    }
    Label2 = addLabel(QStringLiteral("Label2"), QStringLiteral("得点"), 2520, 5400, 495, 255,
                      makeFont(Face::Gothic, 12));
    Label4 = addLabel(QStringLiteral("Label4"), QString(), 3120, 5400, 735, 255, small);
    platform::setSingleBorder(Label4);
    Label4->setAlignment(Qt::AlignCenter);
    Timer1 = addTimer(QStringLiteral("Timer1"), 500, true);
    mascot_ = std::make_unique<MascotAnimation>(Timer1, QList<MascotAnimation::Pair>{{Image1, Image2}});

    // "終了" is the only control that takes the focus.
    setTabOrder({Command1});
    setFirstFocus(Command1);
    connect(Command1, &QPushButton::clicked, this, &Form6::Command1Click);
}

void Form6::activate() {
    cues::tune(MMControl1(), cues::kHistoryTune, QStringLiteral("close"));
    const state::Module1 &m = state::module1();
    for (int i = 1; i <= state::kQuestions; ++i) platform::setCaption(zik[i], history::timeText(m.AnswerTime[i]));
}

void Form6::Command1Click() {
    if (askToQuit(*this)) {
        unload();
        platform::forms::endProgram();
    }
}

namespace history {

QString progressMessage(int questionNo) {
    return QStringLiteral("あなたは、問題 %1 番まで進んでいます。").arg(questionNo);
}

QString missText(int count) { return signedText(count, 7); }

QString timeText(double seconds) { return seconds == 0 ? QString() : signedText(seconds, 7); }

Form6 *showAndFill(const QString &scoreText) {
    auto *form = qobject_cast<Form6 *>(platform::forms::show(QStringLiteral("Form6")));
    if (!form) return nullptr;
    state::Module1 &m = state::module1();
    platform::setCaption(form->Label3, progressMessage(m.QuestionNo));
    for (int i = 1; i <= state::kQuestions; ++i)
        m.MissText[i] = i <= m.QuestionNo ? missText(m.MissCount[i]) : QString();
    for (int i = 1; i <= state::kQuestions; ++i) platform::setCaption(form->Lab[i], m.MissText[i]);
    platform::setCaption(form->Label4, scoreText);
    return form;
}

}  // namespace history
}  // namespace screens
