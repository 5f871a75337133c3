// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/window/Lesson.h"

#include "platform/Files.h"
#include "report/OutputFile.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>
#include <limits>

namespace report::window {

namespace {

constexpr qint64 kMaxLessonFile = 64 * 1024 * 1024;

// A file's start as the window writes it: the question reached (0 to 30),
// the sum of 30 miss counts that each fit a progress file's short, and the
// sum of up to 30 answer times that each fit its float.  Anything else
// (a missing or extra number, a fraction, a number beyond these) is not
// one the window wrote, and converting it could overflow.
bool startOf(const QJsonValue &value, LessonStart *out) {
    const QJsonArray v = value.toArray();
    if (!value.isArray() || v.size() != 3) return false;
    for (const QJsonValue &n : v)
        if (!n.isDouble() || !std::isfinite(n.toDouble())) return false;
    const double reached = v.at(0).toDouble(), misses = v.at(1).toDouble(), seconds = v.at(2).toDouble();
    constexpr double kMostMisses = double(state::kQuestions) * 32768;
    constexpr double kMostSeconds = double(state::kQuestions) * double(std::numeric_limits<float>::max());
    if (reached != std::floor(reached) || reached < 0 || reached > state::kQuestions) return false;
    if (misses != std::floor(misses) || misses < -kMostMisses || misses > kMostMisses) return false;
    if (seconds < -kMostSeconds || seconds > kMostSeconds) return false;
    *out = LessonStart{int(reached), long(misses), seconds};
    return true;
}

}  // namespace

LessonStart lessonStartOf(const Pupil &p) {
    if (!p.wasRead()) return {};
    return {p.reached(), p.missTotal(), p.secondsTotal()};
}

LessonFigures lessonFigures(const Pupil &p, const LessonStart *start) {
    if (!p.wasRead()) return {};
    const LessonStart now = lessonStartOf(p);
    LessonStart from = start ? *start : LessonStart{};
    if (now.reached < from.reached || now.misses < from.misses || now.seconds < from.seconds) from = {};
    return {now.reached - from.reached, now.misses - from.misses, now.seconds - from.seconds};
}

QString lessonFile(const QString &dataFolder, const QString &classFolder) {
    const QByteArray id = QCryptographicHash::hash(classFolder.toUtf8(), QCryptographicHash::Sha1).toHex().left(16);
    return QDir(dataFolder).filePath(QStringLiteral("授業-%1.json").arg(QString::fromLatin1(id)));
}

QString saveLesson(const QString &file, const Lesson &lesson) {
    const QString folder = QFileInfo(file).absolutePath();
    if (!QDir().mkpath(folder)) return QStringLiteral("フォルダー「%1」を作れません。").arg(folder);
    QJsonObject files;
    for (auto it = lesson.files.cbegin(); it != lesson.files.cend(); ++it)
        files.insert(QString::fromLatin1(it.key().toBase64()),
                     QJsonArray{it->reached, double(it->misses), it->seconds});
    const QJsonObject root{{QStringLiteral("folder"), lesson.folder},
                           {QStringLiteral("start"), lesson.start.toUTC().toString(Qt::ISODateWithMs)},
                           {QStringLiteral("files"), files}};
    return writeOutputFile(file, QJsonDocument(root).toJson(QJsonDocument::Compact));
}

Lesson loadLesson(const QString &file, const QString &classFolder, const QDateTime &now) {
    const platform::files::ReadResult in = platform::files::read(file, {kMaxLessonFile});
    if (in.outcome != platform::files::ReadResult::Outcome::Read) return {};
    const QJsonObject root = QJsonDocument::fromJson(in.bytes).object();
    Lesson lesson;
    lesson.folder = root.value(QStringLiteral("folder")).toString();
    lesson.start = QDateTime::fromString(root.value(QStringLiteral("start")).toString(), Qt::ISODateWithMs);
    if (lesson.folder != classFolder || !lesson.start.isValid()) return {};
    const qint64 age = lesson.start.secsTo(now);
    if (age < 0 || age >= kLessonSeconds) return {};
    const QJsonObject files = root.value(QStringLiteral("files")).toObject();
    for (auto it = files.begin(); it != files.end(); ++it) {
        LessonStart start;
        if (!startOf(it.value(), &start)) return {};  // damaged: no lesson
        lesson.files.insert(QByteArray::fromBase64(it.key().toLatin1()), start);
    }
    return lesson;
}

QByteArray readKeptPlace(const QString &file) {
    // Through the file module, as the lesson file: a FIFO or link in its
    // place is refused at once instead of blocking the window.
    const platform::files::ReadResult in = platform::files::read(file, {64 * 1024});
    return in.outcome == platform::files::ReadResult::Outcome::Read ? in.bytes : QByteArray();
}

}  // namespace report::window
