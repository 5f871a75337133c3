// SPDX-License-Identifier: GPL-3.0-or-later
// Renders one screen in a given state to a PNG file, for looking at the
// screens without clicking through the course:
//
//   screenshot quiz <question> <variant> <out.png> [wrong]
//   screenshot tutor <question> <clicks> <out.png>
//   screenshot title <out.png>
//   screenshot roulette <score> <ticks> <out.png>      (ticks: -1 fresh, N spin N ticks
//                                                       and hold the ball, or "halt" with a number)
//   screenshot history <question> <misses> <out.png>   (misses on each question so far)
//   screenshot review <question> <out.png> [wrong]     (the review asking that question)
//   screenshot review-summary <missed> <out.png>       (a round of ten, the first <missed> still missed)
//   screenshot review-story <prefix>                   (the review over three days, every window and
//                                                       message saved as <prefix>-NN-<what>.png)
//   screenshot review-class <folder> <code> <days> <missed> <prefix>
//                                                      (a pupil's review round in a class folder with
//                                                       its 課題, <days> from today; the questions in
//                                                       <missed> ("18,3" or "-") answered wrongly once;
//                                                       the round's order printed, its windows saved)
//
// Before the screen's name, --scale VALUE (auto, or 1 to 3) draws it at
// that display scale, and --screen saves the whole screen with the window
// on it instead of the window alone.  Without --scale the scale is the
// one the game would choose (the setting, else auto for the screen).  It
// prints the scale and the window's share of the screen's height.
//
// It runs in a fresh temporary working directory with a progress file made
// for the purpose; nothing is played and no learner's file is touched.
#include "bank/QuestionBank.h"
#include "bank/Topics.h"
#include "platform/Form.h"
#include "platform/Forms.h"
#include "platform/PictureBox.h"
#include "platform/Services.h"
#include "platform/Settings.h"
#include "platform/Timer.h"
#include "screens/Screens.h"
#include "screens/history/HistoryScreen.h"
#include "screens/quiz/QuizScreen.h"
#include "screens/review/Review.h"
#include "screens/review/ReviewScreen.h"
#include "screens/roulette/RouletteScreen.h"
#include "screens/tutor/TutorScreen.h"
#include "state/ProgressFile.h"
#include "state/Session.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>
#include <QWindow>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <optional>

namespace {

// Today moved on by a number of days, at ten in the morning.
class ShiftedClock : public platform::Clock {
public:
    int days = 0;
    float secondsSinceMidnight() override { return 36000; }
    QDate today() override { return QDate::currentDate().addDays(days); }
};

void saveShot(QWidget *w, const QString &prefix, const QString &what) {
    static int shots = 0;
    QApplication::processEvents();
    const QString name = QStringLiteral("%1-%2-%3.png").arg(prefix).arg(++shots, 2, 10, QLatin1Char('0')).arg(what);
    std::printf("%s: %s\n", qPrintable(name), w->grab().save(name) ? "saved" : "NOT SAVED");
}

// Saves the next modal dialog once it shows, then acts on it.
void onNextModal(const QString &prefix, const QString &what, std::function<void(QWidget *)> act) {
    auto *poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, [=] {
        QWidget *w = QApplication::activeModalWidget();
        if (!w || !w->isVisible()) return;
        poll->stop();
        poll->deleteLater();
        saveShot(w, prefix, what);
        act(w);
    });
    poll->start(50);
}

void clickButton(QWidget *box, const QString &caption) {
    for (QAbstractButton *b : qobject_cast<QMessageBox *>(box)->buttons())
        if (b->text() == caption) b->click();
}

void printRecord(const char *when) {
    QFile f(QStringLiteral("shot.review"));
    std::printf("record %s:\n%s\n", when, f.open(QIODevice::ReadOnly) ? f.readAll().constData() : "(none)");
}

screens::ReviewScreen *reviewScreen() {
    return qobject_cast<screens::ReviewScreen *>(screens::findScreen(screens::ScreenId::Review));
}

