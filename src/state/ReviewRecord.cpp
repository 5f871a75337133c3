// SPDX-License-Identifier: GPL-3.0-or-later
#include "state/ReviewRecord.h"

#include "platform/Files.h"
#include "state/ProgressFile.h"

#include <QList>

namespace state::review {

namespace {

constexpr char kHeading[] = "pomurin20 review 1";
constexpr int kFieldsPerLine = 5;

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

}  // namespace

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

QString fileName(const QString &stem) { return stem + QStringLiteral(".review"); }

QByteArray render(const Record &r) {
    QByteArray out = QByteArray(kHeading) + "\r\n";
    for (int q = 1; q <= kQuestions; ++q) {
        const Entry &e = r.entries[q];
        if (e.practised == 0) continue;
        out += QByteArray::number(q) + ',' + QByteArray::number(e.practised) + ',' + QByteArray::number(e.firstTry) +
               ',' + QByteArray::number(e.run) + ',' + e.last.toString(Qt::ISODate).toLatin1() + "\r\n";
    }
    return out;
}

void parse(const QByteArray &content, Record &r) {
    QList<QByteArray> lines = content.split('\n');
    for (QByteArray &line : lines)
        if (line.endsWith('\r')) line.chop(1);
    if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();  // the last line's end
    if (lines.isEmpty() || lines.first() != kHeading) damaged(QStringLiteral("1 行目が復習の記録のものではありません"));
    Record next;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QList<QByteArray> fields = lines[i].split(',');
        const QString where = QStringLiteral("%1 行目").arg(i + 1);
        if (fields.size() != kFieldsPerLine) damaged(where + QStringLiteral("の数が 5 個ではありません"));
        int q = 0;
        Entry e;
        if (!toCount(fields[0], &q) || !Session::inRange(q)) damaged(where + QStringLiteral("の問題の番号が 1 から 30 の外です"));
        if (next.entries[q].practised != 0) damaged(where + QStringLiteral("の問題 %1 は 2 度目です").arg(q));
        if (!toCount(fields[1], &e.practised) || !toCount(fields[2], &e.firstTry) || !toCount(fields[3], &e.run) ||
            e.practised == 0 || e.firstTry > e.practised || e.run > kLearntRun || e.run > e.firstTry)
            damaged(where + QStringLiteral("の回数が合いません"));
        e.last = QDate::fromString(QString::fromLatin1(fields[4]), Qt::ISODate);
        if (!e.last.isValid() || fields[4].size() != 10) damaged(where + QStringLiteral("の日付が読めません"));
        next.entries[q] = e;
    }
    r = next;
}

bool load(const QString &stem, Record &r) { return loadFile(fileName(stem), r); }

bool loadFile(const QString &name, Record &r) {
    r = Record{};
    const platform::files::ReadResult file = platform::files::read(name, {1 << 20});
    if (file.outcome == platform::files::ReadResult::Outcome::Missing) return false;
    Record read;
    try {
        if (file.outcome != platform::files::ReadResult::Outcome::Read)
            throw ProgressError(file.text(name, QStringLiteral("復習の記録")).toStdString());
        parse(file.bytes, read);
    } catch (const ProgressError &e) {
        // The reason names the file, so that the teacher can find it.
        const QString why = QString::fromUtf8(e.what());
        throw ProgressError(
            (why.contains(name) ? why : QStringLiteral("「%1」：%2").arg(name, why)).toStdString());
    }
    r = read;
    return true;
}

void save(const QString &stem, const Record &r) {
    try {
        platform::files::replace(fileName(stem), render(r));
    } catch (const platform::files::FileError &e) {
        throw ProgressError(e.what());
    }
}

void notePractice(Record &r, int q, bool rightFirstTime, const QDate &day) {
    if (!Session::inRange(q)) return;
    Entry &e = r.entries[q];
    if (e.practised >= kMaxCount) return;  // a record this full keeps its figures
    e.practised += 1;
    e.firstTry += rightFirstTime ? 1 : 0;
    e.run = rightFirstTime ? std::min(e.run + 1, kLearntRun) : 0;
    e.last = day;
}

bool learnt(const Record &r, int q) { return Session::inRange(q) && r.entries[q].run >= kLearntRun; }

}  // namespace state::review
