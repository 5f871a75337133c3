// SPDX-License-Identifier: GPL-3.0-or-later
#include "state/ReviewRecord.h"

#include "platform/Files.h"
#include "state/CodeHold.h"
#include "state/FolderNames.h"
#include "state/ProgressFile.h"

#include <QFile>
#include <QList>
#include <QRandomGenerator>

#include <algorithm>

#include <sys/stat.h>
#include <unistd.h>

namespace state::review {

namespace {

constexpr char kFirstForm[] = "pomurin20 review 1";
constexpr char kHeading[] = "pomurin20 review 2";
constexpr char kNoDay[] = "-";

[[noreturn]] void damaged(const QString &why) {
    throw ProgressError(QStringLiteral("復習の記録が壊れています（%1）。").arg(why).toStdString());
}

// A count as the writer writes it: decimal digits only, 0..kMaxCount.
bool toCount(const QByteArray &field, int *out) {
    if (field.isEmpty() || field.size() > 7) return false;
    int v = 0;
    for (char c : field) {
        if (c < '0' || c > '9') return false;
        v = v * 10 + (c - '0');
    }
    if (v > kMaxCount) return false;
    *out = v;
    return true;
}

// A day as the writer writes it: yyyy-mm-dd.
bool toDay(const QByteArray &field, QDate *out) {
    *out = QDate::fromString(QString::fromLatin1(field), Qt::ISODate);
    return out->isValid() && field.size() == 10;
}

// The day a question practised on day at step is due: the step's spacing
// later, no later than the last day a record can write.
QDate dueAfter(const QDate &day, int step) {
    static const QDate kLastDay(9999, 12, 31);
    return day.daysTo(kLastDay) < spacingDays(step) ? kLastDay : day.addDays(spacingDays(step));
}

// Whether a due day fits its step: none when learnt; else after the last
// practice by at most the step's spacing (a practice ahead of time keeps
// the day it was due).
bool dueFits(int step, const QDate &last, bool dayWritten, const QDate &due) {
    if (step == kLearnt) return !dayWritten;
    const QDate latest = dueAfter(last, step);
    return dayWritten && due <= latest && (due > last || due == latest);
}

QByteArray dayText(const QDate &d) { return d.isValid() ? d.toString(Qt::ISODate).toLatin1() : QByteArray(kNoDay); }

constexpr char kWithAssignment[] = "pomurin20 review 4";
constexpr char kAssignmentLine[] = "assignment,";
constexpr char kSetFormat[] = "yyyy-MM-dd HH:mm:ss";

// A record with 課題 answers: its heading read as this form's and its
// answer line (the last line) taken out into *answers.  Other records are
// left as they are.
void takeAssignmentLine(QList<QByteArray> &lines, AssignmentAnswers *answers) {
    if (lines.isEmpty() || lines.first() != kWithAssignment) return;
    lines.first() = kHeading;
    if (lines.size() < 2 || !lines.last().startsWith(kAssignmentLine)) damaged(QStringLiteral("課題の行がありません"));
    const QList<QByteArray> fields = lines.takeLast().split(',');
    AssignmentAnswers read;
    read.set = QDateTime::fromString(QString::fromLatin1(fields.value(1)), QString::fromLatin1(kSetFormat));
    if (fields.value(1).size() != 19 || !read.set.isValid()) damaged(QStringLiteral("課題の行の日時が読めません"));
    for (qsizetype i = 2; i < fields.size(); ++i) {
        const QByteArray &f = fields[i];
        int q = 0;
        if (f.size() < 2 || !toCount(f.chopped(1), &q) || !Session::inRange(q) || read.marks[q] != 0 ||
            (f.back() != 'o' && f.back() != 'x'))
            damaged(QStringLiteral("課題の行の %1 が読めません").arg(QString::fromLatin1(f)));
        read.marks[q] = f.back();
    }
    *answers = read;
}

// The answer line of a record with 課題 answers, after its question lines.
QByteArray withAssignmentLine(QByteArray out, const AssignmentAnswers &a) {
    if (!a.set.isValid()) return out;
    out.replace(0, qsizetype(sizeof kHeading - 1), kWithAssignment);
    out += kAssignmentLine + a.set.toString(QString::fromLatin1(kSetFormat)).toLatin1();
    for (int q = 1; q <= kQuestions; ++q)
        if (a.marks[q] == 'o' || a.marks[q] == 'x') out += ',' + QByteArray::number(q) + a.marks[q];
    return out + "\r\n";
}

}  // namespace

int spacingDays(int step) {
    static constexpr int kDays[kLastStep + 1] = {0, 1, 3, 7, 21};
    return step >= 1 && step <= kLastStep ? kDays[step] : 0;
}

int Record::practised() const {
    int sum = 0;
    for (int q = 1; q <= kQuestions; ++q) sum += entries[q].practised;
    return sum;
}

int Record::firstTry() const {
    int sum = 0;
    for (int q = 1; q <= kQuestions; ++q) sum += entries[q].firstTry;
    return sum;
}

QDate Record::lastPractice() const {
    QDate latest;
    for (int q = 1; q <= kQuestions; ++q)
        if (entries[q].last.isValid() && (!latest.isValid() || entries[q].last > latest)) latest = entries[q].last;
    return latest;
}

QString fileName(const QString &stem) { return names::reviewFile(stem); }

QByteArray render(const Record &r) {
    QByteArray out = QByteArray(kHeading) + "\r\n";
    for (int q = 1; q <= kQuestions; ++q) {
        const Entry &e = r.entries[q];
        if (e.practised == 0) continue;
        out += QByteArray::number(q) + ',' + QByteArray::number(e.practised) + ',' + QByteArray::number(e.firstTry) +
               ',' + QByteArray::number(e.step) + ',' + dayText(e.last) + ',' +
               dayText(e.step == kLearnt ? QDate() : e.due) + ',' + QByteArray::number(std::max(e.courseMisses, 0)) +
               "\r\n";
    }
    return withAssignmentLine(out, r.assignment);
}

void parse(const QByteArray &content, Record &r) {
    QList<QByteArray> lines = content.split('\n');
    for (QByteArray &line : lines)
        if (line.endsWith('\r')) line.chop(1);
    if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();  // the last line's end
    AssignmentAnswers answers;
    takeAssignmentLine(lines, &answers);
    const bool firstForm = !lines.isEmpty() && lines.first() == kFirstForm;
    if (lines.isEmpty() || (!firstForm && lines.first() != kHeading))
        damaged(QStringLiteral("1 行目が復習の記録のものではありません"));
    const int fieldsPerLine = firstForm ? 5 : 7;
    Record next;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QList<QByteArray> fields = lines[i].split(',');
        const QString where = QStringLiteral("%1 行目").arg(i + 1);
        if (fields.size() != fieldsPerLine)
            damaged(where + QStringLiteral("の数が %1 個ではありません").arg(fieldsPerLine));
        int q = 0;
        Entry e;
        if (!toCount(fields[0], &q) || !Session::inRange(q))
            damaged(where + QStringLiteral("の問題の番号が 1 から 30 の外です"));
        if (next.entries[q].practised != 0) damaged(where + QStringLiteral("の問題 %1 は 2 度目です").arg(q));
        int ladder = 0;  // the run of the first form, the step of this one
        if (!toCount(fields[1], &e.practised) || !toCount(fields[2], &e.firstTry) || !toCount(fields[3], &ladder) ||
            e.practised == 0 || e.firstTry > e.practised)
            damaged(where + QStringLiteral("の回数が合いません"));
        if (!toDay(fields[4], &e.last)) damaged(where + QStringLiteral("の日付が読めません"));
        if (firstForm) {
            // The run of first tries in a row (at most 2) gives the step:
            // climbed from the bottom when never missed, else from the
            // first step a miss put it on.
            if (ladder > 2 || ladder > e.firstTry) damaged(where + QStringLiteral("の回数が合いません"));
            e.step = ladder == e.practised ? ladder : ladder + 1;
            e.due = dueAfter(e.last, e.step);
        } else {
            if (ladder < 1 || ladder > kLearnt) damaged(where + QStringLiteral("の段階が 1 から 5 の外です"));
            if (!toCount(fields[6], &e.courseMisses)) damaged(where + QStringLiteral("の回数が合いません"));
            e.step = ladder;
            if (e.step != kLearnt && fields[5] != kNoDay && !toDay(fields[5], &e.due))
                damaged(where + QStringLiteral("の日付が読めません"));
            if (!dueFits(e.step, e.last, e.step == kLearnt ? fields[5] != kNoDay : e.due.isValid(), e.due))
                damaged(where + QStringLiteral("の次の復習の日が段階 %1 に合いません").arg(e.step));
        }
        next.entries[q] = e;
    }
    next.assignment = answers;
    r = next;
}

