// SPDX-License-Identifier: GPL-3.0-or-later
#include "state/Assignment.h"

#include "platform/Files.h"
#include "platform/Settings.h"
#include "state/FolderNames.h"
#include "state/ProgressFile.h"

#include <QFile>
#include <QList>

#include <algorithm>
#include <cerrno>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace state::assignment {

namespace {

constexpr char kHeading[] = "pomurin20 課題 1";
constexpr char kSetFormat[] = "yyyy-MM-dd HH:mm:ss";
constexpr qint64 kMaxBytes = 4096;  // four short lines; more is no file this program wrote

QString pathIn(const QString &folder) { return folder.isEmpty() ? fileName() : folder + QLatin1Char('/') + fileName(); }

QByteArray folderBytes(const QString &folder) {
    return QFile::encodeName(folder.isEmpty() ? QStringLiteral(".") : folder);
}

// The questions "17,18,19": ascending, each once, 1..30.
bool toQuestions(const QByteArray &field, std::vector<int> *out) {
    out->clear();
    for (const QByteArray &part : field.split(',')) {
        if (part.isEmpty() || part.size() > 2) return false;
        int q = 0;
        for (char c : part) {
            if (c < '0' || c > '9') return false;
            q = q * 10 + (c - '0');
        }
        if (q < 1 || q > state::kQuestions || (!out->empty() && q <= out->back())) return false;
        out->push_back(q);
    }
    return !out->empty();
}

// Who may set a 課題 in folder, seen from a file owned by owner: true
// outside a sticky folder, where every pupil may write every file anyway.
bool teacherOwns(const QByteArray &folder, uid_t owner) {
    struct stat st {};
    if (::stat(folder.constData(), &st) != 0 || !(st.st_mode & S_ISVTX)) return true;
    return writtenByTeacher(owner, st.st_uid, platform::classTeachers(), accountName);
}

[[noreturn]] void refuse(const QString &why) { throw ProgressError(why.toStdString()); }

// Refuses to go on when this account is no teacher's, or when something
// other than a teacher's regular file stands at the 課題's name (it is
// left for the teacher to look at).
void checkMayWrite(const QString &folder) {
    if (!teacherOwns(folderBytes(folder), ::geteuid()))
        refuse(
            QStringLiteral("このアカウント（%1）は先生のアカウントではないので、課題を出せません"
                           "（フォルダーの持ち主か、設定ファイルの [class] teachers に書かれたアカウントが出せます）。")
                .arg(accountName(::geteuid())));
    const QString path = pathIn(folder);
    struct stat st {};
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0) return;
    if (!S_ISREG(st.st_mode))
        refuse(
            QStringLiteral("「%1」は%2で、課題のファイルではありません。確かめてから、フォルダーから消してください。")
                .arg(path, platform::files::kindOf(st.st_mode)));
    if (!teacherOwns(folderBytes(folder), st.st_uid)) refuse(read(folder).problem);
}

}  // namespace

QString fileName() { return names::assignmentFile(); }

bool Assignment::holds(int q) const { return std::find(questions.begin(), questions.end(), q) != questions.end(); }

QByteArray render(const Assignment &a) {
    QByteArray questions;
    for (int q : a.questions) questions += (questions.isEmpty() ? "" : ",") + QByteArray::number(q);
    return QByteArray(kHeading) + "\r\nquestions " + questions + "\r\nset " + a.set.toString(kSetFormat).toLatin1() +
           "\r\ntest " + (a.testDay.isValid() ? a.testDay.toString(Qt::ISODate).toLatin1() : QByteArray("-")) + "\r\n";
}

