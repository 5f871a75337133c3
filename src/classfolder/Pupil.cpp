// SPDX-License-Identifier: GPL-3.0-or-later
#include "classfolder/Pupil.h"

#include "platform/Services.h"
#include "platform/SystemError.h"
#include "state/FolderNames.h"
#include "state/ProgressFile.h"

#include <algorithm>
#include <cerrno>

#include <dirent.h>

namespace classfolder {

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
    const QString code = state::names::codeOf(name);
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
        readReview(prefix + state::names::reviewFile(p.code), path, p, today, reviewListed);
    if (!p.wasRead() && nameIsText && lookAlike.isEmpty()) {
        // The reader refuses anything but a regular file; the listing
        // can say what it was instead.  The row names the file, so the
        // folder is left out of the reason.
        const QString kind = kindOf(type);
        p.reason = kind.isEmpty() ? p.reason.replace(path, name) : kind;
    }
    return p;
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

}  // namespace classfolder