namespace {

// Whether the entry at path may be the record of progressFile: a regular
// file of an account that may own the code (see CodeHold::ownerCounts).
bool countsAsRecord(const QByteArray &path, const QString &progressFile) {
    struct stat st {};
    return ::lstat(path.constData(), &st) == 0 && S_ISREG(st.st_mode) &&
           CodeHold::ownerCounts(path, QFile::encodeName(progressFile), st.st_uid);
}

// The record of progressFile beside usual, or empty when none stands there.
QByteArray recordBeside(const QByteArray &usual, const QString &progressFile) {
    const QByteArray folder = usual.left(usual.lastIndexOf('/') + 1);
    const QByteArray name = usual.mid(folder.size());
    for (const QByteArray &other : platform::files::namesStartingWith(platform::files::folderOf(usual), name + '-'))
        if (names::progressOfReview(other) == names::progressOfReview(name) &&
            countsAsRecord(folder + other, progressFile))
            return folder + other;
    return {};
}

}  // namespace

QString recordPath(const QString &usual, const QString &progressFile) {
    const QByteArray path = QFile::encodeName(usual);
    struct stat st {};
    if (::lstat(path.constData(), &st) != 0 || countsAsRecord(path, progressFile)) return usual;
    return QFile::decodeName(recordBeside(path, progressFile));
}

