#include "screens/quiz/QuizScreen.h"

#include "platform/Forms.h"
#include "screens/common/QuitBox.h"
#include "platform/PictureBox.h"
#include "platform/Services.h"
#include "screens/common/SaveProgress.h"
#include "screens/history/Form6.h"
#include "screens/quiz/QuestionText.h"
#include "state/Module1.h"
#include "state/ProgressFile.h"
#include "state/SoundCues.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace screens {

using platform::Face;
using platform::makeFont;

namespace {

state::Module1 &M() { return state::module1(); }

bool contains(const std::array<int, 3> &list, int n) {
    return std::find(list.begin(), list.end(), n) != list.end();
}

// Whole seconds from a start reading to now, rounded down.
float elapsedSince(float start) {
    return static_cast<float>(std::floor(double(platform::clock().secondsSinceMidnight()) - double(start)));
}

// The same for a question still in progress, for the history: a day is
// added when midnight has passed since the reading.
float secondsSoFar(float start) {
    const float seconds = elapsedSince(start);
    return seconds < 0 ? seconds + 86400 : seconds;
}

}  // namespace

QuizScreen::QuizScreen(const QuizLayout &layout)
    : Form(layout.name, QStringLiteral("  ぽむりん紀行20（√、因数分解、２次方程式・関数の巻） for Win"),
           layout.clientWidth, 5775),
      layout_(layout) {
    const int dx = layout.shift;
    const QFont gothic = makeFont(Face::Gothic, 11.25);
    const QFont mincho = makeFont(Face::Mincho, 9);

    Command10 = addButton(QStringLiteral("Command10"), QStringLiteral("終了"), 120 + dx, 0, 855, 375);
    Command9 = addButton(QStringLiteral("Command9"), QStringLiteral("HELP"), 960 + dx, 0, 855, 375);
    Command11 = addButton(QStringLiteral("Command11"), QStringLiteral("次へ"), 5640 + dx, 0, 855, 375);
    Picture1 = addPicture(QStringLiteral("Picture1"), 120 + dx, 360, 6375, 1935, gothic);
    Picture2 = addPicture(QStringLiteral("Picture2"), 120 + dx, 2520, 6375, 1455, mincho);
    for (int k = 1; k <= 8; ++k) {
        const int left = k <= 4 ? 240 : 3240;
        const int top = 240 * (1 + (k - 1) % 4);
        Command[k] = addButton(QStringLiteral("Command%1").arg(k), QString(), left, top, 2895, 255, Picture2);
        Command[k]->setFont(mincho);
        connect(Command[k], &QPushButton::clicked, this, [this, k] { AnswerClick(k); });
    }
    addLine(QStringLiteral("Line1"), 840 + dx, 4200, 5760 + dx, 4200);
    Label1 = addLabel(QStringLiteral("Label1"), QStringLiteral("ぽむりん得点"), 960 + dx, 4320, 1335, 255,
                      makeFont(Face::Gothic, 11.25, true));
    Label2 = addLabel(QStringLiteral("Label2"), QString(), 2280 + dx, 4320, 855, 255, font());
    platform::setTextColor(Label2, QColor(0, 64, 64));
    platform::setSingleBorder(Label2);
    Label2->setAlignment(Qt::AlignCenter);
    Label3 = addLabel(QStringLiteral("Label3"), QStringLiteral("ぽむりん答え"), 3480 + dx, 4320, 1335, 255,
                      makeFont(Face::Gothic, 11.25, true));
    Label4 = addLabel(QStringLiteral("Label4"), QString(), 4800 + dx, 4320, 855, 255, mincho);
    platform::setSingleBorder(Label4);
    Label4->setAlignment(Qt::AlignCenter);
    addLine(QStringLiteral("Line2"), 840 + dx, 4680, 5760 + dx, 4680);
    Picture3 = addPicture(QStringLiteral("Picture3"), 1200 + dx, 4920, 4215, 615, mincho);
    Image1 = addImage(QStringLiteral("Image1"), QStringLiteral(":/pictures/A.xpm"), 5760 + dx, 4920, 615, 615);
    Image2 = addImage(QStringLiteral("Image2"), QStringLiteral(":/pictures/B.xpm"), 5760 + dx, 4920, 615, 615);
    Image3 = addImage(QStringLiteral("Image3"), QStringLiteral(":/pictures/C.xpm"), 240 + dx, 4920, 615, 615);
    Image4 = addImage(QStringLiteral("Image4"), QStringLiteral(":/pictures/D.xpm"), 240 + dx, 4920, 615, 615);
    Timer1 = addTimer(QStringLiteral("Timer1"), 500, true);
    mascot_ = std::make_unique<MascotAnimation>(
        Timer1, QList<MascotAnimation::Pair>{{Image1, Image2}, {Image3, Image4}});

    // The three boxes take the focus like the buttons; each screen keeps
    // its own tab order, and the first focus is the first control in it,
    // so that no answer is given by a key pressed on arrival.
    for (QWidget *box : {static_cast<QWidget *>(Picture1), static_cast<QWidget *>(Picture2),
                         static_cast<QWidget *>(Picture3)})
        box->setFocusPolicy(Qt::StrongFocus);
    const QList<QWidget *> order = layout.tabOrder(*this);
    setTabOrder(order);
    setFirstFocus(order.first());

    connect(Command11, &QPushButton::clicked, this, &QuizScreen::Command11Click);
    connect(Command9, &QPushButton::clicked, this, &QuizScreen::Command9Click);
    connect(Command10, &QPushButton::clicked, this, &QuizScreen::Command10Click);
}

