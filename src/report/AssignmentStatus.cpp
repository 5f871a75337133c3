// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/AssignmentStatus.h"

#include "bank/Topics.h"
#include "platform/Services.h"
#include "report/Command.h"
#include "state/ProgressFile.h"

#include <QStringList>

#include <algorithm>

namespace report {

AssignmentProgress assignmentProgress(const Pupil &p, const state::assignment::Assignment &a) {
    AssignmentProgress out;
    out.total = int(a.questions.size());
    const bool same = p.reviewProblem.isEmpty() && p.assignmentAnswers.set == a.set;
    bool answered = false;
    for (int q : a.questions) {
        const char mark = same && state::Session::inRange(q) ? p.assignmentAnswers.marks[q] : char(0);
        out.marks.push_back(mark);
        out.done += mark == 'o' ? 1 : 0;
        answered = answered || mark != 0;
    }
    out.stage = out.done == out.total && out.total > 0 ? AssignmentProgress::Stage::Done
                : answered                             ? AssignmentProgress::Stage::Partway
                                                       : AssignmentProgress::Stage::NotStarted;
    return out;
}

QString stageText(const AssignmentProgress &progress) {
    switch (progress.stage) {
    case AssignmentProgress::Stage::Done: return QStringLiteral("済");
    case AssignmentProgress::Stage::Partway:
        return QStringLiteral("途中 (%1／%2)").arg(progress.done).arg(progress.total);
    case AssignmentProgress::Stage::NotStarted: break;
    }
    return QStringLiteral("未着手");
}

QString assignmentCsvText(const Pupil &p, const state::assignment::Found &found) {
    if (!found.isSet() || !p.reviewProblem.isEmpty()) return QString();
    const AssignmentProgress progress = assignmentProgress(p, found.assignment);
    return QStringLiteral("%1／%2").arg(progress.done).arg(progress.total);
}

AssignmentCount assignmentCount(const ClassReport &report) {
    AssignmentCount count;
    if (!report.assignment.isSet()) return count;
    for (const Pupil &p : report.pupils) {
        ++count.pupils;
        if (assignmentProgress(p, report.assignment.assignment).stage == AssignmentProgress::Stage::Done) ++count.done;
    }
    return count;
}

QString assignmentCountText(const ClassReport &report) {
    if (!report.assignment.isSet()) return QString();
    const AssignmentCount count = assignmentCount(report);
    return QStringLiteral("課題 済 %1／%2").arg(count.done).arg(count.pupils);
}

QString assignmentSummary(const state::assignment::Assignment &a) {
    QStringList numbers;
    for (int q : a.questions) numbers << QString::number(q);
    QString text = QStringLiteral("%1（問%2）、%3に出しました")
                       .arg(bank::questionsText(a.questions), numbers.join(QStringLiteral("・")),
                            state::assignment::dayText(a.set.date()));
    if (a.testDay.isValid()) text += QStringLiteral("、テストの日 %1").arg(state::assignment::dayText(a.testDay));
    return text;
}

std::optional<state::assignment::Assignment> assignmentFrom(const QString &questions, const QString &testDay,
                                                            const QDateTime &now, QString *error) {
    state::assignment::Assignment a;
    for (const QString &part : questions.split(QLatin1Char(','))) {
        bool number = false;
        const int q = part.trimmed().toInt(&number);
        if (!number || !state::Session::inRange(q)) {
            *error = QStringLiteral("--assign の「%1」は問題の番号（1〜30）ではありません。").arg(part);
            return std::nullopt;
        }
        if (a.holds(q)) {
            *error = QStringLiteral("--assign に問%1が 2 度あります。").arg(q);
            return std::nullopt;
        }
        a.questions.push_back(q);
    }
    std::sort(a.questions.begin(), a.questions.end());
    a.set = QDateTime(now.date(), QTime(now.time().hour(), now.time().minute(), now.time().second()));
    if (!testDay.isNull()) {
        a.testDay = QDate::fromString(testDay, Qt::ISODate);
        if (testDay.size() != 10 || !a.testDay.isValid()) {
            *error = QStringLiteral("--test-day の「%1」は日付（2026-12-15 の形）ではありません。").arg(testDay);
            return std::nullopt;
        }
        if (a.testDay <= now.date()) {
            *error = QStringLiteral("--test-day は今日より後の日にしてください（今日は %1 です）。")
                         .arg(now.date().toString(Qt::ISODate));
            return std::nullopt;
        }
    }
    return a;
}

int runAssign(const QString &folder, const std::optional<state::assignment::Assignment> &assign, QTextStream &out,
              QTextStream &err) {
    const state::assignment::Found before = state::assignment::read(folder);
    try {
        if (assign)
            state::assignment::write(folder, *assign);
        else
            state::assignment::clear(folder);
    } catch (const state::ProgressError &e) {
        err << platform::visibleText(QString::fromUtf8(e.what()), true) << '\n';
        return kFailed;
    }
    if (assign) {
        if (before.isSet())
            out << QStringLiteral("前の課題（%1）を置きかえました。\n").arg(assignmentSummary(before.assignment));
        out << QStringLiteral("課題を出しました：%1\n").arg(assignmentSummary(*assign));
    } else {
        out << (before.isSet() ? QStringLiteral("課題（%1）をやめました。\n").arg(assignmentSummary(before.assignment))
                               : QStringLiteral("課題は出ていません。\n"));
    }
    return kDone;
}

}  // namespace report