bool load(const QString &stem, Record &r) {
    // A record left beside its name while that was taken goes back to it
    // once the name is free, so that every reader finds it there.
    const QByteArray usual = QFile::encodeName(fileName(stem));
    struct stat st {};
    if (::lstat(usual.constData(), &st) != 0)
        if (const QByteArray beside = recordBeside(usual, progress::fileName(stem));
            !beside.isEmpty() && ::link(beside.constData(), usual.constData()) == 0)
            ::unlink(beside.constData());
    return loadFile(fileName(stem), r, progress::fileName(stem));
}

bool loadFile(const QString &usual, Record &r, const QString &progressFile) {
    r = Record{};
    // Another account's entry, a link, folder or FIFO at the record's name
    // is no record: the pupil's own stands beside it, or none does.
    const QString name = recordPath(usual, progressFile);
    if (name.isEmpty()) return false;
    platform::files::ReadLimits limits{1 << 20};
    limits.sameOwnerAs = &progressFile;  // a classmate's record beside it is none
    const platform::files::ReadResult file = platform::files::read(name, limits);
    if (file.outcome == platform::files::ReadResult::Outcome::Missing) return false;
    Record read;
    try {
        if (file.outcome != platform::files::ReadResult::Outcome::Read)
            throw ProgressError(file.text(name, QStringLiteral("復習の記録")).toStdString());
        parse(file.bytes, read);
    } catch (const ProgressError &e) {
        // The reason names the file, so that the teacher can find it.
        const QString why = QString::fromUtf8(e.what());
        throw ProgressError((why.contains(name) ? why : QStringLiteral("「%1」：%2").arg(name, why)).toStdString());
    }
    r = read;
    return true;
}

void save(const QString &stem, const Record &r) {
    const QString usual = fileName(stem);
    QString path = recordPath(usual, progress::fileName(stem));
    // Its name taken by what cannot be the pupil's, the record goes beside
    // it, at a name made now; temporaries are named after the usual one so
    // that none tells that name in advance.
    if (path.isEmpty())
        path = usual + QLatin1Char('-') +
               QString::number(QRandomGenerator::system()->generate64() & 0xffffffffffffULL, 16)
                   .rightJustified(names::kBesideDigits, QLatin1Char('0'));
    platform::files::ReplaceOptions options;
    if (path != usual) options.temporaryOf = QFile::encodeName(usual.mid(usual.lastIndexOf(QLatin1Char('/')) + 1));
    try {
        platform::files::replace(path, render(r), options);
    } catch (const platform::files::FileError &e) {
        throw ProgressError(e.what());
    }
}

bool courseBegunAnew(const QString &stem) {
    Record r;
    try {
        if (!load(stem, r)) return true;
        for (Entry &e : r.entries)
            if (e.practised > 0) e.courseMisses = 0;
        save(stem, r);
    } catch (const ProgressError &) {
        return false;
    }
    return true;
}

void adoptCourseMisses(Record &r, const Misses &misses) {
    for (int q = 1; q <= kQuestions; ++q)
        if (r.entries[q].practised > 0 && r.entries[q].courseMisses < 0)
            r.entries[q].courseMisses = std::max<int>(misses[q], 0);
}

