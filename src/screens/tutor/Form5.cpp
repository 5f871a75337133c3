#include "screens/tutor/Form5.h"

#include "platform/Forms.h"
#include "platform/PictureBox.h"
#include "screens/tutor/TutorScripts.h"
#include "state/Module1.h"
#include "state/SoundCues.h"

namespace screens {

using platform::Face;
using platform::makeFont;

Form5::Form5()
    : Form(QStringLiteral("Form5"),
           QStringLiteral("  ぽむりん紀行20(√、因数分解、２次方程式・関数の巻) for Windows"), 7095, 4905) {
    const QFont gothic = makeFont(Face::Gothic, 11.25);
    Command2 = addButton(QStringLiteral("Command2"), QStringLiteral("EXIT"), 120, 0, 855, 375);
    Command1 = addButton(QStringLiteral("Command1"), QStringLiteral("次へ"), 6120, 0, 855, 375);
    addLine(QStringLiteral("Line1"), 120, 360, 6960, 360);
    Picture1 = addPicture(QStringLiteral("Picture1"), 120, 480, 3375, 3375, gothic);
    Picture2 = addPicture(QStringLiteral("Picture2"), 3600, 480, 3375, 3375, gothic);
    Picture3 = addPicture(QStringLiteral("Picture3"), 1320, 4080, 4455, 615, makeFont(Face::Mincho, 9));
    Image4 = addImage(QStringLiteral("Image4"), QStringLiteral(":/pictures/F.xpm"), 360, 4080, 615, 645);
    Image3 = addImage(QStringLiteral("Image3"), QStringLiteral(":/pictures/E.xpm"), 360, 4080, 615, 645);
    Image2 = addImage(QStringLiteral("Image2"), QStringLiteral(":/pictures/B.xpm"), 6120, 4080, 615, 615);
    Image1 = addImage(QStringLiteral("Image1"), QStringLiteral(":/pictures/A.xpm"), 6120, 4080, 615, 615);
    Timer1 = addTimer(QStringLiteral("Timer1"), 300, true);
    mascot_ = std::make_unique<MascotAnimation>(
        Timer1, QList<MascotAnimation::Pair>{{Image1, Image2}, {Image3, Image4}});
    setTabOrder({Command1, Command2});
    setFirstFocus(Command1);
    connect(Command1, &QPushButton::clicked, this, &Form5::Command1Click);
    connect(Command2, &QPushButton::clicked, this, &Form5::Command2Click);
}

void Form5::activate() {
    const int q = state::module1().QuestionNo;
    if (!state::Module1::inRange(q)) return;
    tutor::printExample(*Picture1, q);
    tutor::printGreeting(*Picture3);
}

void Form5::backToQuiz() {
    unload();
    platform::forms::show(state::module1().QuestionNo <= 15 ? QStringLiteral("Form3") : QStringLiteral("Form7"));
}

void Form5::Command1Click() {
    const int q = state::module1().QuestionNo;
    if (!state::Module1::inRange(q)) return;  // nothing to explain: the click does nothing
    const int clicks = tutor::clickCount(q);
    PageNo = static_cast<short>(PageNo % clicks);
    if (PageNo < clicks - 1) {
        tutor::performStep(*Picture1, *Picture2, q, PageNo + 1);
    } else if (PageNo == clicks - 1) {
        backToQuiz();
        PageNo = -1;
    }
    PageNo = static_cast<short>(PageNo + 1);
}

void Form5::Command2Click() {
    cues::chime(MMControl1(), cues::kClick);
    PageNo = 0;
    backToQuiz();
}

}  // namespace screens
