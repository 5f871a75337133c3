// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/ClassReport.h"

#include "platform/Services.h"
#include "platform/SystemError.h"
#include "state/ProgressFile.h"
#include "state/ReviewRecord.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <dirent.h>

namespace report {

namespace {

constexpr double kDay = 86400;

// What the listing says an entry is, when it is not a regular file.
QString kindOf(unsigned char type) {
    switch (type) {
    case DT_DIR: return QStringLiteral("フォルダーです");
    case DT_LNK: return QStringLiteral("シンボリックリンクです（たどりません）");
    case DT_FIFO: return QStringLiteral("名前付きパイプ（FIFO）です");
    case DT_CHR:
    case DT_BLK: return QStringLiteral("デバイスです");
    case DT_SOCK: return QStringLiteral("ソケットです");
    default: return QString();
    }
}

bool isDigit(QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); }

}  // namespace

QString folderFailure(const QString &folder, int error) {
    QString why;
    switch (error) {
    case ENOENT: why = QStringLiteral("見つかりません"); break;
    case ENOTDIR: why = QStringLiteral("フォルダーではありません"); break;
    case EACCES:
    case EPERM: why = QStringLiteral("読む権限がありません"); break;
    default: why = platform::systemErrorText(error);
    }
    return QStringLiteral("フォルダー「%1」を読めません（%2）。").arg(folder, why);
}

int Pupil::reached() const {
    if (!wasRead()) return 0;
    return std::clamp<int>(questionNo, 0, state::kQuestions);
}

double Pupil::seconds(int q) const {
    if (!finished(q)) return 0;
    const double t = answerTime[q];
    return (t < 0 && t >= -kDay) ? t + kDay : t;
}

bool Pupil::courseFinished() const {
    constexpr double kLongestAnswer = 3 * 3600;
    return reached() == state::kQuestions && answerTime[state::kQuestions] < kLongestAnswer;
}

long Pupil::missTotal() const {
    long sum = 0;
    for (int q = 1; q <= state::kQuestions; ++q) sum += missCount[q];
    return sum;
}

double Pupil::secondsTotal() const {
    double sum = 0;
    for (int q = 1; q <= state::kQuestions; ++q) sum += seconds(q);
    return sum;
}

Pupil readPupil(const QString &path) {
    Pupil p;
    state::Session m;
    try {
        state::progress::loadFrom(path, m);
    } catch (const state::ProgressError &e) {
        p.state = Pupil::State::Unreadable;
        p.reason = QString::fromUtf8(e.what());
        return p;
    }
    p.questionNo = m.question;
    p.score = m.score;
    p.missCount = m.misses;
    p.answerTime = m.answerTimes;
    p.state = state::Session::inRange(m.question) ? Pupil::State::Readable : Pupil::State::OddQuestion;
    return p;
}

void readReview(const QString &path, const QString &progressFile, Pupil &p, QDate today, bool listed) {
    state::review::Record record;
    try {
        if (listed) state::review::loadFile(path, record, progressFile);
    } catch (const state::ProgressError &e) {
        p.reviewProblem = QString::fromUtf8(e.what());
        return;
    }
    p.reviewPractised = record.practised();
    p.reviewFirstTry = record.firstTry();
    p.reviewDueToday = int(state::review::dueQuestions(record, p.missCount, p.questionNo,
                                                       today.isValid() ? today : platform::clock().today())
                               .size());
    p.reviewLast = record.lastPractice();
    p.assignmentAnswers = record.assignment;
}

QString lookAlikeReason(const QString &code) {
    if (code != state::progress::normalizedCode(code))
        return QStringLiteral("ファイル名が合成済みの形（NFC）ではありません");
    if (state::progress::hasEdgeBlank(code)) return QStringLiteral("ファイル名の前か後ろに空白があります");
    return {};
}

Pupil readEntry(const QString &prefix, const QString &name, unsigned char type, bool nameIsText, QDate today,
                bool reviewListed) {
    const QString path = prefix + name;
    Pupil p;
    const QString code = name.chopped(4);  // ".ucd"
    // A name the game never gives a file would show a second row that looks
    // like a pupil's own (a decomposed "が", "3101 "): listed, never read.
    const QString lookAlike = nameIsText ? lookAlikeReason(code) : QString();
    if (!nameIsText) {
        p.reason = QStringLiteral("ファイル名の文字が UTF-8 ではありません");
    } else if (!lookAlike.isEmpty()) {
        p.reason = lookAlike;
    } else {
        p = readPupil(path);
    }
    p.code = code;
    if (nameIsText && lookAlike.isEmpty())
        readReview(prefix + state::review::fileName(p.code), path, p, today, reviewListed);
    if (!p.wasRead() && nameIsText && lookAlike.isEmpty()) {
        // The reader refuses anything but a regular file; the listing
        // can say what it was instead.  The row names the file, so the
        // folder is left out of the reason.
        const QString kind = kindOf(type);
        p.reason = kind.isEmpty() ? p.reason.replace(path, name) : kind;
    }
    return p;
}

