// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/Command.h"

#include "platform/Services.h"

#include "report/ClassReport.h"
#include "report/OutputFile.h"
#include "report/Sheets.h"
#include "report/Writers.h"
#include "report/WindowEntry.h"

#include <QApplication>
#include <QGuiApplication>

#include <optional>
#include <vector>

namespace report {

namespace {

struct Options {
    QString folder, csvFile, htmlFile, pdfFile;
    QString scale;  // --scale: the window's display scale, null when not given
    bool help = false;
    bool window = false;  // --window: the teacher's window instead of the table
};

const char *const kUsageText =
    "使い方: pomurin20-report フォルダー [--csv ファイル] [--html ファイル] [--pdf ファイル]\n"
    "        pomurin20-report --window [--scale 値] [フォルダー]\n"
    "フォルダーの中の進み具合のファイル（*.ucd）をすべて読み、一覧を表示します。\n"
    "  --csv ファイル   同じ一覧を表計算ソフト用の CSV（UTF-8）に書きます。\n"
    "  --html ファイル  一覧とグラフを 1 つの HTML ページに書きます。\n"
    "  --pdf ファイル   一人 1 ページの個人票を A4 の PDF に書きます（フォント埋め込み）。\n"
    "  --window         一覧をウィンドウで開き、フォルダーの変化を追って表示します。\n"
    "                   フォルダーを省くと、クラスのフォルダーか前回のフォルダーを開きます。\n"
    "  --scale 値       ウィンドウの表示の倍率：auto か 1〜3（ゲームと同じ。設定ファイルの\n"
    "                   [display] scale より優先します）。\n"
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

std::optional<Options> parse(const QStringList &args, QString *error) {
    Options o;
    bool optionsEnded = false;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &a = args[i];
        if (!optionsEnded && (a == QLatin1String("-h") || a == QLatin1String("--help"))) {
            o.help = true;
        } else if (!optionsEnded && a == QLatin1String("--window")) {
            o.window = true;
        } else if (!optionsEnded && a == QLatin1String("--")) {
            optionsEnded = true;
        } else if (!optionsEnded && a.startsWith(QLatin1String("--"))) {
            const qsizetype eq = a.indexOf(QLatin1Char('='));
            const QString name = a.left(eq);
            QString *target = name == QLatin1String("--csv")    ? &o.csvFile
                              : name == QLatin1String("--html") ? &o.htmlFile
                              : name == QLatin1String("--pdf")  ? &o.pdfFile
                              : name == QLatin1String("--scale") ? &o.scale
                                                                : nullptr;
            if (!target) {
                *error = QStringLiteral("知らないオプションです：%1").arg(a);
                return std::nullopt;
            }
            if (eq >= 0) {
                *target = a.mid(eq + 1);
            } else if (i + 1 < args.size() && !args[i + 1].startsWith(QLatin1Char('-'))) {
                *target = args[++i];
            } else {
                // Also for "--csv --html page.html": an option is no file name
                // (a file whose name begins with "-" is given as --csv=-x.csv).
                *error = QStringLiteral("%1 のあとに%2が要ります。").arg(name, target == &o.scale ? QStringLiteral("値") : QStringLiteral("ファイル名"));
                return std::nullopt;
            }
            if (target->isEmpty()) {
                *error = QStringLiteral("%1 の%2が空です。").arg(name, target == &o.scale ? QStringLiteral("値") : QStringLiteral("ファイル名"));
                return std::nullopt;
            }
        } else if (o.folder.isNull()) {
            o.folder = a;
        } else {
            *error = QStringLiteral("フォルダーは 1 つだけ指定してください。");
            return std::nullopt;
        }
    }
    if (o.window && !(o.csvFile.isEmpty() && o.htmlFile.isEmpty() && o.pdfFile.isEmpty())) {
        *error = QStringLiteral("--window は --csv、--html、--pdf と一緒には使えません（ウィンドウのボタンで書けます）。");
        return std::nullopt;
    }
    if (!o.window && !o.scale.isNull()) {
        *error = QStringLiteral("--scale は --window と一緒に使います。");
        return std::nullopt;
    }
    if (!o.help && !o.window && o.folder.isEmpty()) {
        *error = QStringLiteral("フォルダーを指定してください。");
        return std::nullopt;
    }
    const std::vector<Output> named = outputs(o);
    for (size_t i = 0; i < named.size(); ++i)
        for (size_t j = i + 1; j < named.size(); ++j)
            if (named[i].file == named[j].file) {
                *error = QStringLiteral("%1 と %2 に同じファイルは使えません。").arg(named[i].kind, named[j].kind);
                return std::nullopt;
            }
    for (const QString &f : {o.csvFile, o.htmlFile, o.pdfFile}) {
        if (isProgressFileName(f)) {
            *error = QStringLiteral("「%1」は進み具合のファイルの名前です。そこには書き込みません。").arg(f);
            return std::nullopt;
        }
    }
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
        err << QStringLiteral("「%1」に書き込めません（個人票の PDF を作れません）。\n").arg(platform::visibleText(name));
        return false;
    }
    return writeFile(name, pdf, err);
}

}  // namespace

int run(const QStringList &arguments, QTextStream &out, QTextStream &err) {
    QString error;
    const std::optional<Options> options = parse(arguments, &error);
    if (!options) {
        err << platform::visibleText(error, true) << '\n' << QString::fromUtf8(kUsageText);
        return kUsage;
    }
    if (options->help) {
        out << QString::fromUtf8(kUsageText);
        return kDone;
    }

    if (options->window) {
        // The window needs the QApplication that main makes when wantsWindow says so.
        if (!qobject_cast<QApplication *>(QCoreApplication::instance())) {
            err << QStringLiteral("ウィンドウを開けません。") << '\n';
            return kFailed;
        }
        return runWindow(options->folder, options->scale.isNull() ? nullptr : &options->scale);
    }

    const std::vector<Output> named = outputs(*options);
    for (size_t i = 0; i < named.size(); ++i)
        for (size_t j = i + 1; j < named.size(); ++j)
            if (sameOutputFile(named[i].file, named[j].file)) {
                err << QStringLiteral("「%1」と「%2」は同じファイルです。%3 と %4 には別のファイルを指定してください。\n")
                           .arg(platform::visibleText(named[i].file), platform::visibleText(named[j].file), named[i].kind, named[j].kind);
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
    out << table(report);
    out.flush();
    // A table that did not reach its reader (a full disk, a closed pipe)
    // is a failure; the files asked for are still written.
    bool written = out.status() == QTextStream::Ok;
    if (!written) err << QStringLiteral("一覧を書き出せません（標準出力に書き込めません）。\n");
    if (!options->csvFile.isEmpty()) written = writeFile(options->csvFile, csv(report), err) && written;
    if (!options->htmlFile.isEmpty()) written = writeFile(options->htmlFile, html(report), err) && written;
    if (!options->pdfFile.isEmpty()) written = writeSheets(options->pdfFile, report, err) && written;
    return written ? kDone : kFailed;
}

bool wantsWindow(const QStringList &arguments) {
    QString error;
    const std::optional<Options> options = parse(arguments, &error);
    return options && options->window && !options->help;
}

bool wantsSheets(const QStringList &arguments) {
    QString error;
    const std::optional<Options> options = parse(arguments, &error);
    return options && !options->pdfFile.isEmpty() && !options->help;
}

}  // namespace report
