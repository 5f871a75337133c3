// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/RandomPlay.h"

#include "bank/QuestionBank.h"
#include "platform/Forms.h"
#include "platform/Timer.h"
#include "screens/Screens.h"
#include "screens/front/StartMenu.h"
#include "screens/history/HistoryScreen.h"
#include "screens/quiz/QuizScreen.h"
#include "screens/roulette/RouletteScreen.h"
#include "screens/roulette/Wheel.h"
#include "state/CodeHold.h"
#include "state/Session.h"
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
using screens::StartMenu;
using screens::RouletteScreen;
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
    if (qobject_cast<const StartMenu *>(form) && button->objectName() == QStringLiteral("continueButton")) return 40;
    return 8;
}

// The mascot timer comes a third as often as any other timer.
int weightOf(const platform::Timer *timer) { return timer->objectName() == QStringLiteral("mascotTimer") ? 1 : 3; }

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
    state::resetSession();
    platform::Timer::setManualMode(wasManual_);
    platform::services() = saved_;
}

void RandomPlay::start() {
    platform::forms::resetForTests();
    settle();
    // A new process: fresh shared variables, no answers typed ahead; the
    // files on disk stay.
    state::resetSession();
    dialogs_.inputAnswers.clear();
    dialogs_.yesNoAnswers.clear();
    expect_ = Expected{};
    lastSeen_ = nullptr;
    screens::showScreen(screens::ScreenId::Title);
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
        figures_.mediaCommands += media_.log.size();
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
        const state::Session &m = state::session();
        const int right = bank::rightButton(m.question, m.variant);
        const bool answered = expect_.rightScoredOn == m.question;
        if (chance(answered ? 0.85 : 0.5)) {
            if (answered && quiz->board.nextButton->isEnabled())
                button = quiz->board.nextButton;
            else if (right >= 1 && quiz->board.answerButtons[right]->isEnabled())
                button = quiz->board.answerButtons[right];
            else if (quiz->board.helpButton->isEnabled())
                button = quiz->board.helpButton;  // locked after a wrong answer: off to the tutor
        }
        for (int k = 1; k <= 8; ++k)
            if (button == quiz->board.answerButtons[k]) {
                answer(quiz, k);
                return true;
            }
    }
    if (auto *menu = qobject_cast<StartMenu *>(form)) {
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
    const state::Session &m = state::session();
    const int n = m.question;
    if (!state::Session::inRange(n)) return fail(QStringLiteral("an answer button is enabled on question %1").arg(n));
    const int right = bank::rightButton(n, m.variant);
    log(QStringLiteral("%1: answer button %2 on question %3 variant %4 (right: button %5)")
            .arg(quiz->objectName())
            .arg(k)
            .arg(n)
            .arg(m.variant)
            .arg(right));
    QTest::mouseClick(quiz->board.answerButtons[k], Qt::LeftButton);
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

void RandomPlay::startMenu(StartMenu *menu, QPushButton *button) {
    const bool anew = button == menu->newRunButton;
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
    log(QStringLiteral("StartMenu: click %1 \"%2\" with input answers [%3]")
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
        if (state::session().userCode != stem)
            fail(QStringLiteral("the run keeps its progress under \"%1\", not \"%2\"")
                     .arg(visible(state::session().userCode), visible(stem)));
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
    auto *roulette = qobject_cast<RouletteScreen *>(form);
    return roulette && (roulette->spinTimer->isEnabled() || roulette->runOnTimer->isEnabled());
}

void RandomPlay::watchWheel(Form *form) {
    wheel_ = WheelWatch{};
    auto *roulette = qobject_cast<RouletteScreen *>(form);
    if (!roulette) return;
    wheel_.form = roulette;
    wheel_.haltDue = roulette->runOnTimer->isEnabled() && !roulette::runsOn(roulette->wheelAngle, roulette->extraTurns);
    wheel_.points = roulette::halt(roulette->wheelAngle).points;
    wheel_.nextEnabled = roulette->nextButton->isEnabled();
}

void RandomPlay::accountWheel() {
    // "次へ" comes on only when the ball halts: that is when the wheel scores.
    RouletteScreen *roulette = wheel_.form;
    if (!roulette || roulette->isUnloaded() || wheel_.nextEnabled || !roulette->nextButton->isEnabled()) return;
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
        if (!holds(!call.startsWith(QStringLiteral("error|")) || call.endsWith("\n別のコードを入れてください。|ぽむりん紀行20"),  // a code refused
                   [&] { return QStringLiteral("a failure was reported to the learner: ") + call; }))
            return;
    checkScreen();
    checkProgressFile();
    checkFolder();
}

void RandomPlay::checkScreen() {
    const QList<Form *> open = platform::forms::open();
    if (!holds(open.size() <= 1, [&] { return QStringLiteral("%1 screens open at once").arg(open.size()); })) return;
    const state::Session &m = state::session();
    if (!open.isEmpty()) {
        Form *form = open.first();
        const QString name = form->objectName();
        if (form != lastSeen_) {
            lastSeen_ = form;
            lastScreen_ = name;
            ++figures_.screens[name];
        }
        if (name != QStringLiteral("titleScreen") && name != QStringLiteral("startMenu")) {
            if (!holds(state::Session::inRange(m.question),
                       [&] { return QStringLiteral("question is %1 on %2").arg(m.question).arg(name); }))
                return;
            if (!holds(m.question >= expect_.lowestQuestion, [&] {
                    return QStringLiteral("question went back from %1 to %2 on %3")
                        .arg(expect_.lowestQuestion)
                        .arg(m.question)
                        .arg(name);
                }))
                return;
            expect_.lowestQuestion = m.question;
        }
        if (auto *quiz = qobject_cast<QuizScreen *>(form)) {
            const QString owner = m.question <= 15 ? QStringLiteral("firstQuizScreen") : QStringLiteral("secondQuizScreen");
            if (!holds(name == owner, [&] {
                    return QStringLiteral("question %1 is on %2, not on %3").arg(m.question).arg(name, owner);
                }))
                return;
            // The buttons show the variant that the answer key judges.
            const bank::Question *q = bank::question(m.question);
            if (!holds(q && m.variant >= 1 && m.variant <= 3,
                       [&] { return QStringLiteral("variant is %1 on %2").arg(m.variant).arg(name); }))
                return;
            for (int k = 1; k <= 8; ++k) {
                const QString caption = QString::fromUtf8(k <= 7 ? q->variants[m.variant - 1].captions[k - 1]
                                                                 : bank::kOtherCaption);
                if (!holds(quiz->board.answerButtons[k]->text() == caption, [&] {
                        return QStringLiteral("answer button %1 reads \"%2\", but question %3 variant %4 has \"%5\"")
                            .arg(k)
                            .arg(quiz->board.answerButtons[k]->text())
                            .arg(m.question)
                            .arg(m.variant)
                            .arg(caption);
                    }))
                    return;
            }
            const QString shown = state::progress::formatNumber(m.score, 15);
            if (!holds(quiz->board.scoreLabel->text() == shown, [&] {
                    return QStringLiteral("%1 shows the score \"%2\", the score is %3")
                        .arg(name, quiz->board.scoreLabel->text(), shown);
                }))
                return;
        }
        if (auto *history = qobject_cast<screens::HistoryScreen *>(form)) {
            // Filled by the screen that opened it: the quiz writes the score
            // plainly, the roulette with its leading blank.
            const QString shown = history->scoreLabel->text();
            if (!holds(shown == state::progress::formatNumber(m.score, 15) || shown == roulette::scoreText(m.score), [&] {
                    return QStringLiteral("the history shows the score \"%1\", the score is %2")
                        .arg(shown)
                        .arg(m.score, 0, 'f', 0);
                }))
                return;
        }
        if (auto *roulette = qobject_cast<RouletteScreen *>(form)) {
            if (!holds(roulette->scoreLabel->text() == roulette::scoreText(m.score), [&] {
                    return QStringLiteral("the roulette shows the score \"%1\", the score is %2")
                        .arg(roulette->scoreLabel->text())
                        .arg(m.score, 0, 'f', 0);
                }))
                return;
        }
    }
    if (!holds(m.score == expect_.score, [&] {
            return QStringLiteral("the score is %1, but right and wrong answers and the wheels give %2")
                .arg(m.score, 0, 'f', 0)
                .arg(expect_.score, 0, 'f', 0);
        }))
        return;
    for (int i = 1; i <= state::kQuestions; ++i)
        if (!holds(m.misses[i] == expect_.misses[i], [&] {
                return QStringLiteral("question %1 counts %2 misses, %3 wrong answers were given")
                    .arg(i)
                    .arg(m.misses[i])
                    .arg(expect_.misses[i]);
            }))
            return;
}

void RandomPlay::checkProgressFile() {
    const state::Session &m = state::session();
    if (!failure_.isEmpty() || m.userCode.isEmpty()) return;
    const QString name = fileNameOf(m.userCode);
    QFile file(name);
    if (!file.exists()) {
        holds(!files_.contains(name), [&] { return QStringLiteral("the progress file %1 vanished").arg(visible(name)); });
        return;
    }
    if (!holds(file.open(QIODevice::ReadOnly),
               [&] { return QStringLiteral("the progress file %1 cannot be opened").arg(visible(name)); }))
        return;
    const QByteArray bytes = file.readAll();
    state::Session back;
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
    if (!holds(back.score == expect_.score, [&] {
            return QStringLiteral("%1 was saved with the score %2, expected %3")
                .arg(visible(name))
                .arg(back.score, 0, 'f', 0)
                .arg(expect_.score, 0, 'f', 0);
        }))
        return;
    for (int i = 1; i <= state::kQuestions; ++i)
        if (!holds(back.misses[i] == expect_.misses[i], [&] {
                return QStringLiteral("%1 was saved with %2 misses on question %3, expected %4")
                    .arg(visible(name))
                    .arg(back.misses[i])
                    .arg(i)
                    .arg(expect_.misses[i]);
            }))
            return;
    if (!holds(back.question == m.question, [&] {
            return QStringLiteral("%1 was saved on question %2 while the run is on question %3")
                .arg(visible(name))
                .arg(back.question)
                .arg(m.question);
        }))
        return;
    seen.bytes = bytes;
    seen.score = back.score;
    for (int i = 1; i <= state::kQuestions; ++i) seen.misses[i] = back.misses[i];
    seen.questionNo = back.question;
}

void RandomPlay::checkFolder() {
    if (!failure_.isEmpty()) return;
    // Only the progress files of codes that were taken: no leftover
    // temporary file, nothing made by a refused code;
    const QStringList entries = QDir::current().entryList(QDir::AllEntries | QDir::Hidden | QDir::System |
                                                          QDir::NoDotAndDotDot);
    // and the hold of the code in play (one at most: taking a code gives
    // up the one before).
    const QString held = state::codeHold().holdPath();
    for (const QString &entry : entries)
        if (!holds(files_.contains(entry) || QDir::current().absoluteFilePath(entry) == held,
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