namespace {
// Misses only grow within a course; fewer than the record saw mean the
// course was begun anew since, of which the record saw nothing, so any miss
// there is new.
bool missedInCourseSince(const Entry &e, int courseMisses) {
    return e.courseMisses >= 0 &&
           (courseMisses > e.courseMisses || (courseMisses < e.courseMisses && courseMisses > 0));
}
}  // namespace

void notePractice(Record &r, int q, bool rightFirstTime, const QDate &today, int courseMisses) {
    if (!Session::inRange(q)) return;
    Entry &e = r.entries[q];
    if (e.practised >= kMaxCount) return;  // a record this full keeps its figures
    const bool missedSince = missedInCourseSince(e, courseMisses);
    const int from = missedSince ? 0 : e.step;
    // Right ahead of its day is practice, not a spaced review: it keeps its
    // step and the day it is due.
    const QDate dueNow = e.practised > 0 && !missedSince ? dueDate(r, q, courseMisses, today) : QDate();
    const bool ahead = rightFirstTime && dueNow.isValid() && dueNow > today;
    e.practised += 1;
    e.firstTry += rightFirstTime ? 1 : 0;
    e.step = ahead ? e.step : rightFirstTime ? std::min(from + 1, kLearnt) : 1;
    e.last = today;
    e.due = ahead ? dueNow : e.step == kLearnt ? QDate() : dueAfter(today, e.step);
    e.courseMisses = std::clamp(courseMisses, 0, kMaxCount);
}

namespace {
// The day before a test, for a question due after it (see TestDayPull).
QDate pulled(const QDate &due, const Entry &e, int q, const QDate &today, const TestDayPull *pull) {
    if (!pull || !pull->testDay.isValid() || !pull->questions[q] || today > pull->testDay) return due;
    const QDate dayBefore = pull->testDay.addDays(-1);
    return due > pull->testDay && e.last < dayBefore ? dayBefore : due;
}
}  // namespace

QDate dueDate(const Record &r, int q, int courseMisses, const QDate &today, const TestDayPull *pull) {
    if (!Session::inRange(q)) return {};
    const Entry &e = r.entries[q];
    if (e.practised == 0) return courseMisses > 0 ? today : QDate();
    if (missedInCourseSince(e, courseMisses)) return today;
    if (e.step == kLearnt) return {};
    return pulled(std::min(e.due, dueAfter(today, e.step)), e, q, today, pull);
}

namespace {

struct Candidate {
    int q;
    QDate due;
};

// The record's questions stay due by their own days whatever the course
// says now (a course begun anew is back at question 1 with no misses);
// others count up to the question reached.
std::vector<Candidate> candidates(const Record &r, const Misses &misses, int reached, const QDate &today,
                                  const TestDayPull *pull) {
    std::vector<Candidate> out;
    for (int q = 1; q <= kQuestions; ++q)
        if (const QDate due = dueDate(r, q, misses[q], today, pull);
            due.isValid() && (r.entries[q].practised > 0 || q <= reached))
            out.push_back({q, due});
    return out;
}

// The misses a question is ordered by: the course's now, or those the
// record saw when more (a course begun anew).
int missesOf(const Record &r, const Misses &misses, int q) {
    return std::max<int>(misses[q], r.entries[q].courseMisses);
}

}  // namespace

std::vector<int> dueQuestions(const Record &r, const Misses &misses, int reached, const QDate &today,
                              const TestDayPull *pull) {
    std::vector<Candidate> all = candidates(r, misses, reached, today, pull);
    std::vector<int> out;
    for (const Candidate &c : all)
        if (c.due <= today) out.push_back(c.q);
    std::stable_sort(out.begin(), out.end(),
                     [&](int a, int b) { return missesOf(r, misses, a) > missesOf(r, misses, b); });
    return out;
}

std::vector<int> laterQuestions(const Record &r, const Misses &misses, int reached, const QDate &today,
                                const TestDayPull *pull) {
    std::vector<Candidate> all = candidates(r, misses, reached, today, pull);
    std::erase_if(all, [&](const Candidate &c) { return c.due <= today; });
    std::stable_sort(all.begin(), all.end(), [&](const Candidate &a, const Candidate &b) {
        return a.due != b.due ? a.due < b.due : missesOf(r, misses, a.q) > missesOf(r, misses, b.q);
    });
    std::vector<int> out;
    for (const Candidate &c : all) out.push_back(c.q);
    return out;
}

}  // namespace state::review
