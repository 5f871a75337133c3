// SPDX-License-Identifier: GPL-3.0-or-later
// One code, one player: the hold file beside a progress file, judged live
// or stale, renewed, released, and the start menu that asks for another
// code while another program plays the one typed.
#include "screens/Screens.h"
#include "screens/front/StartMenu.h"
#include "state/CodeHold.h"
#include "state/Session.h"
#include "state/ProgressFile.h"
#include "support/Fakes.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSysInfo>
#include <QTest>

#include <ctime>
#include <memory>
#include <string_view>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace testing_support;
using state::CodeHold;
using Outcome = state::CodeHold::Outcome;

namespace {

QByteArray readAll(const QString &name) {
    QFile f(name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Dates a file ago seconds back.
void age(const QString &name, int ago) {
    const timespec then{std::time(nullptr) - ago, 0};
    const timespec times[2] = {then, then};
    ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(name).constData(), times, 0), 0);
}

// Another program's hold on code as it would write it (or damaged text,
// with no host), last renewed ago seconds back.
void plantHold(const QString &code, const QString &host, qint64 pid, int ago) {
    const QString name = code + ".ucd.hold";
    QFile f(name);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(host.isEmpty() ? QByteArray("\x01\x02 garbage")
                           : "pomurin20 hold\nhost " + host.toUtf8() + "\npid " + QByteArray::number(pid) +
                                 "\ntoken 0123456789abcdef0123456789abcdef\ntime 2026-01-01T00:00:00Z\n");
    f.close();
    age(name, ago);
}

// A process id that ran on this machine and has ended.
pid_t endedProcess() {
    const pid_t child = ::fork();
    if (child == 0) ::_exit(0);
    ::waitpid(child, nullptr, 0);
    return child;
}

// What a second program on this machine gets for the code, tried in a
// child process that ends itself if it is stuck.
int acquireInAnotherProgram(const QString &progressPath) {
    const pid_t child = ::fork();
    if (child == 0) {
        ::alarm(10);
        CodeHold hold;
        ::_exit(static_cast<int>(hold.acquire(progressPath)));
    }
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status);
}

bool ownsHold(const QString &code) { return readAll(code + ".ucd.hold").contains("\npid " + QByteArray::number(::getpid()) + "\n"); }

QStringList entriesHere() { return QDir(".").entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot); }

TEST(CodeHoldFile, NamesTheHolderAndIsReleasedAtTheEnd) {
    CodeHold hold;
    ASSERT_EQ(hold.acquire("3101.ucd"), Outcome::Held);
    const QByteArray text = readAll("3101.ucd.hold");
    EXPECT_TRUE(text.startsWith("pomurin20 hold\nhost " + QSysInfo::machineHostName().toUtf8() + "\n")) << text.constData();
    EXPECT_TRUE(ownsHold("3101"));
    // Nothing else is left beside it: the temporary was linked into place.
    EXPECT_EQ(entriesHere(), QStringList{"3101.ucd.hold"});
    // Taking another code gives up the first; the end of a program releases its hold.
    ASSERT_EQ(hold.acquire("b.ucd"), Outcome::Held);
    EXPECT_FALSE(QFileInfo::exists("3101.ucd.hold"));
    {
        CodeHold ending;
        ASSERT_EQ(ending.acquire("c.ucd"), Outcome::Held);
    }
    EXPECT_EQ(entriesHere(), QStringList{"b.ucd.hold"});
}

TEST(CodeHoldFile, LiveHoldsRefuseStaleOnesAreTakenOver) {
    struct Case {
        const char *what;
        QString host;
        qint64 pid;
        int ago;
        Outcome expected;
    };
    const QString here = QSysInfo::machineHostName();
    const Case cases[] = {
        {"another machine, renewed just now", "pc-12", 4711, 0, Outcome::InUse},
        {"another machine, last renewed 115 s ago", "pc-12", 4711, 115, Outcome::InUse},
        {"another machine that stopped renewing 125 s ago", "pc-12", 4711, 125, Outcome::Held},
        {"another program on this machine that runs", here, ::getppid(), 0, Outcome::InUse},
        {"a program on this machine that has ended", here, endedProcess(), 0, Outcome::Held},
        {"a damaged hold, fresh", "", 0, 0, Outcome::InUse},
        {"a damaged hold, old", "", 0, 600, Outcome::Held},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        QDir().remove("p.ucd.hold");
        plantHold("p", c.host, c.pid, c.ago);
        const QByteArray before = readAll("p.ucd.hold");
        CodeHold hold;
        CodeHold::Holder holder;
        EXPECT_EQ(hold.acquire("p.ucd", &holder), c.expected);
        const bool taken = c.expected == Outcome::Held;
        EXPECT_EQ(ownsHold("p"), taken);
        if (!taken) {
            EXPECT_EQ(readAll("p.ucd.hold"), before);  // untouched
            EXPECT_EQ(holder.host, c.host);            // named in the message
        }
        hold.release();
        // Nothing is left from moving the stale hold aside.
        EXPECT_EQ(QDir(".").entryList({"p.ucd.hold.*"}, QDir::AllEntries | QDir::Hidden), QStringList());
    }
}

