// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/Command.h"

#include "platform/Options.h"
#include "platform/Services.h"

#include "report/AssignmentStatus.h"
#include "report/ClassReport.h"
#include "report/OutputFile.h"
#include "report/Roster.h"
#include "report/Sheets.h"
#include "report/WindowEntry.h"
#include "report/Writers.h"
#include "state/FolderNames.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QGuiApplication>

#include <optional>
#include <vector>

namespace report {

namespace {

using Options = CommandLine;

const char *const kUsageText =
    "使い方: pomurin20-report フォルダー [--csv ファイル] [--html ファイル] [--pdf ファイル] [--roster 名簿]\n"
    "        pomurin20-report --window [--scale 値] [--roster 名簿] [フォルダー]\n"
    "        pomurin20-report フォルダー --assign 問題の番号,… [--test-day 日付] | --assign-clear\n"
    "フォルダーの中の進み具合のファイル（*.ucd）をすべて読み、一覧を表示します。\n"
    "  --csv ファイル   同じ一覧を表計算ソフト用の CSV（UTF-8）に書きます。\n"
    "  --html ファイル  一覧とグラフを 1 つの HTML ページに書きます。\n"
    "  --pdf ファイル   一人 1 ページの個人票を A4 の PDF に書きます（フォント埋め込み）。\n"
    "  --window         一覧をウィンドウで開き、フォルダーの変化を追って表示します。\n"
    "                   フォルダーを省くと、クラスのフォルダーか前回のフォルダーを開きます。\n"
    "  --scale 値       ウィンドウの表示の倍率：auto か 1〜3（ゲームと同じ。設定ファイルの\n"
    "                   [display] scale より優先します）。\n"
    "  --roster 名簿    クラスの名簿（CSV：出席番号・氏名・コードの列）で生徒を番号と氏名で示し、\n"
    "                   まだ始めていない生徒を数えます。--window では、そのフォルダーの名簿として残します。\n"
    "  --assign 8,9,10  クラスの課題を出します（前の課題は置きかえます）。\n"
    "  --test-day 2026-12-15  課題のテストの日（今日より後）。\n"
    "  --assign-clear   課題をやめます。\n"
    "進み具合のファイルには書き込みません。\n";

// The output files asked for, each with its kind.
struct Output {
    QString kind, file;
};

std::vector<Output> outputs(const Options &o) {
    std::vector<Output> named;
    for (const Output &out : {Output{QStringLiteral("CSV"), o.csvFile}, Output{QStringLiteral("HTML"), o.htmlFile},
                              Output{QStringLiteral("PDF"), o.pdfFile}})
        if (!out.file.isEmpty()) named.push_back(out);
    return named;
}

// What is wrong with the 課題's options: --assign and --assign-clear go
// alone (with a folder; --test-day only with --assign), and the questions
// and day must be readable.
QString assignmentLineError(const Options &o) {
    const bool assigning = !o.assign.isNull() || o.assignClear;
    if (!o.testDay.isNull() && o.assign.isNull()) return QStringLiteral("--test-day は --assign と一緒に使います。");
    if (!assigning) return QString();
    if (!o.assign.isNull() && o.assignClear) return QStringLiteral("--assign と --assign-clear は一緒には使えません。");
    if (o.window || !(o.csvFile.isEmpty() && o.htmlFile.isEmpty() && o.pdfFile.isEmpty()))
        return QStringLiteral("--assign、--assign-clear は --window、--csv、--html、--pdf と一緒には使えません。");
    QString error;
    if (!o.assign.isNull())
        assignmentFrom(o.assign, o.testDay, QDateTime(platform::clock().today(), QTime(0, 0)), &error);
    return error;
}

// The sentence for the first wrong argument on the line, else empty.
QString slipText(const platform::OptionSlip &slip) {
    const QString &a = slip.argument;
    switch (slip.kind) {
    case platform::OptionSlip::Unknown: return QStringLiteral("知らないオプションです：%1").arg(a);
    case platform::OptionSlip::NoValue:
        return QStringLiteral("%1 のあとに%2が要ります。")
            .arg(a, a == QLatin1String("--scale")      ? QStringLiteral("値")
                    : a == QLatin1String("--assign")   ? QStringLiteral("問題の番号")
                    : a == QLatin1String("--test-day") ? QStringLiteral("日付")
                                                       : QStringLiteral("ファイル名"));
    default: return QString();
    }
}

// What is wrong with how the options read go together, else empty: the
// window writes no files, only the window takes a scale, a folder is
// needed, and no two outputs or a class folder's own file may be written.
QString combinationError(const Options &o) {
    if (o.window && !(o.csvFile.isEmpty() && o.htmlFile.isEmpty() && o.pdfFile.isEmpty()))
        return QStringLiteral(
            "--window は --csv、--html、--pdf と一緒には使えません（ウィンドウのボタンで書けます）。");
    if (!o.window && !o.scale.isNull()) return QStringLiteral("--scale は --window と一緒に使います。");
    if (!o.help && !o.window && o.folder.isEmpty()) return QStringLiteral("フォルダーを指定してください。");
    const std::vector<Output> named = outputs(o);
    for (size_t i = 0; i < named.size(); ++i)
        for (size_t j = i + 1; j < named.size(); ++j)
            if (named[i].file == named[j].file)
                return QStringLiteral("%1 と %2 に同じファイルは使えません。").arg(named[i].kind, named[j].kind);
    for (const QString &f : {o.csvFile, o.htmlFile, o.pdfFile})
        if (state::names::isClassFolderFile(f)) return pupilFileRefusal(f);
    return QString();
}

std::optional<Options> parse(const QStringList &args, QString *error) {
    QCommandLineParser parser;
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")}),
        window(QStringLiteral("window")), csvFile(QStringLiteral("csv"), {}, QStringLiteral("file")),
        htmlFile(QStringLiteral("html"), {}, QStringLiteral("file")),
        pdfFile(QStringLiteral("pdf"), {}, QStringLiteral("file")),
        scale(QStringLiteral("scale"), {}, QStringLiteral("value")),
        roster(QStringLiteral("roster"), {}, QStringLiteral("file")),
        assign(QStringLiteral("assign"), {}, QStringLiteral("questions")),
        testDay(QStringLiteral("test-day"), {}, QStringLiteral("day")), assignClear(QStringLiteral("assign-clear"));
    parser.addOptions({help, window, csvFile, htmlFile, pdfFile, scale, roster, assign, testDay, assignClear});
    const QStringList line = QStringList{QStringLiteral("pomurin20-report")} + args;
    const bool parsed = parser.parse(line);
    // The first wrong argument is named.
    const platform::OptionSlip slip = platform::firstOptionSlip(
        line, parser,
        {QStringLiteral("--csv"), QStringLiteral("--html"), QStringLiteral("--pdf"), QStringLiteral("--scale"),
         QStringLiteral("--roster"), QStringLiteral("--assign"), QStringLiteral("--test-day")});
    *error = slipText(slip);
    if (error->isEmpty() && !parsed) *error = parser.errorText();
    if (!error->isEmpty()) return std::nullopt;
    Options o;
    o.help = parser.isSet(help);
    o.window = parser.isSet(window);
    for (const auto &[option, file] : {std::pair{&csvFile, &o.csvFile},
                                       {&htmlFile, &o.htmlFile},
                                       {&pdfFile, &o.pdfFile},
                                       {&roster, &o.rosterFile}}) {
        if (!parser.isSet(*option)) continue;
        *file = parser.value(*option);
        if (file->isEmpty()) {
            *error = QStringLiteral("--%1 のファイル名が空です。").arg(option->names().first());
            return std::nullopt;
        }
    }
    if (parser.isSet(scale)) {
        o.scale = parser.value(scale);
        if (o.scale.isEmpty()) {
            *error = QStringLiteral("--scale の値が空です。");
            return std::nullopt;
        }
    }
    if (parser.isSet(assign)) o.assign = parser.value(assign);
    if (parser.isSet(testDay)) o.testDay = parser.value(testDay);
    o.assignClear = parser.isSet(assignClear);
    if (const QString wrong = assignmentLineError(o); !wrong.isEmpty()) {
        *error = wrong;
        return std::nullopt;
    }
    const QStringList folders = parser.positionalArguments();
    if (folders.size() > 1) {
        *error = QStringLiteral("フォルダーは 1 つだけ指定してください。");
        return std::nullopt;
    }
    if (!folders.isEmpty()) o.folder = folders.first();
    *error = combinationError(o);
    if (!error->isEmpty()) return std::nullopt;
    return o;
}

// Replaces the file atomically, so a failed write leaves what was there.
bool writeFile(const QString &name, const QByteArray &bytes, QTextStream &err) {
    const QString failure = writeOutputFile(name, bytes);
    if (failure.isEmpty()) return true;
    err << platform::visibleText(failure, true) << '\n';
    return false;
}

// The sheets per pupil, through the same safe writer.
bool writeSheets(const QString &name, const ClassReport &report, QTextStream &err) {
    const QByteArray pdf = sheetsPdf(report);
    if (pdf.isEmpty()) {
        err << QStringLiteral("「%1」に書き込めません（個人票の PDF を作れません）。\n")
                   .arg(platform::visibleText(name));
        return false;
    }
    return writeFile(name, pdf, err);
}

// The table on out and every file asked for; false when any did not
// reach its reader.  A table that did not (a full disk, a closed pipe)
// is a failure, and the files asked for are still written.
bool writeOutputs(const CommandLine &options, const ClassReport &report, QTextStream &out, QTextStream &err) {
    out << rosterTable(report);
    out.flush();
    bool written = out.status() == QTextStream::Ok;
    if (!written) err << QStringLiteral("一覧を書き出せません（標準出力に書き込めません）。\n");
    if (!options.csvFile.isEmpty()) written = writeFile(options.csvFile, csv(report), err) && written;
    if (!options.htmlFile.isEmpty()) written = writeFile(options.htmlFile, html(report), err) && written;
    if (!options.pdfFile.isEmpty()) written = writeSheets(options.pdfFile, report, err) && written;
    return written;
}

}  // namespace

CommandLine parseCommandLine(const QStringList &arguments) {
    QString error;
    CommandLine line = parse(arguments, &error).value_or(CommandLine{});
    line.error = error;
    return line;
}

bool CommandLine::wantsWindow() const { return error.isEmpty() && window && !help; }

bool CommandLine::wantsSheets() const { return error.isEmpty() && !pdfFile.isEmpty() && !help; }

int run(const QStringList &arguments, QTextStream &out, QTextStream &err) {
    return runCommandLine(parseCommandLine(arguments), out, err);
}

int runCommandLine(const CommandLine &line, QTextStream &out, QTextStream &err) {
    if (!line.error.isEmpty()) {
        err << platform::visibleText(line.error, true) << '\n' << QString::fromUtf8(kUsageText);
        return kUsage;
    }
    const CommandLine *options = &line;
    if (options->help) {
        out << QString::fromUtf8(kUsageText);
        return kDone;
    }

    // A class list is read whole before anything else, so that a list with
    // a mistake in it names every wrong line and nothing is made from part of it.
    RosterPtr roster;
    if (!options->rosterFile.isEmpty()) {
        const RosterRead read = readRosterFile(options->rosterFile);
        if (!read.roster) {
            err << QStringLiteral("名簿「%1」は読み込みませんでした：\n")
                       .arg(platform::visibleText(options->rosterFile));
            for (const QString &problem : read.problems) err << platform::visibleText(problem, true) << '\n';
            return kFailed;
        }
        roster = read.roster;
    }

    if (!options->assign.isNull() || options->assignClear) {
        QString error;
        const QDateTime now = QDateTime::currentDateTime();
        return runAssign(options->folder,
                         options->assignClear
                             ? std::nullopt
                             : assignmentFrom(options->assign, options->testDay,
                                              QDateTime(platform::clock().today(), now.time()), &error),
                         out, err);
    }

    if (options->window) {
        // The window needs the QApplication that main makes when wantsWindow says so.
        if (!qobject_cast<QApplication *>(QCoreApplication::instance())) {
            err << QStringLiteral("ウィンドウを開けません。") << '\n';
            return kFailed;
        }
        return runWindow(options->folder, options->scale.isNull() ? nullptr : &options->scale, roster);
    }

    const std::vector<Output> named = outputs(*options);
    for (size_t i = 0; i < named.size(); ++i)
        for (size_t j = i + 1; j < named.size(); ++j)
            if (sameOutputFile(named[i].file, named[j].file)) {
                err << QStringLiteral(
                           "「%1」と「%2」は同じファイルです。%3 と %4 には別のファイルを指定してください。\n")
                           .arg(platform::visibleText(named[i].file), platform::visibleText(named[j].file),
                                named[i].kind, named[j].kind);
                return kUsage;
            }
    // The sheets are drawn with the system's fonts, which need the
    // QGuiApplication that main makes when wantsSheets says so.
    if (!options->pdfFile.isEmpty() && !qobject_cast<QGuiApplication *>(QCoreApplication::instance())) {
        err << QStringLiteral("個人票（PDF）を作れません（フォントを使えません）。") << '\n';
        return kFailed;
    }

    ClassReport report;
    try {
        report = readFolder(options->folder);
    } catch (const FolderError &e) {
        err << platform::visibleText(QString::fromUtf8(e.what()), true) << '\n';
        return kFailed;
    }
    report.roster = roster;
    orderByRoster(report);
    return writeOutputs(*options, report, out, err) ? kDone : kFailed;
}

bool wantsWindow(const QStringList &arguments) { return parseCommandLine(arguments).wantsWindow(); }

bool wantsSheets(const QStringList &arguments) { return parseCommandLine(arguments).wantsSheets(); }

}  // namespace report