void QuizScreen::activate() {
    // Everything here runs under one trap: any failure (a missing or
    // damaged progress file above all) ends the program at once, silently.
    try {
        Command11->setEnabled(false);
        state::progress::load(M());
        Picture3->print(QStringLiteral("「解答群の ｘ^2 は、ｘの２乗を表しているぞ！」"));
        Picture3->print(QStringLiteral("「解答群から正解を選び、ｸﾘｯｸしろよ！」"));
        Picture3->print(QStringLiteral("「分からなかったら〔HELP〕をｸﾘｯｸするんだな！」"));
        if (inRange(M().QuestionNo)) questionBlock(M().QuestionNo);
    } catch (const std::exception &) {
        unload();
        platform::forms::endProgram();
    }
}

void QuizScreen::questionBlock(int n) {
    state::Module1 &m = M();
    PickVariant(n);
    if (m.VariantNo < 1 || m.VariantNo > 3) return;
    if (m.TimerStarted[n] == 0 && (contains(layout_.blockOpeners, n) || m.ResumedRun == 1)) {
        m.AnswerTime[n] = platform::clock().secondsSinceMidnight();
        m.TimerStarted[n] += 1;
    }
    Command11->setEnabled(false);
    Command9->setEnabled(true);
    if (n != layout_.first || layout_.setUpFirstQuestion) {
        m.QuestionNo = static_cast<short>(n);
        m.AnsweredRight = 0;
        platform::setCaption(Label4, QString());
        Picture1->clear();
        Picture2->clear();
    }
    ShowQuestion(n, m.VariantNo, bank::Path::Activation);
    showScore();
}

void QuizScreen::PickVariant(int n) {
    state::Module1 &m = M();
    if (!state::Module1::inRange(n) || m.VariantPicked[n] != 0) return;
    platform::Random &rnd = platform::random();
    rnd.seed(platform::clock().secondsSinceMidnight());
    // Int(R * 3) + 1, kept within 1..3 even for a generator that returns 1.
    m.VariantNo = static_cast<short>(std::clamp(static_cast<int>(rnd.next() * 3) + 1, 1, 3));
    m.VariantPicked[n] += 1;
}

void QuizScreen::ShowQuestion(int n, int v, bank::Path path) {
    quiz::printQuestion(*Picture1, n, v, path);
    Picture2->print(QStringLiteral("　解答群"));
    const bank::Question *q = bank::question(n);
    if (!q || v < 1 || v > 3) return;
    const bank::Variant &variant = q->variants[v - 1];
    for (int k = 1; k <= 7; ++k) platform::setCaption(Command[k], QString::fromUtf8(variant.captions[k - 1]));
    platform::setCaption(Command[8], QString::fromUtf8(bank::kOtherCaption));
}

void QuizScreen::showScore() { platform::setCaption(Label2, state::progress::formatNumber(M().Score, 15)); }

void QuizScreen::Command11Click() {
    state::Module1 &m = M();
    cues::chime(MMControl1(), cues::kClick);
    if (m.AnsweredRight != 1) {
        platform::beep().beep();
        return;
    }
    const int n = m.QuestionNo;
    if (!inRange(n)) return;
    if (contains(layout_.handOvers, n)) {
        m.AnswerTime[n] = elapsedSince(m.AnswerTime[n]);
        Command11->setEnabled(false);
        Command9->setEnabled(true);
        m.QuestionNo = static_cast<short>(std::min(n + 1, state::kQuestions));
        m.AnsweredRight = 0;
        leaveFor(QStringLiteral("Form4"));
        return;
    }
    PickVariant(n + 1);
    if (m.VariantNo < 1 || m.VariantNo > 3) return;
    m.AnswerTime[n] = elapsedSince(m.AnswerTime[n]);
    m.AnswerTime[n + 1] = platform::clock().secondsSinceMidnight();
    Command11->setEnabled(false);
    Command9->setEnabled(true);
    m.QuestionNo = static_cast<short>(n + 1);
    m.AnsweredRight = 0;
    platform::setCaption(Label4, QString());
    Picture1->clear();
    Picture2->clear();
    ShowQuestion(n + 1, m.VariantNo, bank::Path::Next);
}

