#include "support/RandomPlay.h"

#include "bank/QuestionBank.h"
#include "platform/Forms.h"
#include "platform/Timer.h"
#include "screens/Screens.h"
#include "screens/front/Form2.h"
#include "screens/history/Form6.h"
#include "screens/quiz/QuizScreen.h"
#include "screens/roulette/Form4.h"
#include "screens/roulette/Wheel.h"
#include "state/Module1.h"
#include "state/ProgressFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

#include <cmath>
#include <unistd.h>

namespace testing_support {

namespace {

using platform::Form;
using screens::Form2;
using screens::Form4;
using screens::QuizScreen;

constexpr double kDay = 86400;
constexpr size_t kRecentEvents = 40;

void settle() {
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

// A code as it can be printed in a report: invisible and broken characters
// as \uXXXX, long ones cut.
QString visible(const QString &text) {
    QString out;
    for (QChar c : text.left(40)) {
        if (c.isPrint() && !c.isSurrogate())
            out += c;
        else
            out += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
    }
    if (text.size() > 40) out += QStringLiteral("...(%1 characters)").arg(text.size());
    return out;
}

QString fileNameOf(const QString &stem) { return stem + QStringLiteral(".ucd"); }

// How readily the driver clicks a button: quitting is rarer than going on,
// and continuing a saved code likelier than starting anew, so that runs get
// far enough into the course to reach every screen.
int weightOf(const Form *form, const QPushButton *button) {
    if (button->text() == QStringLiteral("終了")) return 1;
    if (qobject_cast<const Form2 *>(form) && button->objectName() == QStringLiteral("Command2")) return 40;
    return 8;
}

// The mascot's Timer1 comes a third as often as any other timer.
int weightOf(const platform::Timer *timer) { return timer->objectName() == QStringLiteral("Timer1") ? 1 : 3; }

// One of items (not empty), each as likely as its weight.
template <class T, class Weight>
T *weightedPick(std::mt19937 &rng, const QList<T *> &items, Weight weight) {
    int total = 0;
    for (T *item : items) total += weight(item);
    int r = std::uniform_int_distribution<int>(0, total - 1)(rng);
    for (T *item : items) {
        r -= weight(item);
        if (r < 0) return item;
    }
    return items.last();
}

QuizScreen *openQuiz() { return qobject_cast<QuizScreen *>(platform::forms::open().value(0)); }

}  // namespace

RandomPlay::RandomPlay(std::uint32_t seed) : seed_(seed), rng_(seed) {
    saved_ = platform::services();
    platform::services() = {&clock_, &random_, &beep_, &dialogs_, &media_};
    wasManual_ = platform::Timer::manualMode();
    platform::Timer::setManualMode(true);
    screens::registerAll();

    validCodes_ = {QStringLiteral("taro"),  QStringLiteral("hana"),    QStringLiteral("ゆうき"),
                   QStringLiteral("pm"),    QStringLiteral("が"),      QStringLiteral("か\u3099"),
                   QStringLiteral("Ab-1_"), QStringLiteral("a b"),     QStringLiteral("漢字テスト"),
                   QStringLiteral("🐱")};
    escapeName_ = QStringLiteral("random-play-escape-%1-%2").arg(::getpid()).arg(seed);
    hostileCodes_ = {QStringLiteral("../") + escapeName_,
                     QStringLiteral("a/b"),
                     QStringLiteral(".."),
                     QStringLiteral("."),
                     QStringLiteral("a\\b"),
                     QString(300, QLatin1Char('a')),
                     QString(90, QChar(0x3042)),  // 270 bytes of UTF-8
                     QStringLiteral("ab\x01"),
                     QStringLiteral("line\nbreak"),
                     QStringLiteral("del\x7f"),
                     QStringLiteral("a\u202Eb"),
                     QStringLiteral("p\u2028q"),
                     QStringLiteral("\u200Bzw"),
                     QStringLiteral("\uE000pua"),
                     QString(QChar(0xD800)) + QStringLiteral("x"),
                     QStringLiteral("y") + QChar(0xDC00)};
    for (const QString &code : hostileCodes_) hostile_.insert(code);

    clock_.now = static_cast<float>(std::uniform_real_distribution<double>(0, kDay)(rng_));
    start();
}

RandomPlay::~RandomPlay() {
    platform::forms::resetForTests();
    settle();
    state::resetModule1();
    platform::Timer::setManualMode(wasManual_);
    platform::services() = saved_;
}

void RandomPlay::start() {
    platform::forms::resetForTests();
    settle();
    // A new process: fresh shared variables, no answers typed ahead; the
    // files on disk stay.
    state::resetModule1();
    dialogs_.inputAnswers.clear();
    dialogs_.yesNoAnswers.clear();
    expect_ = Expected{};
    lastSeen_ = nullptr;
    platform::forms::show(QStringLiteral("Form1"));
    settle();
}

void RandomPlay::restart() {
    ++figures_.restarts;
    ++figures_.endedOn[lastScreen_];
    log(QStringLiteral("the program ended; started again from the title"));
    start();
}

QString RandomPlay::play(long events) {
    for (long i = 0; i < events && failure_.isEmpty(); ++i) {
        if (platform::forms::programEnded() || platform::forms::open().isEmpty()) restart();
        ++figures_.events;
        topUpRandom();
        step();
        settle();
        if (afterSettle_) {
            auto account = std::move(afterSettle_);
            afterSettle_ = nullptr;
            account();
        }
        accountWheel();
        check();
        dialogs_.calls.clear();
        media_.log.clear();
        random_.seeds.clear();
    }
    return failure_;
}

void RandomPlay::step() {
    Form *form = platform::forms::open().value(0);
    ++figures_.eventsOn[form->objectName()];
    watchWheel(form);
    const int roll = pick(1000);
    if (roll < 2) {
        log(form->objectName() + QStringLiteral(": close box"));
        lastScreen_ = form->objectName() + QStringLiteral(" close box");
        form->close();
    } else if (roll < 60) {
        moveClock();
    } else if (roll < 100) {
        queueCodes();
    } else if (roll < 115) {
        queueYesNo();
    } else if (roll < (wheelRunning(form) ? 800 : 250)) {
        if (!tickTimer(form)) clickButton(form);
    } else if (!clickButton(form)) {
        tickTimer(form);
    }
}

bool RandomPlay::clickButton(Form *form) {
    QList<QPushButton *> buttons;
    for (QPushButton *b : form->findChildren<QPushButton *>())
        if (b->isEnabled() && b->isVisible()) buttons << b;
    if (buttons.isEmpty()) return false;
    QPushButton *button = weightedPick(rng_, buttons, [form](const QPushButton *b) { return weightOf(form, b); });
    if (auto *quiz = qobject_cast<QuizScreen *>(form)) {
        // Half the time a learner who knows the answer, and mostly goes on
        // after it: a wrong click after a right one leaves only "終了".
        const state::Module1 &m = state::module1();
        const int right = bank::rightButton(m.QuestionNo, m.VariantNo);
        const bool answered = expect_.rightScoredOn == m.QuestionNo;
        if (chance(answered ? 0.85 : 0.5)) {
            if (answered && quiz->Command11->isEnabled())
                button = quiz->Command11;
            else if (right >= 1 && quiz->Command[right]->isEnabled())
                button = quiz->Command[right];
            else if (quiz->Command9->isEnabled())
                button = quiz->Command9;  // locked after a wrong answer: off to the tutor
        }
        for (int k = 1; k <= 8; ++k)
            if (button == quiz->Command[k]) {
                answer(quiz, k);
                return true;
            }
    }
    if (auto *menu = qobject_cast<Form2 *>(form)) {
        startMenu(menu, button);
        return true;
    }
    // Asked whether to quit, a learner mostly answers then and there.
    if (button->text() == QStringLiteral("終了") && dialogs_.yesNoAnswers.empty() && chance(0.5)) queueYesNo();
    log(QStringLiteral("%1: click %2 \"%3\"").arg(form->objectName(), button->objectName(), button->text()));
    QTest::mouseClick(button, Qt::LeftButton);
    return true;
}

void RandomPlay::answer(QuizScreen *quiz, int k) {
    const state::Module1 &m = state::module1();
    const int n = m.QuestionNo;
    if (!state::Module1::inRange(n)) return fail(QStringLiteral("an answer button is enabled on question %1").arg(n));
    const int right = bank::rightButton(n, m.VariantNo);
    log(QStringLiteral("%1: answer Command%2 on question %3 variant %4 (right: Command%5)")
            .arg(quiz->objectName())
            .arg(k)
            .arg(n)
            .arg(m.VariantNo)
            .arg(right));
    QTest::mouseClick(quiz->Command[k], Qt::LeftButton);
    if (k == right) {
        // A right answer scores once; clicked again, it scores nothing.
        if (expect_.rightScoredOn != n) {
            expect_.score += 3000;
            expect_.rightScoredOn = n;
            ++figures_.rightAnswers;
        }
    } else {
        expect_.score -= 3000;
        expect_.misses[n] += 1;
        expect_.rightScoredOn = 0;
        ++figures_.wrongAnswers;
    }
}

void RandomPlay::startMenu(Form2 *menu, QPushButton *button) {
    const bool anew = button == menu->Command1;
    // Asked for a code, a learner mostly types something.
    if (dialogs_.inputAnswers.empty() && chance(0.85)) queueCodes();
    const std::deque<QString> queued = dialogs_.inputAnswers;
    // The menu must refuse every hostile answer and take the first valid or
    // empty one; when none is left the box comes back cancelled.
    size_t take = queued.size();
    QString code;
    for (size_t i = 0; i < queued.size(); ++i) {
        if (!hostile_.contains(queued[i])) {
            take = i + 1;
            code = queued[i];
            break;
        }
    }
    const long refused = static_cast<long>(take) - (take > 0 && !hostile_.contains(queued[take - 1]) ? 1 : 0);
    QStringList shown;
    for (size_t i = 0; i < queued.size() && i < 6; ++i) shown << QLatin1Char('"') + visible(queued[i]) + QLatin1Char('"');
    log(QStringLiteral("Form2: click %1 \"%2\" with input answers [%3]")
            .arg(button->objectName(), button->text(), shown.join(QStringLiteral(", "))));
    QTest::mouseClick(button, Qt::LeftButton);

    afterSettle_ = [this, anew, queued, take, code, refused] {
        const size_t consumed = queued.size() - dialogs_.inputAnswers.size();
        if (consumed != take)
            return fail(QStringLiteral("the start menu took %1 input answers, but the code to take, \"%2\", "
                                       "was answer %3 (hostile codes refused, valid ones taken)")
                            .arg(consumed)
                            .arg(visible(code))
                            .arg(take));
        figures_.codesRefused += refused;
        const QString stem =
            code.isEmpty() ? QStringLiteral("pm") : code.normalized(QString::NormalizationForm_C);
        const bool quizOpen = openQuiz() != nullptr;
        if (anew || code.isEmpty()) {
            // A new course: 0 points, no misses, question 1.
            if (!quizOpen)
                return fail(QStringLiteral("a new course under code \"%1\" did not open the quiz").arg(visible(code)));
            expect_ = Expected{};
        } else if (auto seen = files_.constFind(fileNameOf(stem)); seen != files_.constEnd()) {
            if (!quizOpen)
                return fail(QStringLiteral("continuing the saved code \"%1\" did not open the quiz").arg(visible(code)));
            // The run goes on from what the driver saw saved under this code.
            expect_ = Expected{};
            expect_.score = seen->score;
            expect_.misses = seen->misses;
            expect_.lowestQuestion = seen->questionNo;
            ++figures_.continued;
        } else {
            if (!platform::forms::programEnded())
                fail(QStringLiteral("continuing the code \"%1\", which has no progress file, did not end the program")
                         .arg(visible(code)));
            return;
        }
        if (state::module1().UserFileStem != stem)
            fail(QStringLiteral("the run keeps its progress under \"%1\", not \"%2\"")
                     .arg(visible(state::module1().UserFileStem), visible(stem)));
    };
}

bool RandomPlay::tickTimer(Form *form) {
    QList<platform::Timer *> timers;
    for (platform::Timer *t : form->findChildren<platform::Timer *>())
        if (t->isEnabled()) timers << t;
    if (timers.isEmpty()) return false;
    platform::Timer *timer = weightedPick(rng_, timers, [](const platform::Timer *t) { return weightOf(t); });
    log(form->objectName() + QStringLiteral(": tick ") + timer->objectName());
    timer->fire();
    return true;
}

void RandomPlay::moveClock() {
    const float before = clock_.now;
    std::uniform_real_distribution<double> seconds(0.05, 30), minutes(30, 7200), lastSeconds(0, 20);
    const int kind = pick(10);
    double next = kind < 6 ? before + seconds(rng_) : kind < 9 ? before + minutes(rng_) : kDay - lastSeconds(rng_);
    next = std::fmod(next, kDay);  // past midnight the reading starts again at 0
    clock_.now = static_cast<float>(next);
    if (clock_.now >= kDay) clock_.now = 0;
    log(QStringLiteral("clock %1 -> %2").arg(before, 0, 'f', 2).arg(clock_.now, 0, 'f', 2));
}

void RandomPlay::queueCodes() {
    QStringList typed;
    for (int i = 1 + pick(3); i > 0; --i) {
        const int kind = pick(100);
        // Most often one of a few learners' codes, so that runs continue.
        const int valid = pick(10) < 7 ? pick(3) : pick(static_cast<int>(validCodes_.size()));
        const QString code = kind < 60   ? validCodes_[valid]
                             : kind < 85 ? hostileCodes_[pick(static_cast<int>(hostileCodes_.size()))]
                                         : QString();  // Cancel
        dialogs_.inputAnswers.push_back(code);
        typed << QLatin1Char('"') + visible(code) + QLatin1Char('"');
    }
    log(QStringLiteral("the input box will get ") + typed.join(QStringLiteral(", ")));
}

void RandomPlay::queueYesNo() {
    const bool yes = chance(0.4);
    dialogs_.yesNoAnswers.push_back(yes);
    log(yes ? QStringLiteral("a Yes/No box will get Yes") : QStringLiteral("a Yes/No box will get No"));
}

void RandomPlay::topUpRandom() {
    // Variants and wheel stops: mostly uniform, sometimes the ends of [0, 1).
    while (random_.values.size() < 3) {
        const int kind = pick(40);
        random_.values.push_back(kind == 0   ? 0.0
                                 : kind == 1 ? std::nextafter(1.0, 0.0)
                                             : std::uniform_real_distribution<double>(0, 1)(rng_));
    }
}

bool RandomPlay::wheelRunning(Form *form) {
    // The roulette moves only by ticks: while it turns, ticks come oftener
    // than the mascot's alone would call for.
    auto *roulette = qobject_cast<Form4 *>(form);
    return roulette && (roulette->Timer2->isEnabled() || roulette->Timer3->isEnabled());
}

void RandomPlay::watchWheel(Form *form) {
    wheel_ = WheelWatch{};
    auto *roulette = qobject_cast<Form4 *>(form);
    if (!roulette) return;
    wheel_.form = roulette;
    wheel_.haltDue = roulette->Timer3->isEnabled() && !roulette::runsOn(roulette->WheelAngle, roulette->ExtraTurns);
    wheel_.points = roulette::halt(roulette->WheelAngle).points;
    wheel_.nextEnabled = roulette->Command3->isEnabled();
}

void RandomPlay::accountWheel() {
    // "次へ" comes on only when the ball halts: that is when the wheel scores.
    Form4 *roulette = wheel_.form;
    if (!roulette || roulette->isUnloaded() || wheel_.nextEnabled || !roulette->Command3->isEnabled()) return;
    if (!wheel_.haltDue) return fail(QStringLiteral("the wheel halted while the ball had still to run on"));
    expect_.score += wheel_.points;
    ++figures_.wheelsHalted;
}

bool RandomPlay::holds(bool ok, const std::function<QString()> &why) {
    if (!failure_.isEmpty()) return false;
    if (!ok) {
        fail(why());
        return false;
    }
    ++figures_.checks;
    return true;
}

void RandomPlay::check() {
    for (const QString &call : dialogs_.calls)
        if (!holds(!call.startsWith(QStringLiteral("error|")),
                   [&] { return QStringLiteral("a failure was reported to the learner: ") + call; }))
            return;
    checkScreen();
    checkProgressFile();
    checkFolder();
}

void RandomPlay::checkScreen() {
    const QList<Form *> open = platform::forms::open();
    if (!holds(open.size() <= 1, [&] { return QStringLiteral("%1 screens open at once").arg(open.size()); })) return;
    const state::Module1 &m = state::module1();
    if (!open.isEmpty()) {
        Form *form = open.first();
        const QString name = form->objectName();
        if (form != lastSeen_) {
            lastSeen_ = form;
            lastScreen_ = name;
            ++figures_.screens[name];
        }
        if (name != QStringLiteral("Form1") && name != QStringLiteral("Form2")) {
            if (!holds(state::Module1::inRange(m.QuestionNo),
                       [&] { return QStringLiteral("QuestionNo is %1 on %2").arg(m.QuestionNo).arg(name); }))
                return;
            if (!holds(m.QuestionNo >= expect_.lowestQuestion, [&] {
                    return QStringLiteral("QuestionNo went back from %1 to %2 on %3")
                        .arg(expect_.lowestQuestion)
                        .arg(m.QuestionNo)
                        .arg(name);
                }))
                return;
            expect_.lowestQuestion = m.QuestionNo;
        }
        if (auto *quiz = qobject_cast<QuizScreen *>(form)) {
            const QString owner = m.QuestionNo <= 15 ? QStringLiteral("Form3") : QStringLiteral("Form7");
            if (!holds(name == owner, [&] {
                    return QStringLiteral("question %1 is on %2, not on %3").arg(m.QuestionNo).arg(name, owner);
                }))
                return;
            // The buttons show the variant that the answer key judges.
            const bank::Question *q = bank::question(m.QuestionNo);
            if (!holds(q && m.VariantNo >= 1 && m.VariantNo <= 3,
                       [&] { return QStringLiteral("VariantNo is %1 on %2").arg(m.VariantNo).arg(name); }))
                return;
            for (int k = 1; k <= 8; ++k) {
                const QString caption = QString::fromUtf8(k <= 7 ? q->variants[m.VariantNo - 1].captions[k - 1]
                                                                 : bank::kOtherCaption);
                if (!holds(quiz->Command[k]->text() == caption, [&] {
                        return QStringLiteral("Command%1 reads \"%2\", but question %3 variant %4 has \"%5\"")
                            .arg(k)
                            .arg(quiz->Command[k]->text())
                            .arg(m.QuestionNo)
                            .arg(m.VariantNo)
                            .arg(caption);
                    }))
                    return;
            }
            const QString shown = state::progress::formatNumber(m.Score, 15);
            if (!holds(quiz->Label2->text() == shown, [&] {
                    return QStringLiteral("%1 shows the score \"%2\", the score is %3")
                        .arg(name, quiz->Label2->text(), shown);
                }))
                return;
        }
        if (auto *history = qobject_cast<screens::Form6 *>(form)) {
            // Filled by the screen that opened it: the quiz writes the score
            // plainly, the roulette with its leading blank.
            const QString shown = history->Label4->text();
            if (!holds(shown == state::progress::formatNumber(m.Score, 15) || shown == roulette::scoreText(m.Score), [&] {
                    return QStringLiteral("the history shows the score \"%1\", the score is %2")
                        .arg(shown)
                        .arg(m.Score, 0, 'f', 0);
                }))
                return;
        }
        if (auto *roulette = qobject_cast<Form4 *>(form)) {
            if (!holds(roulette->Label2->text() == roulette::scoreText(m.Score), [&] {
                    return QStringLiteral("the roulette shows the score \"%1\", the score is %2")
                        .arg(roulette->Label2->text())
                        .arg(m.Score, 0, 'f', 0);
                }))
                return;
        }
    }
    if (!holds(m.Score == expect_.score, [&] {
            return QStringLiteral("the score is %1, but right and wrong answers and the wheels give %2")
                .arg(m.Score, 0, 'f', 0)
                .arg(expect_.score, 0, 'f', 0);
        }))
        return;
    for (int i = 1; i <= state::kQuestions; ++i)
        if (!holds(m.MissCount[i] == expect_.misses[i], [&] {
                return QStringLiteral("question %1 counts %2 misses, %3 wrong answers were given")
                    .arg(i)
                    .arg(m.MissCount[i])
                    .arg(expect_.misses[i]);
            }))
            return;
}

void RandomPlay::checkProgressFile() {
    const state::Module1 &m = state::module1();
    if (!failure_.isEmpty() || m.UserFileStem.isEmpty()) return;
    const QString name = fileNameOf(m.UserFileStem);
    QFile file(name);
    if (!file.exists()) {
        holds(!files_.contains(name), [&] { return QStringLiteral("the progress file %1 vanished").arg(visible(name)); });
        return;
    }
    if (!holds(file.open(QIODevice::ReadOnly),
               [&] { return QStringLiteral("the progress file %1 cannot be opened").arg(visible(name)); }))
        return;
    const QByteArray bytes = file.readAll();
    state::Module1 back;
    QString error;
    try {
        state::progress::loadFrom(name, back);
    } catch (const std::exception &e) {
        error = QString::fromUtf8(e.what());
    }
    if (!holds(error.isEmpty(), [&] {
            return QStringLiteral("the progress file %1 does not read back: %2\n  its content: %3")
                .arg(visible(name), error, QString::fromLatin1(bytes.left(300).toPercentEncoding(" ,.-\r\n")));
        }))
        return;
    Saved &seen = files_[name];
    if (bytes == seen.bytes) return;
    // A save: it holds the run's score and misses as the driver counts them.
    ++figures_.saves;
    if (!holds(back.Score == expect_.score, [&] {
            return QStringLiteral("%1 was saved with the score %2, expected %3")
                .arg(visible(name))
                .arg(back.Score, 0, 'f', 0)
                .arg(expect_.score, 0, 'f', 0);
        }))
        return;
    for (int i = 1; i <= state::kQuestions; ++i)
        if (!holds(back.MissCount[i] == expect_.misses[i], [&] {
                return QStringLiteral("%1 was saved with %2 misses on question %3, expected %4")
                    .arg(visible(name))
                    .arg(back.MissCount[i])
                    .arg(i)
                    .arg(expect_.misses[i]);
            }))
            return;
    if (!holds(back.QuestionNo == m.QuestionNo, [&] {
            return QStringLiteral("%1 was saved on question %2 while the run is on question %3")
                .arg(visible(name))
                .arg(back.QuestionNo)
                .arg(m.QuestionNo);
        }))
        return;
    seen.bytes = bytes;
    seen.score = back.Score;
    for (int i = 1; i <= state::kQuestions; ++i) seen.misses[i] = back.MissCount[i];
    seen.questionNo = back.QuestionNo;
}

void RandomPlay::checkFolder() {
    if (!failure_.isEmpty()) return;
    // Only the progress files of codes that were taken: no leftover
    // temporary file, nothing made by a refused code.
    const QStringList entries = QDir::current().entryList(QDir::AllEntries | QDir::Hidden | QDir::System |
                                                          QDir::NoDotAndDotDot);
    for (const QString &entry : entries)
        if (!holds(files_.contains(entry),
                   [&] { return QStringLiteral("a stray entry in the working folder: %1").arg(visible(entry)); }))
            return;
    const QString escaped = QStringLiteral("../") + fileNameOf(escapeName_);
    holds(!QFileInfo::exists(escaped),
          [&] { return QStringLiteral("a file was written outside the working folder: %1").arg(escaped); });
}

void RandomPlay::fail(const QString &what) {
    if (!failure_.isEmpty()) return;
    failure_ = QStringLiteral(
                   "random play broke an invariant: %1\n"
                   "  seed %2, event %3 (replay: POMURIN_RANDOM_PLAY_SEED=%2 for the test, "
                   "or random_play_bench %3 %2)\n"
                   "  the events before it:\n%4")
                   .arg(what)
                   .arg(seed_)
                   .arg(figures_.events)
                   .arg(recentEvents());
}

void RandomPlay::log(const QString &event) {
    recent_.push_back(QStringLiteral("#%1 %2").arg(figures_.events).arg(event));
    if (recent_.size() > kRecentEvents) recent_.pop_front();
}

QString RandomPlay::recentEvents() const {
    QString out;
    for (const QString &line : recent_) out += QStringLiteral("    ") + line + QLatin1Char('\n');
    return out;
}

}  // namespace testing_support
