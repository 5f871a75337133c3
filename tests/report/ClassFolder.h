// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Builds progress files for the report's tests: runs as the game writes
// them, and damaged content written byte for byte; runs the report program
// and looks at what it left in a folder.

#include "report/Command.h"
#include "state/ProgressFile.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTextStream>
#include <gtest/gtest.h>

#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace report_test {

// A pupil on question `on`, who took 10 + i seconds and i % 3 misses on
// each finished question i, with a clock reading in the current slot.
inline state::Session pupilOn(int on, double score) {
    state::Session m;
    m.question = static_cast<short>(on);
    m.score = score;
    for (int i = 1; i < on; ++i) {
        m.misses[i] = static_cast<short>(i % 3);
        m.answerTimes[i] = static_cast<float>(10 + i);
    }
    m.misses[on] = 1;
    m.answerTimes[on] = 50412.5f;
    return m;
}

inline void writeBytes(const QString &path, const QByteArray &bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
    ASSERT_EQ(f.write(bytes), bytes.size());
}

inline void writePupil(const QString &folder, const QString &code, const state::Session &m) {
    writeBytes(folder + "/" + code + ".ucd", state::progress::render(m));
}

// A pupil's save as the game makes it: a new file renamed over the old one.
inline void saveLikeTheGame(const QString &folder, const QString &code, const state::Session &m) {
    const QString target = folder + "/" + code + ".ucd";
    writeBytes(target + ".tmp", state::progress::render(m));
    ASSERT_EQ(std::rename(QFile::encodeName(target + ".tmp").constData(), QFile::encodeName(target).constData()), 0);
}

// Dates a file a minute ahead, as a rewrite within the clock's last tick
// must still be seen as a change.
inline void dateAhead(const QString &path) {
    const timespec later[2] = {{0, UTIME_OMIT}, {std::time(nullptr) + 60, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), later, 0), 0);
}

// A class of eight: codes that sort as a class list, ties in misses, a
// damaged file, a link, a FIFO, and a file that is no progress file.
inline void makeClass() {
    QDir().mkdir("class");
    writePupil("class", "10", pupilOn(30, 87000));  // i % 3 on 1..29, 1 on 30: 31 misses
    writePupil("class", "2", pupilOn(4, 3000));     // 1 + 2 + 0 + 1 = 4 misses
    writePupil("class", "3", pupilOn(5, -3000));    // 1 + 2 + 0 + 1 + 1 = 5
    writePupil("class", "山田", pupilOn(5, 0));      // 5
    writePupil("class", "1", pupilOn(1, 0));        // 1
    writeBytes("class/broken.ucd", "3,x\r\n");
    ASSERT_EQ(::symlink("10.ucd", "class/link.ucd"), 0);
    ASSERT_EQ(::mkfifo("class/pipe.ucd", 0600), 0);
    writeBytes("class/notes.txt", "not a progress file");
}

inline QByteArray readAll(const QString &name) {
    QFile f(name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Every entry of the folder with its kind, mode, size, times, inode and,
// for regular files up to 1 MiB, a hash of the content (a write to a
// larger one shows in its times).
inline QStringList snapshot(const QString &folder) {
    QStringList s;
    const QStringList names =
        QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString &name : names) {
        const QString path = folder + "/" + name;
        struct stat st {};
        if (::lstat(QFile::encodeName(path).constData(), &st) != 0) {
            s << name + " gone";
            continue;
        }
        QString line = QString("%1 mode=%2 size=%3 ino=%4 mtime=%5.%6 ctime=%7.%8")
                           .arg(name)
                           .arg(st.st_mode, 0, 8)
                           .arg(st.st_size)
                           .arg(st.st_ino)
                           .arg(st.st_mtim.tv_sec)
                           .arg(st.st_mtim.tv_nsec)
                           .arg(st.st_ctim.tv_sec)
                           .arg(st.st_ctim.tv_nsec);
        if (S_ISREG(st.st_mode) && st.st_size <= (1 << 20))
            line += " " + QCryptographicHash::hash(readAll(path), QCryptographicHash::Sha256).toHex();
        s << line;
    }
    return s;
}

// The report program run in-process: its exit status and both streams.
struct Result {
    int status;
    QString out, err;
};

inline Result runReport(const QStringList &args) {
    Result r;
    QTextStream out(&r.out), err(&r.err);
    r.status = report::run(args, out, err);
    out.flush();
    err.flush();
    return r;
}

}  // namespace report_test