bool QuizScreen::leaveFor(const QString &screen) {
    // The progress is saved before the screen is left; a failed save here
    // is not trapped and ends the program with a message that names it.
    if (!saveProgressOrFail()) return false;
    unload();
    return platform::forms::show(screen) != nullptr;
}

void QuizScreen::Command9Click() {
    cues::chime(MMControl1(), cues::kClick);
    if (M().AnsweredRight == 1) {
        platform::beep().beep();
        return;
    }
    EnableChoices();
    leaveFor(QStringLiteral("Form5"));
}

void QuizScreen::Command10Click() {
    if (!askToQuit(*this)) return;
    if (!saveProgressOrFail()) return;
    unload();
    state::Module1 &m = M();
    Form6 *form6 = history::showAndFill(state::progress::formatNumber(m.Score, 15));
    // The current question's slot still holds the clock reading at its
    // start; the history shows the seconds spent on it so far instead.
    // The file keeps the reading, which a later continuation relies on.
    const int q = m.QuestionNo;
    if (form6 && state::Module1::inRange(q) && m.AnswerTime[q] != 0)
        platform::setCaption(form6->zik[q], history::timeText(secondsSoFar(m.AnswerTime[q])));
}

void QuizScreen::AnswerClick(int k) {
    state::Module1 &m = M();
    const int n = m.QuestionNo;
    const int v = m.VariantNo;
    if (v < 1 || v > 3 || !state::Module1::inRange(n)) return;
    if (bank::isRight(n, v, k)) {
        if (m.AnsweredRight == 1) return;  // a right answer is scored once
        cues::answerChime(MMControl1(), cues::kRight);
        Command11->setEnabled(true);
        Command9->setEnabled(false);
        platform::setTextColor(Label4, platform::paletteColor(1));
        platform::setCaption(Label4, QStringLiteral("正解"));
        m.AnsweredRight = 1;
        m.Score += 3000;
        showScore();
    } else {
        if (m.MissCount[n] < SHRT_MAX) m.MissCount[n] += 1;
        cues::answerChime(MMControl1(), cues::kWrong);
        platform::setCaption(Label4, QStringLiteral("違う"));
        platform::setTextColor(Label4, platform::paletteColor(4));
        m.AnsweredRight = 0;
        m.Score -= 3000;
        showScore();
        LockChoices();
    }
}

void QuizScreen::EnableChoices() {
    for (int k = 1; k <= 8; ++k) Command[k]->setEnabled(true);
}

void QuizScreen::LockChoices() {
    for (int k = 1; k <= 8; ++k) Command[k]->setEnabled(false);
    Picture3->clear();
    Picture3->setColor(platform::paletteColor(4));
    Picture3->print(QStringLiteral(" 間違いだぞ!!"));
    Picture3->print(QStringLiteral(" [HELP]をクリックするんだ!!"));
    Picture3->print(QStringLiteral(" [次へ]をクリックしても無駄だぞ!!"));
}

const QuizLayout &Form3::layoutOf() {
    static const QuizLayout layout{QStringLiteral("Form3"), 6630, 0, 1, 15, {1, 6, 11}, {5, 10, 15}, false,
                                   [](QuizScreen &f) {
                                       QList<QWidget *> order{f.Picture2, f.Picture3};
                                       for (int k = 1; k <= 8; ++k) order << f.Command[k];
                                       return order << f.Command9 << f.Picture1 << f.Command10 << f.Command11;
                                   }};
    return layout;
}

Form3::Form3() : QuizScreen(layoutOf()) {}

const QuizLayout &Form7::layoutOf() {
    static const QuizLayout layout{QStringLiteral("Form7"), 6375, -120, 16, 30, {16, 21, 26}, {20, 25, 30}, true,
                                   [](QuizScreen &f) {
                                       QList<QWidget *> order{f.Command11, f.Command10, f.Picture1, f.Command9,
                                                              f.Picture3, f.Picture2};
                                       for (int k = 8; k >= 1; --k) order << f.Command[k];
                                       return order;
                                   }};
    return layout;
}

Form7::Form7() : QuizScreen(layoutOf()) {}

}  // namespace screens
