// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The class list (名簿): each pupil's 出席番号, 氏名 and the user code the
// pupil plays with, read from the CSV file a school system exports (UTF-8
// with or without a byte-order mark, or Shift_JIS as Excel on Japanese
// Windows writes it).  A list is taken whole or not at all: every line
// that is wrong is named, and nothing of a refused list is used.
//
// The list names pupils, so it is kept in the teacher's own data folder,
// one file a class folder, never in the shared class folder.

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>
#include <vector>

namespace classfolder {
struct Pupil;
}

namespace report {

struct ClassReport;
using classfolder::Pupil;

struct RosterEntry {
    QString number;  // 出席番号 as written ("5", "05", "2-1-5")
    QString name;    // 氏名
    QString code;    // the user code, in the form that names its file
};

class Roster {
public:
    Roster() = default;
    explicit Roster(std::vector<RosterEntry> entries);

    // In the order of the list's numbers (as a class list runs: "2" before "10").
    const std::vector<RosterEntry> &entries() const { return entries_; }
    // The entry of a code (a progress file's name without ".ucd"), or null.
    const RosterEntry *find(const QString &code) const;
    int size() const { return int(entries_.size()); }

private:
    std::vector<RosterEntry> entries_;
    QHash<QString, int> byCode_;
};

using RosterPtr = std::shared_ptr<const Roster>;

// A list read, or why not: one Japanese sentence a problem, each naming
// its line as a spreadsheet numbers its rows (the heading is 1 行目).
struct RosterRead {
    RosterPtr roster;  // null when refused
    QStringList problems;
};

// Reads a class list from a CSV file's bytes.  The first line that is not
// empty names the columns: 出席番号 (or 番号), 氏名 (or 名前) and コード;
// other columns are left alone.  Fields may be quoted ("a, b", "" for a
// quote, line breaks inside), lines end in CR LF, LF or CR; lines with
// every field empty are skipped.  Refused whole: no such columns, a
// quotation left open, an empty number, an empty code or one no progress
// file could have, a code or number twice, no pupil at all, text that is
// neither UTF-8 nor Shift_JIS.
RosterRead parseRoster(const QByteArray &bytes);

// Reads the file through the file module (a regular file only, at most
// 1 MiB); a file that cannot be read is one problem naming it.
RosterRead readRosterFile(const QString &path);

// Shift_JIS as Windows writes it (CP932) to text; nothing when a byte
// sequence is not CP932.
std::optional<QString> fromCp932(const QByteArray &bytes);

// The report's rows in the order of its list: the pupils on it by
// number, then the files whose code is not on it, in code order.
void orderByRoster(ClassReport &report);
// The pupils of roster with no progress file among the rows, by number.
std::vector<const RosterEntry *> notStarted(const Roster &roster, const std::vector<Pupil> &rows);
// The terminal's table of a report with a list: each row begins with the
// pupil's number and name (「名簿にない」 for a code not on it), and a
// last line names those who have not started.
QString rosterTable(const ClassReport &report);

// Where the list of classFolder is kept in the teacher's dataFolder.
QString rosterFile(const QString &dataFolder, const QString &classFolder);
// Keeps roster for classFolder in file (creating its folder): empty, or a
// Japanese sentence naming what failed.
QString keepRoster(const QString &file, const QString &classFolder, const Roster &roster);
// The list kept in file for classFolder; null when none is kept there (or
// the file is damaged, or another folder's).
RosterPtr keptRoster(const QString &file, const QString &classFolder);
// Removes the kept list: empty, or a sentence naming what failed.
QString forgetRoster(const QString &file);

}  // namespace report
