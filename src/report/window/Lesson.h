// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// This lesson: the state of every progress file when the lesson started,
// so that the window shows what each pupil did since (questions advanced,
// misses added, time played).  Kept in the teacher's own data folder,
// never the class folder, so that a window closed and opened again within
// the same lesson (the same folder, within two hours) carries on from the
// same start.

#include "report/ClassReport.h"

#include <QByteArray>
#include <QDateTime>
#include <QHash>
#include <QString>

namespace report::window {

constexpr qint64 kLessonSeconds = 2 * 60 * 60;  // a window opened again within this carries on

// A file's state at the lesson's start.
struct LessonStart {
    int reached = 0;
    long misses = 0;
    double seconds = 0;
};

struct Lesson {
    QString folder;                        // the class folder, absolute
    QDateTime start;                       // on the teacher's clock; invalid: no lesson yet
    QHash<QByteArray, LessonStart> files;  // by file name (the model's key)
    bool started() const { return start.isValid(); }
};

// What a pupil did since the lesson's start.  A file that appeared during
// the lesson counts from nothing, and so does a course started again from
// the beginning (the file went back).
struct LessonFigures {
    int advanced = 0;
    long misses = 0;
    double seconds = 0;
};
LessonFigures lessonFigures(const Pupil &p, const LessonStart *start);
LessonStart lessonStartOf(const Pupil &p);

// The file in dataFolder that keeps the lesson of classFolder.
QString lessonFile(const QString &dataFolder, const QString &classFolder);
// Writes lesson to file (creating its folder); an empty string, or a
// Japanese sentence naming what failed.
QString saveLesson(const QString &file, const Lesson &lesson);
// The lesson kept in file when it is of classFolder and started less than
// kLessonSeconds before now (and not after it); otherwise none.  A missing
// or damaged file is no lesson.
Lesson loadLesson(const QString &file, const QString &classFolder, const QDateTime &now);

// The window's size and place kept in the teacher's data folder (Qt's own
// saved geometry), or empty when there is none or it is larger than any
// such record (64 KiB).
QByteArray readKeptPlace(const QString &file);

}  // namespace report::window