ClassReport readFolder(const QString &folder) {
    ClassReport report;
    report.folder = folder;
    report.readAt = QDateTime::currentDateTime();

    const QByteArray encoded = QFile::encodeName(folder.isEmpty() ? QStringLiteral(".") : folder);
    DIR *dir = ::opendir(encoded.constData());
    if (!dir) throw FolderError(folderFailure(folder, errno).toStdString());
    const QString prefix = QFile::decodeName(encoded) + QLatin1Char('/');
    const QLatin1StringView suffix(".ucd");
    struct Entry {
        QString name;
        unsigned char type;
        bool nameIsText;  // the name's bytes are UTF-8, so the path reaches the file
    };
    std::vector<Entry> entries;
    int listError = 0;
    for (;;) {
        errno = 0;
        const dirent *entry = ::readdir(dir);
        if (!entry) {
            listError = errno;
            break;
        }
        QString name = QFile::decodeName(entry->d_name);
        if (!name.endsWith(suffix)) continue;
        const bool nameIsText = QFile::encodeName(name) == entry->d_name;
        entries.push_back({std::move(name), entry->d_type, nameIsText});
    }
    ::closedir(dir);
    if (listError != 0) throw FolderError(folderFailure(folder, listError).toStdString());

    report.assignment = state::assignment::read(folder);
    report.pupils.reserve(entries.size());
    const QDate today = platform::clock().today();
    for (const auto &[name, type, nameIsText] : entries)
        report.pupils.push_back(readEntry(prefix, name, type, nameIsText, today));
    std::sort(report.pupils.begin(), report.pupils.end(),
              [](const Pupil &a, const Pupil &b) { return codeLess(a.code, b.code); });
    return report;
}

void count(ClassSummary &s, const Pupil &p, int sign) {
    s.files += sign;
    switch (p.state) {
    case Pupil::State::Unreadable: s.unreadable += sign; return;
    case Pupil::State::OddQuestion: s.odd += sign; return;
    case Pupil::State::Readable: s.readable += sign; break;
    }
    for (int q = 1; q <= p.reached(); ++q) {
        s.reachedBy[q] += sign;
        s.missesOn[q] += sign * long(p.missCount[q]);
    }
}

void average(ClassSummary &s) {
    for (int q = 1; q <= state::kQuestions; ++q)
        s.averageMisses[q] = s.reachedBy[q] ? double(s.missesOn[q]) / s.reachedBy[q] : 0;
}

ClassSummary summarise(const ClassReport &report) {
    ClassSummary s;
    for (const Pupil &p : report.pupils) count(s, p, 1);
    average(s);
    return s;
}

TopicFigures topicFigures(const ClassSummary &s, int first, int last) {
    TopicFigures f;
    first = std::max(first, 1);
    last = std::min(last, state::kQuestions);
    if (first > last) return f;
    f.pupils = s.reachedBy[first];
    long misses = 0, reached = 0;
    for (int q = first; q <= last; ++q) {
        misses += s.missesOn[q];
        reached += s.reachedBy[q];
    }
    f.averageMisses = reached ? double(misses) / double(reached) : 0;
    return f;
}

bool codeLess(const QString &a, const QString &b) {
    qsizetype i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (isDigit(a[i]) && isDigit(b[j])) {
            qsizetype ei = i, ej = j;
            while (ei < a.size() && isDigit(a[ei])) ++ei;
            while (ej < b.size() && isDigit(b[ej])) ++ej;
            // Compare the runs' values without converting: drop leading
            // zeros, then the longer run is larger, else digit by digit.
            qsizetype si = i, sj = j;
            while (si + 1 < ei && a[si] == QLatin1Char('0')) ++si;
            while (sj + 1 < ej && b[sj] == QLatin1Char('0')) ++sj;
            if (ei - si != ej - sj) return ei - si < ej - sj;
            const int c = QStringView(a).sliced(si, ei - si).compare(QStringView(b).sliced(sj, ej - sj));
            if (c != 0) return c < 0;
            i = ei;
            j = ej;
        } else {
            if (a[i] != b[j]) return a[i] < b[j];
            ++i;
            ++j;
        }
    }
    if (a.size() - i != b.size() - j) return a.size() - i < b.size() - j;
    return a < b;
}

}  // namespace report