void tell(const QString &prefix, const QString &what) {
    screens::ReviewScreen *s = reviewScreen();
    std::printf("%s: %s %s | %s\n", qPrintable(what), qPrintable(s->board.scoreCaption->text()),
                qPrintable(s->board.scoreLabel->text()), qPrintable(s->board.speechBox->accessibleDescription()));
    saveShot(s, prefix, what);
}

void answerRight() {
    const review::Round::Item *item = review::current().round->current();
    reviewScreen()->answerClicked(bank::rightButton(item->question, item->variant));
}

// The review over three days, from the code box on.
int reviewStory(const QString &prefix) {
    static ShiftedClock clock;
    platform::services().clock = &clock;
    state::Session &m = state::session();
    m.question = 12;
    m.misses[3] = 2;
    m.misses[5] = 4;
    m.misses[12] = 1;
    state::progress::save(m);
    // Question 12 practised once before, in a record of the first form.
    QFile old(QStringLiteral("shot.review"));
    if (!old.open(QIODevice::WriteOnly)) return 1;
    old.write("pomurin20 review 1\r\n12,1,1,1," + QDate::currentDate().addDays(-6).toString(Qt::ISODate).toLatin1() +
              "\r\n");
    old.close();
    printRecord("before");

    onNextModal(prefix, "code-box", [](QWidget *w) {
        auto *box = qobject_cast<QInputDialog *>(w);
        box->setTextValue(QStringLiteral("shot"));
        box->accept();
    });
    if (!review::start()) return 1;
    screens::showScreen(screens::ScreenId::Review);
    tell(prefix, "prompt");
    reviewScreen()->answerClicked(8);
    tell(prefix, "wrong");
    // Back from HELP: a fresh window on the same question.
    reviewScreen()->unload();
    screens::showScreen(screens::ScreenId::Review);
    tell(prefix, "after-help");
    answerRight();
    tell(prefix, "right");
    for (;;) {
        reviewScreen()->nextClicked();
        QApplication::processEvents();
        if (!reviewScreen()) break;
        const bool comeback = review::current().round->current()->comeback;
        if (comeback) tell(prefix, "comeback");
        if (comeback) reviewScreen()->answerClicked(8);
        answerRight();
        if (comeback) tell(prefix, "comeback-right");
    }
    auto *summary = screens::findScreen(screens::ScreenId::ReviewSummary);
    if (!summary) return 1;
    saveShot(summary, prefix, "summary");
    printRecord("after the first round");

    // もう一度 the same day: nothing due; practised ahead of time.
    onNextModal(prefix, "nothing-due", [](QWidget *w) { clickButton(w, QStringLiteral("先取りで練習")); });
    summary->findChild<QPushButton *>(QStringLiteral("againButton"))->click();
    QApplication::processEvents();
    if (!reviewScreen()) return 1;
    tell(prefix, "same-day-ahead");
    reviewScreen()->unload();

    // Two days later.
    clock.days = 2;
    if (!review::beginRound(nullptr)) return 1;
    screens::showScreen(screens::ScreenId::Review);
    tell(prefix, "two-days-later");
    reviewScreen()->unload();

    // A pupil who never missed anything.
    review::current().progress = state::Session{};
    review::current().progress.question = 8;
    review::current().record = {};
    onNextModal(prefix, "never-missed", [](QWidget *w) { clickButton(w, QStringLiteral("終了")); });
    review::beginRound(nullptr);
    return 0;
}

