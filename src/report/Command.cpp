// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/Command.h"

#include "platform/Services.h"

#include "report/ClassReport.h"
#include "report/OutputFile.h"
#include "report/Writers.h"
#include "report/window/ClassWindow.h"

#include <QApplication>

#include <optional>

namespace report {

namespace {

struct Options {
    QString folder, csvFile, htmlFile;
    bool help = false;
    bool window = false;  // --window: the teacher's window instead of the table
};

const char *const kUsageText =
    "使い方: pomurin20-report フォルダー [--csv ファイル] [--html ファイル]\n"
    "        pomurin20-report --window [フォルダー]\n"
    "フォルダーの中の進み具合のファイル（*.ucd）をすべて読み、一覧を表示します。\n"
    "  --csv ファイル   同じ一覧を表計算ソフト用の CSV（UTF-8）に書きます。\n"
    "  --html ファイル  一覧とグラフを 1 つの HTML ページに書きます。\n"
    "  --window         一覧をウィンドウで開き、フォルダーの変化を追って表示します。\n"
    "                   フォルダーを省くと、クラスのフォルダーか前回のフォルダーを開きます。\n"
    "進み具合のファイルには書き込みません。\n";

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
                *error = QStringLiteral("%1 のあとにファイル名が要ります。").arg(name);
                return std::nullopt;
            }
            if (target->isEmpty()) {
                *error = QStringLiteral("%1 のファイル名が空です。").arg(name);
                return std::nullopt;
            }
        } else if (o.folder.isNull()) {
            o.folder = a;
        } else {
            *error = QStringLiteral("フォルダーは 1 つだけ指定してください。");
            return std::nullopt;
        }
    }
    if (o.window && !(o.csvFile.isEmpty() && o.htmlFile.isEmpty())) {
        *error = QStringLiteral("--window は --csv や --html と一緒には使えません（ウィンドウのボタンで書けます）。");
        return std::nullopt;
    }
    if (!o.help && !o.window && o.folder.isEmpty()) {
        *error = QStringLiteral("フォルダーを指定してください。");
        return std::nullopt;
    }
    if (!o.csvFile.isEmpty() && o.csvFile == o.htmlFile) {
        *error = QStringLiteral("CSV と HTML に同じファイルは使えません。");
        return std::nullopt;
    }
    for (const QString &f : {o.csvFile, o.htmlFile}) {
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
        return window::runWindow(options->folder);
    }

    if (!options->csvFile.isEmpty() && !options->htmlFile.isEmpty() &&
        sameOutputFile(options->csvFile, options->htmlFile)) {
        err << QStringLiteral("「%1」と「%2」は同じファイルです。CSV と HTML には別のファイルを指定してください。\n")
                   .arg(platform::visibleText(options->csvFile), platform::visibleText(options->htmlFile));
        return kUsage;
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
    return written ? kDone : kFailed;
}

bool wantsWindow(const QStringList &arguments) {
    QString error;
    const std::optional<Options> options = parse(arguments, &error);
    return options && options->window && !options->help;
}

}  // namespace report
