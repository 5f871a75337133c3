// SPDX-License-Identifier: GPL-3.0-or-later
// One code, one player: the hold file beside a progress file, judged live
// or stale, renewed, released, and the start menu that asks for another
// code while another program plays the one typed.
#include "screens/Screens.h"
#include "screens/common/ClaimCode.h"
#include "screens/front/StartMenu.h"
#include "screens/quiz/QuizScreen.h"
#include "state/CodeHold.h"
#include "state/Session.h"
#include "state/ProgressFile.h"
#include "state/SaveFiles.h"
#include "support/Fakes.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSysInfo>
#include <QTest>

#include <ctime>
#include <memory>
#include <tuple>

#include <fcntl.h>
#include <grp.h>
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
// with no host; without a machine id as earlier versions wrote it; more:
// its boot and process namespace lines), last renewed ago seconds back.
void plantHold(const QString &code, const QString &host, qint64 pid, int ago, const QByteArray &machine = {},
               const QByteArray &more = {}) {
    const QString name = code + ".ucd.hold";
    QFile f(name);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(host.isEmpty() ? QByteArray("\x01\x02 garbage")
                           : "pomurin20 hold\nhost " + host.toUtf8() +
                                 (machine.isEmpty() ? QByteArray() : "\nmachine " + machine) + more + "\npid " +
                                 QByteArray::number(pid) +
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
// child process that ends itself if it is stuck; with a uid, as that
// account in group 0 like the folder, where 98 says a hold it took is not
// 0640 (99: could not become that account).
int acquireInAnotherProgram(const QString &progressPath, uid_t uid = 0) {
    const pid_t child = ::fork();
    if (child == 0) {
        ::alarm(10);
        const gid_t group = 0;
        if (uid && (::setgroups(1, &group) != 0 || ::setgid(0) != 0 || ::setuid(uid) != 0)) ::_exit(99);
        CodeHold hold;
        const Outcome got = hold.acquire(progressPath);
        struct stat st {};
        const bool shared = ::stat(QFile::encodeName(hold.holdPath()), &st) == 0 && (st.st_mode & 07777) == 0640;
        ::_exit(uid && got == Outcome::Held && !shared ? 98 : static_cast<int>(got));
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
    // A renewal says the question played and its misses, for the teacher's
    // window; none once it is answered right.
    state::Session m;
    m.question = 12;
    m.misses[12] = 4;
    CodeHold::setPlace([&m] { return CodeHold::placeOf(m); });
    for (const auto &[right, says] : {std::pair{false, "\nquestion 12\nmisses 4\n"}, {true, "\nquestion 0\nmisses 0\n"}}) {
        m.answeredRight = right;
        hold.renew();
        EXPECT_TRUE(readAll("3101.ucd.hold").contains(says)) << says;
    }
    // Named again, then renewed: from then on it says since when, as its first naming's change time.
    m.answeredRight = false;
    hold.renew();
    struct stat named {};
    ASSERT_EQ(::stat("3101.ucd.hold", &named), 0);
    EXPECT_FALSE(readAll("3101.ucd.hold").contains("questionsince"));
    hold.renew();
    const QByteArray renewed = readAll("3101.ucd.hold");
    const qsizetype at = renewed.indexOf("\nquestionsince ") + 15;
    ASSERT_GE(at, 15);
    const qint64 said = renewed.mid(at, renewed.indexOf('\n', at) - at).toLongLong();
    EXPECT_LT(std::abs(said - (qint64(named.st_ctim.tv_sec) * 1'000'000'000 + named.st_ctim.tv_nsec)), 1'000'000'000) << said;  // its write and rename: a busy disk's fsync apart
    CodeHold::setPlace({});
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
        QByteArray machine = {}, more = {};
    };
    const QString here = QSysInfo::machineHostName();
    const QByteArray clone = "0123456789abcdef0123456789abcdef", id = CodeHold::machineId();
    ASSERT_NE(id, clone);
    ASSERT_FALSE(CodeHold::bootId().isEmpty());
    const QByteArray thisBoot = "\nboot " + CodeHold::bootId(), thisNamespace = "\npidns " + CodeHold::processNamespace();
    const Case cases[] = {
        {"another machine, renewed just now", "pc-12", 4711, 0, Outcome::InUse},
        {"another machine, last renewed 115 s ago", "pc-12", 4711, 115, Outcome::InUse},
        {"another machine that stopped renewing 125 s ago", "pc-12", 4711, 125, Outcome::Held},
        {"another program on this machine that runs", here, ::getppid(), 0, Outcome::InUse},
        {"a program on this machine that has ended", here, endedProcess(), 0, Outcome::Held, id, thisBoot + thisNamespace},
        // Not provably this machine, boot and namespace: its process cannot
        // be looked for, so the hold stands until it is 2 minutes old.
        {"an earlier version's hold (no machine id) of a program here that has ended", here, endedProcess(), 0,
         Outcome::InUse},
        {"a clone with the same machine id, renewed just now", here, endedProcess(), 0, Outcome::InUse, id,
         "\nboot 00000000-0000-0000-0000-000000000000" + thisNamespace},
        {"another process namespace here, renewed 115 s ago", here, endedProcess(), 115, Outcome::InUse, id,
         thisBoot + "\npidns pid:[1]"},
        // A cloned disk image: the same host name, and a process id that
        // means nothing here.
        {"a clone of this machine, renewed just now", here, endedProcess(), 0, Outcome::InUse, clone},
        {"a damaged hold, fresh", "", 0, 0, Outcome::InUse},
        {"a damaged hold, old", "", 0, 600, Outcome::Held},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        QDir().remove("p.ucd.hold");
        plantHold("p", c.host, c.pid, c.ago, c.machine, c.more);
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

// A hold's age is the older of its two times on the folder's clock, and a
// time more than 10 s ahead of it was set by hand: stale at once.  So no
// hold stands 2 minutes after its last write, whatever dates it carries.
// Two and three programs placing one code's hold at the same moment: exactly one holds it, every time.
TEST(CodeHoldFile, ProgramsStartedTogetherLeaveExactlyOneHolder) {
    for (int round = 0; round < 30; ++round) {  // half a second a round: the tie rule waits
        const int programs = 2 + round % 2;
        int go[2], told[2];
        ASSERT_TRUE(::pipe(go) == 0 && ::pipe(told) == 0);
        for (int i = 0; i < programs; ++i)
            if (::fork() == 0) {
                ::alarm(10);
                char c = char(::close(go[1]));
                (void)!::read(go[0], &c, 1);  // all start at the parent's word
                CodeHold hold;
                c = hold.acquire("3101.ucd") == Outcome::Held ? 'h' : '-';
                (void)!::write(told[1], &c, 1);
                ::_exit(int(::read(go[0], &c, 1)));  // the hold kept till every program has tried
            }
        ::close(told[1]);  // a program that ended early ends the reading below
        (void)!::write(go[1], "go", programs);
        QByteArray said(programs, 0);
        for (int got = 0, n = 1; got < programs && n > 0; got += n) n = int(::read(told[0], said.data() + got, programs - got));
        for (int fd : {go[0], go[1], told[0]}) ::close(fd);
        while (::wait(nullptr) > 0) {}
        EXPECT_EQ(said.count('h'), 1) << programs << " programs, round " << round << ": " << said.constData();
        for (const QString &hold : QDir().entryList({"3101.ucd.hold*"}, QDir::Files)) QFile::remove(hold);
    }
}

TEST(CodeHoldFile, AgeComesFromTheFoldersClockWhateverTheHoldSays) {
    constexpr long long k2030 = 100'000'000;  // years ahead
    // Modification and change time in seconds from the folder's now; live.
    const std::tuple<long long, long long, bool> cases[] = {
        {k2030, 0, false}, {k2030, k2030, false}, {-130, 0, false}, {10, 10, true}, {11, 11, false}};
    const timespec now{1'900'000'000, 0};
    for (const auto &[written, changed, live] : cases) {
        struct stat st {};
        st.st_mtim.tv_sec = now.tv_sec + written;
        st.st_ctim.tv_sec = now.tv_sec + changed;
        EXPECT_EQ(CodeHold::isLive({"pc-12", "0123456789abcdef0123456789abcdef", 4711, "t"}, st, now), live) << written;
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
    for (const int next : {0, 1, 2}) {  // another code, a renewal, the end
        SCOPED_TRACE(next);
        auto mine = std::make_unique<CodeHold>();
        ASSERT_EQ(mine->acquire("3103.ucd"), Outcome::Held);
        plantHold("3103", "pc-07", 99, 0);
        const QByteArray theirs = readAll("3103.ucd.hold");
        if (next == 0) {
            EXPECT_EQ(mine->acquire("3199.ucd"), Outcome::Held);
        } else if (next == 1) {
            mine->renewTimer().fire();
            EXPECT_FALSE(mine->holding());
            EXPECT_FALSE(mine->renewTimer().running());
            CodeHold::Holder taker;
            EXPECT_FALSE(mine->mayStillSave(&taker));  // and never again, nor after a release
            EXPECT_EQ(taker.host, "pc-07");
            mine->release();
            EXPECT_FALSE(mine->mayStillSave());
        }
        mine.reset();
        EXPECT_EQ(readAll("3103.ucd.hold"), theirs);
        EXPECT_EQ(entriesHere(), QStringList{"3103.ucd.hold"});
        QFile::remove("3103.ucd.hold");
    }
    // Taken over and released by the other program meanwhile: a hold that
    // vanished is lost, never made again.
    ASSERT_EQ(hold.acquire("3103.ucd"), Outcome::Held);
    ASSERT_TRUE(QFile::remove("3103.ucd.hold"));
    hold.renewTimer().fire();
    EXPECT_FALSE(hold.mayStillSave());
    EXPECT_EQ(entriesHere(), QStringList());
}

TEST(CodeHoldFile, AHoldThatCannotBeWrittenDoesNotStopTheGame) {
    // A folder where the hold should be (planted by a pupil): held beside it, no
    // crash, and nothing moved.
    ASSERT_TRUE(QDir().mkdir("x.ucd.hold"));
    CodeHold hold;
    EXPECT_EQ(hold.acquire("x.ucd"), Outcome::Held);
    hold.release();
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
    for (const int n : {40, 41})  // a host name of 41 characters or more is shortened to 39 and "…"
        EXPECT_EQ(screens::inUseText({QString(n, 'x'), {}, 1, {}}), "このコードは今ほかのコンピューター（" +
                  (n == 40 ? QString(40, 'x') : QString(39, 'x') + "…") + "）で使われています。");
    // Never cut inside a character of two UTF-16 units; a direction or
    // control character is shown as a mark, as in the teacher's window.
    EXPECT_EQ(screens::inUseText({QString(38, 'x') + "😀yy"}), "このコードは今ほかのコンピューター（" + QString(38, 'x') + "…）で使われています。");
    EXPECT_EQ(screens::inUseText({"pc\u202E21\x1b"}), "このコードは今ほかのコンピューター（pc<U+202E>21<U+001B>）で使われています。");
    // The other pupil's save is untouched; this one plays pm.
    EXPECT_EQ(readAll("3104.ucd"), progress);
    EXPECT_EQ(state::session().userCode, "pm");
    EXPECT_TRUE(ownsHold("pm"));
    EXPECT_TRUE(QFileInfo::exists("pm.ucd"));
    auto *quiz = open<screens::QuizScreen>(ScreenId::FirstQuiz);
    ASSERT_TRUE(quiz);

    // Then taken over while playing (a clone, or a network drop of minutes):
    // the next save is not made, the pupil is told, and the last good save stays.
    const QByteArray lastGood = readAll("pm.ucd");
    plantHold("pm", QSysInfo::machineHostName(), endedProcess(), 0, "0123456789abcdef0123456789abcdef");
    dialogs.yesNoAnswers = {true};
    click(quiz->board.quitButton);  // 終了 saves before the history
    settle();
    EXPECT_EQ(dialogs.calls.last(),
              "error|進み具合を保存できませんでした。\nこのコードは今ほかのコンピューター（" + QSysInfo::machineHostName() +
                  "）で使われています。\n前に保存したところまでは、そのまま残っています。|ぽむりん紀行20");
    EXPECT_TRUE(platform::forms::programEnded());
    EXPECT_EQ(readAll("pm.ucd"), lastGood);
}

// Machine 1 slept past its hold's expiry while the pupil went on with the
// code on machine 2 and saved there.  Whatever the hold says (here still
// machine 1's), machine 1's next save leaves the newer file byte for byte,
// says the code is in use elsewhere, and is never made again this run.
// The same for a game begun anew and one continued from its file.
class LostUpdate : public HeldCodeAtTheStartMenu, public ::testing::WithParamInterface<bool> {};
TEST_P(LostUpdate, AGameWhoseFileChangedUnderItNeverWritesOverIt) {
    if (GetParam()) {  // 前の続きから, from a file this process never wrote
        state::Session earlier;
        earlier.question = 4;
        QFile f("c5.ucd");
        ASSERT_TRUE(f.open(QIODevice::WriteOnly) && f.write(state::progress::render(earlier)) > 0);
    }
    screens::showScreen(screens::ScreenId::StartMenu);
    auto *menu = open<screens::StartMenu>(ScreenId::StartMenu);
    ASSERT_TRUE(menu);
    dialogs.inputAnswers = {"c5"};
    click(GetParam() ? menu->continueButton : menu->newRunButton);
    settle();
    auto *quiz = open<screens::QuizScreen>(ScreenId::FirstQuiz);
    ASSERT_TRUE(quiz);
    ASSERT_EQ(state::session().question, GetParam() ? 4 : 1);
    state::Session newer;
    newer.userCode = "c5";
    newer.question = 9;
    newer.score = 24000;
    QFile written("c5.ucd.machine2");
    ASSERT_TRUE(written.open(QIODevice::WriteOnly) && written.write(state::progress::render(newer)) > 0);
    written.close();
    ASSERT_EQ(::rename("c5.ucd.machine2", "c5.ucd"), 0);
    const QByteArray theirs = readAll("c5.ucd");

    click(quiz->board.helpButton);  // HELP saves before the tutor opens
    settle();
    EXPECT_EQ(dialogs.calls.last(), "error|進み具合を保存できませんでした。\nこのコードは今ほかのところで使われています。\n"
                                    "前に保存したところまでは、そのまま残っています。|ぽむりん紀行20");
    EXPECT_TRUE(platform::forms::programEnded());
    EXPECT_EQ(readAll("c5.ucd"), theirs);
    EXPECT_THROW(state::progress::save(state::session()), state::ProgressChanged);
    EXPECT_EQ(readAll("c5.ucd"), theirs);
}
INSTANTIATE_TEST_SUITE_P(BegunAndContinued, LostUpdate, ::testing::Bool());

// The protected set-up: a class folder with the sticky bit (3770), where
// only a file's owner may replace it.  Holds are 0640; a code another
// account made is refused at the start menu; a hold planted on this
// account's code, or on a code nobody has saved, does not stop it.
TEST_F(HeldCodeAtTheStartMenu, InAStickyClassFolderACodeBelongsToTheAccountThatMadeIt) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to act as two accounts";
    constexpr uid_t kMine = 65533, kTheirs = 65534;
    state::files::setGroupShared(true);
    ASSERT_EQ(::chmod(".", 0755), 0);
    ASSERT_TRUE(QDir().mkdir("class"));
    ASSERT_EQ(::chmod("class", 03770), 0);
    ASSERT_TRUE(QDir::setCurrent("class"));
    state::Session mine;
    mine.userCode = "d";
    mine.question = 1;
    state::progress::save(mine);
    ASSERT_EQ(::chown("d.ucd", kMine, 0), 0);
    // The code, its hold's owner (0: no hold) and age, what this account gets.
    const std::tuple<const char *, uid_t, int, Outcome> cases[] = {
        {"a", 0, 0, Outcome::Held}, {"b", kTheirs, 300, Outcome::Held}, {"c", kTheirs, 0, Outcome::Held},
        {"d", kTheirs, 300, Outcome::Held}, {"e", kMine, 300, Outcome::Held},
        // Another account's fresh hold on this account's file blocks nothing.
        {"d", kTheirs, 0, Outcome::Held}};
    for (const auto &[code, owner, ago, expected] : cases) {
        if (owner) {
            plantHold(code, "pc-12", 4711, ago);
            ASSERT_EQ(::chown(QByteArray(code) + ".ucd.hold", owner, 0), 0);
        }
        EXPECT_EQ(acquireInAnotherProgram(code + QString(".ucd"), kMine), int(expected)) << code;
    }

    // At the start menu: another account's progress file is refused with a
    // message, before anything is read or held, and left as it was.
    const QByteArray before = readAll("d.ucd");
    screens::showScreen(screens::ScreenId::StartMenu);
    auto *menu = open<screens::StartMenu>(ScreenId::StartMenu);
    ASSERT_TRUE(menu);
    dialogs.inputAnswers = {"d", "g"};
    click(menu->continueButton);
    settle();
    ASSERT_EQ(dialogs.calls.size(), 3);
    EXPECT_EQ(dialogs.calls[1],
              "error|このコードの進み具合のファイルは、ほかのアカウントのものです。\n別のコードを入れてください。|ぽむりん紀行20");
    EXPECT_EQ(readAll("d.ucd"), before);
    state::codeHold().release();
    state::files::setGroupShared(false);
    QDir::setCurrent("..");
}

}  // namespace
