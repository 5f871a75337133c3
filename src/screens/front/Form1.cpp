#include "screens/front/Form1.h"

#include "platform/Forms.h"
#include "screens/common/QuitBox.h"
#include "state/SoundCues.h"

namespace screens {

using platform::Face;
using platform::makeFont;

Form1::Form1()
    : Form(QStringLiteral("Form1"), QStringLiteral(" ぽむりん紀行20（√、因数分解、2次方程式・関数の巻）"),
           5775, 3960) {
    Command2 = addButton(QStringLiteral("Command2"), QStringLiteral("終了"), 120, 0, 735, 375);
    Command1 = addButton(QStringLiteral("Command1"), QStringLiteral("次へ"), 4920, 0, 735, 375);
    addLine(QStringLiteral("Line1"), 120, 360, 5640, 360);
    addRectangle(QStringLiteral("Shape1"), 120, 480, 5535, 3255, 2);
    addRectangle(QStringLiteral("Shape3"), 240, 600, 5295, 3015, 2);
    Label1 = addLabel(QStringLiteral("Label1"), QStringLiteral("ぽむりん紀行20"), 1200, 840, 3615, 375,
                      makeFont(Face::Mincho, 15.75, true));
    addLine(QStringLiteral("Line2"), 1200, 1200, 4680, 1200, 2);
    Label3 = addLabel(QStringLiteral("Label3"), QStringLiteral("for Windows"), 3600, 1320, 1575, 255,
                      makeFont(Face::Mincho, 12, true));
    Label2 = addLabel(QStringLiteral("Label2"), QStringLiteral("（√、因数分解、２次方程式・関数の巻）"), 360,
                      2520, 5055, 255, makeFont(Face::Mincho, 12, true));
    Label4 = addLabel(QStringLiteral("Label4"), QStringLiteral("作・絵・音　ぽむりん学習室"), 1320,
                      3000, 3015, 255, makeFont(Face::Mincho, 9.75));
    Image1 = addImage(QStringLiteral("Image1"), QStringLiteral(":/pictures/A.xpm"), 2640, 1680, 615, 615);
    Image3 = addImage(QStringLiteral("Image3"), QStringLiteral(":/pictures/B.xpm"), 2640, 1680, 615, 615);
    Image2 = addImage(QStringLiteral("Image2"), QStringLiteral(":/pictures/G.xpm"), 4560, 2760, 600, 600,
                      false, true);
    Timer1 = addTimer(QStringLiteral("Timer1"), 500, true);
    mascot_ = std::make_unique<MascotAnimation>(
        Timer1, QList<MascotAnimation::Pair>{{Image1, Image3}});

    setTabOrder({Command1, Command2});
    setFirstFocus(Command1);
    connect(Command1, &QPushButton::clicked, this, &Form1::Command1Click);
    connect(Command2, &QPushButton::clicked, this, &Form1::Command2Click);
}

void Form1::activate() { cues::tune(MMControl1(), cues::kTitleTune); }

void Form1::Command1Click() {
    cues::chime(MMControl1(), cues::kClick);
    unload();
    platform::forms::show(QStringLiteral("Form2"));
}

void Form1::Command2Click() {
    if (askToQuit(*this)) {
        unload();
        platform::forms::endProgram();
    }
}

}  // namespace screens