bool parse(const QByteArray &content, Assignment *a, QString *why) {
    QList<QByteArray> lines = content.split('\n');
    if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
    for (QByteArray &line : lines) {
        if (!line.endsWith('\r')) {
            *why = QStringLiteral("行の終わりが違います");
            return false;
        }
        line.chop(1);
    }
    if (lines.isEmpty() || lines.first() != kHeading) {
        *why = QStringLiteral("1 行目が課題のものではありません");
        return false;
    }
    if (lines.size() != 4 || !lines[1].startsWith("questions ") || !lines[2].startsWith("set ") ||
        !lines[3].startsWith("test ")) {
        *why = QStringLiteral("行が questions、set、test の 3 つではありません");
        return false;
    }
    Assignment read;
    if (!toQuestions(lines[1].mid(10), &read.questions)) {
        *why = QStringLiteral("問題の番号が読めません");
        return false;
    }
    const QByteArray set = lines[2].mid(4), test = lines[3].mid(5);
    read.set = QDateTime::fromString(QString::fromLatin1(set), QString::fromLatin1(kSetFormat));
    if (set.size() != 19 || !read.set.isValid()) {
        *why = QStringLiteral("出した日時が読めません");
        return false;
    }
    if (test != "-") {
        read.testDay = QDate::fromString(QString::fromLatin1(test), Qt::ISODate);
        if (test.size() != 10 || !read.testDay.isValid() || read.testDay <= read.set.date()) {
            *why = QStringLiteral("テストの日が読めないか、出した日より後ではありません");
            return false;
        }
    }
    *a = read;
    return true;
}

Found read(const QString &folder) {
    Found found;
    const QString path = pathIn(folder);
    const platform::files::ReadResult file = platform::files::read(path, {kMaxBytes});
    if (file.outcome == platform::files::ReadResult::Outcome::Missing) return found;
    const QString todo =
        QStringLiteral(
            "課題は出ていないものとして扱います。「課題を出す…」で出しなおすか、ファイル「%1」を確かめてください。")
            .arg(fileName());
    if (file.outcome != platform::files::ReadResult::Outcome::Read) {
        found.kind = Found::Kind::Unusable;
        found.problem = file.text(path, QStringLiteral("課題のファイル")) + todo;
        return found;
    }
    if (!teacherOwns(folderBytes(folder), file.status.st_uid)) {
        found.kind = Found::Kind::NotTeacher;
        found.problem = QStringLiteral(
                            "課題のファイルを先生でない人（%1）が作りました。この課題は使いません。"
                            "ファイル「%2」を確かめて、フォルダーから消してください。")
                            .arg(accountName(file.status.st_uid), fileName());
        return found;
    }
    QString why;
    if (!parse(file.bytes, &found.assignment, &why)) {
        found.assignment = {};
        found.kind = Found::Kind::Unusable;
        found.problem = QStringLiteral("課題のファイルが壊れています（%1）。").arg(why) + todo;
        return found;
    }
    found.kind = Found::Kind::Set;
    return found;
}

bool writtenByTeacher(uid_t owner, uid_t folderOwner, const QStringList &teachers,
                      const std::function<QString(uid_t)> &nameOf) {
    return owner == folderOwner || owner == 0 || teachers.contains(nameOf(owner));
}

QString accountName(uid_t uid) {
    const passwd *pw = ::getpwuid(uid);
    return pw && pw->pw_name ? QString::fromLocal8Bit(pw->pw_name) : QString::number(uid);
}

void write(const QString &folder, const Assignment &a) {
    checkMayWrite(folder);
    try {
        platform::files::replace(pathIn(folder), render(a));
    } catch (const platform::files::FileError &e) {
        refuse(QString::fromUtf8(e.what()));
    }
}

void clear(const QString &folder) {
    checkMayWrite(folder);
    const QByteArray path = QFile::encodeName(pathIn(folder));
    struct stat st {};
    if (::lstat(path.constData(), &st) != 0 && errno == ENOENT) return;
    if (!S_ISREG(st.st_mode) || ::unlink(path.constData()) != 0)
        refuse(QStringLiteral("課題のファイル「%1」を消せません（%2）。")
                   .arg(pathIn(folder),
                        S_ISREG(st.st_mode) ? platform::files::reasonOf(errno) : platform::files::kindOf(st.st_mode)));
}

QString dayText(const QDate &day) { return QStringLiteral("%1月%2日").arg(day.month()).arg(day.day()); }

}  // namespace state::assignment
