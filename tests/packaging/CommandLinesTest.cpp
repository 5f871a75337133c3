// SPDX-License-Identifier: GPL-3.0-or-later
// Both command lines through the built programs, each row a run.
#include <QDir>
#include <QProcess>
#include <gtest/gtest.h>

namespace {

struct Row { QStringList args; int exit; QStringList said; };  // exit -1: running once all is said, then ended

// One run in the test's folder with no setting file, the windows' scale logged.
void check(const char *program, const Row &row) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *qt : {"QT_SCALE_FACTOR", "QT_SCREEN_SCALE_FACTORS"}) env.remove(qt);
    for (const char *xdg : {"HOME", "XDG_CONFIG_HOME", "XDG_CONFIG_DIRS", "XDG_DATA_HOME", "XDG_CACHE_HOME"}) env.insert(xdg, QDir::current().absoluteFilePath(xdg));
    env.insert("QT_LOGGING_RULES", "pomurin.display.debug=true");
    QProcess p;  // its errors read as they come
    p.setProcessEnvironment(env);
    p.setReadChannel(QProcess::StandardError);
    p.start(program, row.args);
    ASSERT_TRUE(p.waitForStarted(10000));
    QString err;
    const auto allSaid = [&] { return std::all_of(row.said.begin(), row.said.end(), [&](auto &t) { return err.contains(t); }); };
    for (int waited = 0; p.state() == QProcess::Running && !(row.exit < 0 && allSaid()) && waited < 100; ++waited)
        if (p.waitForReadyRead(100)) err += QString::fromUtf8(p.readAllStandardError());  // 10 s: the watchdog
    const bool running = p.state() == QProcess::Running;
    if (running) p.terminate();  // SIGTERM
    if (!p.waitForFinished(5000)) p.kill();
    err += QString::fromUtf8(p.readAllStandardError());
    EXPECT_EQ(running ? -1 : p.exitCode(), row.exit) << row.args.join(' ').toStdString() << "\n" << err.toStdString();
    for (const QString &text : row.said) EXPECT_TRUE(err.contains(text)) << text.toStdString() << "\n" << err.toStdString();
}

TEST(CommandLines, AWrongLineEndsWithItsMessageARightOneShowsItsWindowAtTheScaleAsked) {
    ASSERT_TRUE(QDir().mkdir("class"));
    const QString title = "window \" ぽむりん紀行20（√、因数分解、2次方程式・関数の巻）\" shown at device pixel ratio ";
    for (const Row &row : std::initializer_list<Row>{
             {{"--folder", "class", "review"}, 2, {"pomurin20: unknown argument 'review' (try --help)"}},
             {{"--version", "extra"}, 2, {"pomurin20: unknown argument 'extra' (try --help)"}},
             {{"--folder", "--no-sound", "--nope"}, 2, {"pomurin20: --folder needs a folder (try --help)"}},
             {{"--scale", "2", "--no-sound"}, -1, {title + "2\n"}},
             {{"--scale", "1,5", "--no-sound"}, -1, {"--scale \"1,5\" is not auto or a number from 1 to 3; auto is used", title + "1\n"}},
             {{"--review", "--no-sound"}, -1, {"window \"ユーザーコード入力（復習）\" shown"}}})
        check(POMURIN_PROGRAM, row);
    EXPECT_EQ(QDir("class").entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList());  // never played there
    ASSERT_TRUE(QDir().mkpath("XDG_CONFIG_HOME/pomurin20"));  // a slip in the setting file: named at the start, the game goes on
    QFile conf("XDG_CONFIG_HOME/pomurin20/pomurin20.conf");
    ASSERT_TRUE(conf.open(QIODevice::WriteOnly) && conf.write("[display]\nsacle = 2\n") > 0 && conf.flush());
    check(POMURIN_PROGRAM, {{"--no-sound"}, -1, {"・[display] の sacle は知らない項目です（scale が使えます）。"}});

    for (const Row &row : std::initializer_list<Row>{
             {{"--window", "--scale", "2", "class"}, -1, {"shown at device pixel ratio 2\n"}},
             {{"class", "extra"}, 2, {"フォルダーは 1 つだけ指定してください。\n使い方:"}},
             {{"class", "--csv", "--html", "x.html"}, 2, {"--csv のあとにファイル名が要ります。"}},
             {{"class", "--csv=-x.csv", "--nope=1", "--pdf"}, 2, {"知らないオプションです：--nope=1\n使い方"}},
             {{"--window", "--scale", "1,5", "class"}, -1, {"pomurin20-report: --scale \"1,5\" is not auto or a number from 1 to 3; auto is used", "ratio 1\n"}},
             {{"class", "--csv", "class/a.ucd"}, 2, {"「class/a.ucd」は進み具合のファイルの名前です。そこには書き込みません。"}},
             {{"class", "--html", "class/a.ucd.hold"}, 2, {"「class/a.ucd.hold」は進み具合のファイルの名前です。そこには書き込みません。"}},
             {{"class", "--csv", "class/a.review"}, 2, {"「class/a.review」は復習の記録の名前です。そこには書き込みません。"}}})
        check(REPORT_EXE, row);
}

}  // namespace