// A pupil's round in a class folder, as review-class says.
int reviewClass(const QStringList &args) {
    static ShiftedClock clock;
    platform::services().clock = &clock;
    clock.days = args[3].toInt();
    const QString prefix = QDir::current().absoluteFilePath(args[5]);
    QStringList missed = args[4].split(QLatin1Char(','));
    if (!QDir::setCurrent(args[1])) return 1;
    const QString code = args[2];
    onNextModal(prefix, "code-box", [prefix, code](QWidget *w) {
        qobject_cast<QInputDialog *>(w)->setTextValue(code);
        qobject_cast<QInputDialog *>(w)->accept();
        // The teacher's message, when one comes, is saved and answered.
        onNextModal(prefix, "message", [](QWidget *box) {
            std::printf("message: %s\n", qPrintable(qobject_cast<QMessageBox *>(box)->text()));
            qobject_cast<QMessageBox *>(box)->buttons().first()->click();
        });
    });
    if (!review::start()) return 1;
    screens::showScreen(screens::ScreenId::Review);
    QStringList order;
    for (bool first = true;; first = false) {
        QApplication::processEvents();
        screens::ReviewScreen *s = reviewScreen();
        if (!s) break;
        const review::Round::Item *item = review::current().round->current();
        const QString q = QString::number(item->question);
        order << QStringLiteral("問%1（%2%3）")
                     .arg(q, QString::fromUtf8(bank::topicOf(item->question)->name),
                          review::assigned(item->question) ? QStringLiteral("・課題") : QString());
        if (first) tell(prefix, "first");
        if (missed.removeOne(q)) s->answerClicked(bank::rightButton(item->question, item->variant) % 8 + 1);
        answerRight();
        s->nextClicked();
    }
    std::printf("round: %s\n", qPrintable(order.join(QStringLiteral(" → "))));
    if (QWidget *summary = screens::findScreen(screens::ScreenId::ReviewSummary)) {
        saveShot(summary, prefix, "summary");
        std::printf("summary: %s\n", qPrintable(summary->findChild<QLabel *>(QStringLiteral("wordLabel"))->text()));
    }
    QFile record(code + QStringLiteral(".review"));
    std::printf("record:\n%s\n", record.open(QIODevice::ReadOnly) ? record.readAll().constData() : "(none)");
    return 0;
}

}  // namespace

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    std::optional<QString> scaleOption;
    bool wholeScreen = false;
    while (!args.isEmpty() && args[0].startsWith(QLatin1String("--"))) {
        if (args[0] == QLatin1String("--screen")) {
            wholeScreen = true;
            args.removeFirst();
        } else if (args[0] == QLatin1String("--scale") && args.size() > 1) {
            scaleOption = args[1];
            args.remove(0, 2);
        } else {
            std::fprintf(stderr, "screenshot: unknown option %s\n", qPrintable(args[0]));
            return 2;
        }
    }
    // The display scale, as the game chooses it at start.
    QStringList warnings;
    const platform::DisplayScale scale = platform::chooseDisplayScale(
        scaleOption ? &*scaleOption : nullptr,
        [] { return QSizeF(QGuiApplication::primaryScreen()->availableGeometry().size()); },
        screens::largestScreenSize(), &warnings);
    platform::applyDisplayScale(scale);
    for (const QString &w : warnings) std::fprintf(stderr, "screenshot: %s\n", qPrintable(w));
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: screenshot quiz|tutor|title ...\n");
        return 2;
    }
    const QString out = QDir::current().absoluteFilePath(args.last() == "wrong" ? args[args.size() - 2] : args.last());
    QTemporaryDir dir;
    QDir::setCurrent(dir.path());
    platform::Timer::setManualMode(true);

    state::Session &m = state::session();
    m.userCode = "shot";
    QWidget *shown = nullptr;
    if (args[0] == "review-story") return reviewStory(out.chopped(0));
    if (args[0] == "review-class" && args.size() == 6) {
        QDir::setCurrent(QFileInfo(out).absolutePath());
        return reviewClass(args);
    }
    if (args[0] == "quiz" && args.size() >= 4) {
        m.question = static_cast<short>(args[1].toInt());
        m.variant = static_cast<short>(args[2].toInt());
        if (state::Session::inRange(m.question)) m.variantDrawn[m.question] = true;
        state::progress::save(m);
        auto *quiz = qobject_cast<screens::QuizScreen *>(screens::showScreen(screens::quizScreenFor(m.question)));
        if (quiz && args.last() == "wrong") quiz->answerClicked(8);
        shown = quiz;
    } else if (args[0] == "tutor" && args.size() >= 4) {
        m.question = static_cast<short>(args[1].toInt());
        auto *tutor = qobject_cast<screens::TutorScreen *>(screens::showScreen(screens::ScreenId::Tutor));
        for (int i = 0; tutor && i < args[2].toInt(); ++i) tutor->nextClicked();
        shown = tutor;
    } else if (args[0] == "roulette" && args.size() >= 4) {
        m.score = args[1].toDouble();
        auto *wheel = qobject_cast<screens::RouletteScreen *>(screens::showScreen(screens::ScreenId::Roulette));
        const int ticks = args[2].toInt();
        if (wheel && ticks >= 0) {
            wheel->startClicked();
            for (int i = 0; i < ticks; ++i) {
                wheel->spinTimer->fire();
                if (i + 1 < ticks) wheel->ballPauseTimer->fire();
            }
        } else if (wheel && ticks < -1) {
            // Spin, stop, and run on to the halt.
            wheel->startClicked();
            wheel->spinTimer->fire();
            wheel->ballPauseTimer->fire();
            wheel->stopClicked();
            while (wheel->runOnTimer->isEnabled()) {
                wheel->runOnTimer->fire();
                wheel->ballPauseTimer->fire();
            }
        }
        shown = wheel;
    } else if (args[0] == "history" && args.size() >= 4) {
        m.question = static_cast<short>(args[1].toInt());
        for (int i = 1; i <= state::kQuestions; ++i) {
            if (i < m.question) {
                m.misses[i] = static_cast<short>(args[2].toInt() * (i % 3));
                m.answerTimes[i] = static_cast<float>(7 + (i * 37) % 300);
            }
        }
        m.score = 3000.0 * (m.question - 1) - 3000.0 * args[2].toInt() * m.question;
        shown = screens::history::showAndFill(QString::number(m.score));
    } else if (args[0] == "review" && args.size() >= 3) {
        review::current().round.emplace(std::vector<int>{args[1].toInt()});
        auto *quiz = qobject_cast<screens::ReviewScreen *>(screens::showScreen(screens::ScreenId::Review));
        if (quiz && args.last() == "wrong") quiz->answerClicked(8);
        shown = quiz;
    } else if (args[0] == "review-summary" && args.size() >= 3) {
        // Ten questions with long titles; the first <missed> of them are
        // answered wrongly at both showings.
        const std::vector<int> questions{16, 11, 26, 6, 14, 21, 28, 3, 4, 22};
        review::Round &round = review::current().round.emplace(questions);
        const int missed = args[1].toInt();
        while (const review::Round::Item *item = round.current()) {
            const auto at = std::find(questions.begin(), questions.end(), item->question) - questions.begin();
            if (at < missed) round.answer(8);
            round.answer(bank::rightButton(item->question, item->variant));
            round.next();
        }
        shown = screens::showScreen(screens::ScreenId::ReviewSummary);
    } else if (args[0] == "title") {
        shown = screens::showScreen(screens::ScreenId::Title);
    }
    if (!shown) {
        std::fprintf(stderr, "nothing to show\n");
        return 1;
    }
    QApplication::processEvents();
    const QScreen *screen = shown->screen();
    const double ratio = shown->devicePixelRatioF();
    const QSize screenPixels = screen->geometry().size() * screen->devicePixelRatio();
    std::printf("screen %dx%d, scale %.4g, window %dx%d device pixels, %.1f%% of the screen's height\n",
                screenPixels.width(), screenPixels.height(), ratio, qRound(shown->width() * ratio),
                qRound(shown->height() * ratio), 100.0 * shown->height() / screen->geometry().height());
    if (!wholeScreen) return shown->grab().save(out) ? 0 : 1;
    // The window must be on the screen before the screen is read.
    QElapsedTimer waited;
    waited.start();
    while (!(shown->windowHandle() && shown->windowHandle()->isExposed()) && waited.elapsed() < 5000)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    waited.restart();
    while (waited.elapsed() < 300) QApplication::processEvents(QEventLoop::AllEvents, 20);
    return shown->screen()->grabWindow(0).save(out) ? 0 : 1;
}