TEST(CodeHoldFile, RenewalKeepsTheHoldFreshAndGivesUpOneTakenOver) {
    platform::Timer::setManualMode(false);
    CodeHold hold;
    ASSERT_EQ(hold.acquire("3103.ucd"), Outcome::Held);
    // Renewed every 30 s on the real clock from the moment the code is taken.
    EXPECT_EQ(hold.renewTimer().interval(), 30 * 1000);
    EXPECT_TRUE(hold.renewTimer().running());

    // Past its expiry, then renewed by the event loop (at a short interval
    // here): the hold is fresh again, and a second program is refused.
    age("3103.ucd.hold", 150);
    hold.renewTimer().setInterval(20);
    EXPECT_TRUE(QTest::qWaitFor(
        [] { return QFileInfo("3103.ucd.hold").lastModified().secsTo(QDateTime::currentDateTime()) <= 5; }, 5000));
    hold.renewTimer().setInterval(3600 * 1000);
    EXPECT_EQ(acquireInAnotherProgram("3103.ucd"), static_cast<int>(Outcome::InUse));
    EXPECT_TRUE(ownsHold("3103"));
    hold.release();

    // Lost for minutes (the network dropped) and taken over meanwhile by
    // another machine: nothing this program does afterwards touches the
    // newcomer's hold, not taking another code, not its renewal, not its end.
    for (const char *next : {"another code", "a renewal", "the end"}) {
        SCOPED_TRACE(next);
        auto mine = std::make_unique<CodeHold>();
        ASSERT_EQ(mine->acquire("3103.ucd"), Outcome::Held);
        plantHold("3103", "pc-07", 99, 0);
        const QByteArray theirs = readAll("3103.ucd.hold");
        if (next == std::string_view("another code")) {
            EXPECT_EQ(mine->acquire("3199.ucd"), Outcome::Held);
        } else if (next == std::string_view("a renewal")) {
            mine->renewTimer().fire();
            EXPECT_FALSE(mine->holding());
            EXPECT_FALSE(mine->renewTimer().running());
        }
        mine.reset();
        EXPECT_EQ(readAll("3103.ucd.hold"), theirs);
        EXPECT_EQ(entriesHere(), QStringList{"3103.ucd.hold"});
        QFile::remove("3103.ucd.hold");
    }
}

TEST(CodeHoldFile, AHoldThatCannotBeWrittenDoesNotStopTheGame) {
    // A folder where the hold should be (planted by a pupil): no hold, no
    // crash, and nothing moved.
    ASSERT_TRUE(QDir().mkdir("x.ucd.hold"));
    CodeHold hold;
    EXPECT_EQ(hold.acquire("x.ucd"), Outcome::Unavailable);
    EXPECT_FALSE(hold.holding());
    EXPECT_TRUE(QFileInfo("x.ucd.hold").isDir());
    EXPECT_EQ(entriesHere(), QStringList{"x.ucd.hold"});
}

class HeldCodeAtTheStartMenu : public ScreenTest {
protected:
    void TearDown() override {
        state::codeHold().release();
        ScreenTest::TearDown();
    }
};

TEST_F(HeldCodeAtTheStartMenu, ACodeInPlayElsewhereIsAskedAgainAndAStaleHoldOnPmIsTakenOver) {
    state::Session saved;
    saved.userCode = "3104";
    saved.question = 20;
    saved.score = 105000;
    state::progress::save(saved);
    const QByteArray progress = readAll("3104.ucd");
    plantHold("3104", "pc-12", 4711, 10);
    plantHold("3105", "", 0, 10);                // damaged: names no machine
    plantHold("pm", "pc-03", 12, 150);          // the empty code's, stale
    screens::showScreen(screens::ScreenId::StartMenu);
    auto *menu = open<screens::StartMenu>(ScreenId::StartMenu);
    ASSERT_TRUE(menu);
    dialogs.inputAnswers = {"3104", "3105", ""};
    click(menu->newRunButton);  // 初めからやる: would reset 3104 to question 1
    settle();

    ASSERT_EQ(dialogs.calls.size(), 5);  // asked, refused, asked, refused, asked again
    EXPECT_EQ(dialogs.calls[1],
              "error|このコードは今ほかのコンピューター（pc-12）で使われています。\n別のコードを入れてください。|ぽむりん紀行20");
    EXPECT_EQ(dialogs.calls[3],
              "error|このコードは今ほかのところで使われています。\n別のコードを入れてください。|ぽむりん紀行20");
    // The other pupil's save is untouched; this one plays pm.
    EXPECT_EQ(readAll("3104.ucd"), progress);
    EXPECT_EQ(state::session().userCode, "pm");
    EXPECT_TRUE(ownsHold("pm"));
    EXPECT_TRUE(QFileInfo::exists("pm.ucd"));
    EXPECT_TRUE(screens::findScreen(screens::ScreenId::FirstQuiz));
}

}  // namespace
