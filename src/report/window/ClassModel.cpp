// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/window/ClassModel.h"

#include "bank/Topics.h"
#include "platform/Services.h"
#include "report/MissSteps.h"
#include "report/Writers.h"
#include "state/FolderNames.h"
#include "state/ProgressFile.h"

#include <QBrush>
#include <QColor>
#include <QTextDocument>

#include <algorithm>
#include <limits>

namespace report::window {

namespace {

using state::progress::formatNumber;

// More rows than this added or removed at once are taken in by one reset
// rather than row by row.
constexpr qsizetype kRowByRowLimit = 64;

const QColor kUnreadableBackground(0xfd, 0xe4, 0xe4);
// 要支援: a blue that none of the misses' steps uses.
const QColor kHelpBackground(0x1d, 0x4e, 0xd8);
const QColor kHelpText(0xff, 0xff, 0xff);
const QColor kUnreadableText(0x22, 0x22, 0x22);
// この時間: a pupil with nothing this lesson.
const QColor kAbsentText(0x9a, 0x9a, 0x9a);
// A progress file whose code is not on the class list.
const QColor kNotListedBackground(0xff, 0xf3, 0xc4);
const QColor kNotListedText(0x5a, 0x40, 0x00);
// この時間: a pupil on the list who has not started, at the top.
const QColor kNotStartedText(0x9a, 0x34, 0x12);
const QString kNotStarted = QStringLiteral("未着手");
const QString kNotListed = QStringLiteral("名簿にない");

// Whether a question column has a value for the pupil: the question was
// reached (a file that was not read reached none).
bool reachedIn(const Pupil &p, int column) {
    return column < ClassModel::FirstQuestion || missStep(p, ClassModel::question(column)) != kNotReached;
}

// The question a pupil is on: the one a live hold names, between the
// file's saves, else the file's.
int questionOn(const Pupil &p) { return p.holdQuestion > 0 && !p.playingOn.isEmpty() ? p.holdQuestion : p.questionNo; }

// The value a numeric column sorts by; a file that was not read has none
// and sorts before every number.  In a question column only the rows that
// reached it have one (see rowFactsLess).
double numberOf(const Pupil &p, int column) {
    if (column >= ClassModel::FirstQuestion)
        return reachedIn(p, column) ? p.missCount[ClassModel::question(column)] : 0;
    if (!p.wasRead()) return -std::numeric_limits<double>::infinity();
    switch (column) {
    case ClassModel::Reached: return p.courseFinished() ? state::kQuestions + 1 : questionOn(p);
    case ClassModel::Score: return p.score;
    case ClassModel::Misses: return double(p.missTotal());
    default: return p.secondsTotal();
    }
}

// A tooltip of text from a file name: Qt renders a tooltip as rich text
// when it looks like markup, so the text is escaped into a paragraph of its
// own (a code such as <img src=...> is shown as typed, never loaded), and
// shortened like a message.
QString plainTip(const QString &text) {
    return Qt::convertFromPlainText(platform::fitForMessageBox(text), Qt::WhiteSpaceNormal);
}

// Why a file was not read, and what the teacher can do about it: a short
// form for the 状態 column, and the whole sentence for its tooltip.
enum class Unread { Damaged, BadName, NotFile, NotOpened };

Unread unreadKind(const Pupil &p) {
    if (p.reason.startsWith(QStringLiteral("進み具合のファイル"))) return Unread::Damaged;
    // Not UTF-8, or a look-alike of a code (see lookAlikeReason).
    if (p.reason.startsWith(QStringLiteral("ファイル名"))) return Unread::BadName;
    // A folder, a link, a device in a file's place: named by the listing.
    if (!p.reason.startsWith(QStringLiteral("「"))) return Unread::NotFile;
    return Unread::NotOpened;
}

// A hold dated ahead of the folder's clock, as 状態 names it.
const QString kHoldAheadNote = QStringLiteral("先の日時のプレイ記録（数えません）");

QString shortReason(const Pupil &p) {
    if (p.wasRead()) return p.holdAhead ? stateText(p) + QStringLiteral("・") + kHoldAheadNote : stateText(p);
    switch (unreadKind(p)) {
    case Unread::Damaged:
        return QStringLiteral("読めません：こわれています（本人に確認／バックアップを戻す／よそへ移す）");
    case Unread::BadName: return QStringLiteral("読めません：ゲームが付けない名前です（名前を直すか、よそへ移す）");
    case Unread::NotFile: return QStringLiteral("読めません：ファイルではありません（よそへ移す）");
    case Unread::NotOpened: break;
    }
    return QStringLiteral("読めません：開けません（フォルダーとファイルの権限を確認）");
}

QString whatToDo(const Pupil &p) {
    switch (unreadKind(p)) {
    case Unread::Damaged:
        return QStringLiteral(
            "本人に確かめ、バックアップがあれば戻すか、このファイルをクラスのフォルダーの外へ移してください。");
    case Unread::BadName: return QStringLiteral("ファイルの名前を直すか、クラスのフォルダーの外へ移してください。");
    case Unread::NotFile:
        return QStringLiteral("進み具合のファイルではないので、クラスのフォルダーの外へ移してください。");
    case Unread::NotOpened: break;
    }
    return QStringLiteral("フォルダーとファイルの持ち主と権限を確かめてください（先生のアカウントが読めるように）。");
}

// A tooltip wide enough to read a long reason in one or two lines: Qt
// would wrap a short rich text into a narrow box, so the lines are broken
// here, at most kTipLine characters each, and kept as they are.
QString wideTip(const QString &text) {
    constexpr qsizetype kTipLine = 48;
    QStringList lines;
    for (const QString &paragraph : text.split(QLatin1Char('\n')))
        for (qsizetype at = 0; at < paragraph.size() || at == 0; at += kTipLine)
            lines << paragraph.mid(at, kTipLine).toHtmlEscaped();
    return QStringLiteral("<p style=\"white-space:pre\">%1</p>").arg(lines.join(QStringLiteral("<br>")));
}

}  // namespace

int ClassModel::rowCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : int(report_.pupils.size() + notStarted_.size());
}

QVariant ClassModel::rosterData(int row, int column, int role) const {
    if (!report_.roster) return {};
    const RosterEntry *entry = rosterEntry(row);
    switch (role) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole:
        if (!entry) return column == Number ? kNotListed : QString();
        return visible(column == Number ? entry->number : entry->name);
    case Qt::ToolTipRole:
        if (!entry && column == Number)
            return plainTip(QStringLiteral("コード「%1」は名簿にありません（コードの打ち間違いかもしれません）")
                                .arg(visible(pupil(row).code)));
        return {};
    case Qt::TextAlignmentRole:
        return column == Number && entry ? int(Qt::AlignRight | Qt::AlignVCenter)
                                         : int(Qt::AlignLeft | Qt::AlignVCenter);
    case Qt::BackgroundRole: return entry ? QVariant() : QVariant(QBrush(kNotListedBackground));
    case Qt::ForegroundRole:
        if (!entry) return QBrush(kNotListedText);
        return notStarted(row) ? QVariant(QBrush(kAbsentText)) : QVariant();
    default: return {};
    }
}

QVariant ClassModel::notStartedData(const Pupil &p, int column, int role) const {
    // A pupil on the list who has no progress file: the code and 未着手, greyed.
    const bool said = column == Code || column == State;
    switch (role) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole:
        if (column == Code) return visible(p.code);
        return said ? kNotStarted : QVariant(QString());
    case Qt::ToolTipRole:
        return said ? QVariant(plainTip(
                          QStringLiteral("コード「%1」の進み具合のファイルがまだありません（まだ始めていません）")
                              .arg(visible(p.code))))
                    : QVariant();
    case Qt::ForegroundRole: return QBrush(kAbsentText);
    case Qt::TextAlignmentRole: return int(Qt::AlignLeft | Qt::AlignVCenter);
    case StepRole: return column >= FirstQuestion ? QVariant(kNotReached) : QVariant();
    default: return {};
    }
}

const HelpNeed &ClassModel::help(int row) const {
    static const HelpNeed none;
    return size_t(row) < help_.size() ? help_[size_t(row)] : none;
}

void ClassModel::setRoster(RosterPtr roster) {
    beginResetModel();
    report_.roster = std::move(roster);
    notStarted_.clear();
    if (report_.roster)
        for (const RosterEntry *e : report::notStarted(*report_.roster, report_.pupils)) {
            Pupil p;
            p.code = e->code;
            notStarted_.push_back(std::move(p));
        }
    endResetModel();
    emit rosterChanged();
}

void ClassModel::placeNotStarted() {
    std::vector<Pupil> now;
    if (report_.roster)
        for (const RosterEntry *e : report::notStarted(*report_.roster, report_.pupils)) {
            Pupil p;
            p.code = e->code;
            now.push_back(std::move(p));
        }
    const auto sameCodes = [](const std::vector<Pupil> &a, const std::vector<Pupil> &b) {
        return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                          [](const Pupil &x, const Pupil &y) { return x.code == y.code; });
    };
    if (sameCodes(now, notStarted_)) return;
    const int first = int(report_.pupils.size());
    if (!notStarted_.empty()) {
        beginRemoveRows({}, first, first + int(notStarted_.size()) - 1);
        notStarted_.clear();
        endRemoveRows();
    }
    if (!now.empty()) {
        beginInsertRows({}, first, first + int(now.size()) - 1);
        notStarted_ = std::move(now);
        endInsertRows();
    }
}

int ClassModel::columnCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : kColumns; }

QVariant ClassModel::questionData(const Pupil &p, int q, int role) const {
    const int step = missStep(p, q);
    switch (role) {
    case Qt::DisplayRole: return step == kNotReached ? QString() : QString::number(p.missCount[q]);
    case StepRole: return step;
    case Qt::BackgroundRole:
        return step == kNotReached ? QVariant() : QVariant(QBrush(QColor(QLatin1String(stepColours(step).fill))));
    case Qt::ForegroundRole:
        return step == kNotReached ? QVariant() : QVariant(QBrush(QColor(QLatin1String(stepColours(step).text))));
    case Qt::TextAlignmentRole: return int(Qt::AlignCenter);
    case Qt::AccessibleTextRole:
    case Qt::ToolTipRole: {
        const QString misses = step == kNotReached ? QStringLiteral("まだ進んでいません")
                                                   : QStringLiteral("ミス %1 回").arg(p.missCount[q]);
        if (role == Qt::AccessibleTextRole)
            return QStringLiteral("%1 問%2：%3").arg(visible(p.code)).arg(q).arg(misses);
        return plainTip(QStringLiteral("%1\n%2：%3").arg(visible(p.code), questionLabel(q), misses));
    }
    default: return {};
    }
}

QVariant ClassModel::helpData(int row, int role) const {
    const HelpNeed &need = help(row);
    if (!need.needed) return role == Qt::AccessibleTextRole ? QVariant(QString()) : QVariant();
    switch (role) {
    case Qt::DisplayRole: return need.why().section(QLatin1Char('\n'), 0, 0);
    case Qt::AccessibleTextRole: return QStringLiteral("要支援：") + need.why();
    case Qt::ToolTipRole: return plainTip(need.why());
    case Qt::BackgroundRole: return QBrush(kHelpBackground);
    case Qt::ForegroundRole: return QBrush(kHelpText);
    case Qt::TextAlignmentRole: return int(Qt::AlignCenter);
    default: return {};
    }
}

QVariant ClassModel::data(const QModelIndex &index, int role) const {
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= kColumns) return {};
    const Pupil &p = pupil(index.row());
    const int column = index.column();
    if (column == Number || column == Name) return rosterData(index.row(), column, role);
    if (notStarted(index.row())) return notStartedData(p, column, role);
    if (column >= FirstQuestion) return questionData(p, question(column), role);
    if (column == Help) return helpData(index.row(), role);
    if (column >= Advanced && column <= LessonTime && (role == Qt::DisplayRole || role == Qt::AccessibleTextRole)) {
        if (!p.wasRead() || !lesson_.started()) return QString();
        const LessonFigures f = lessonFigures(index.row());
        if (column == Advanced) return QString::number(f.advanced);
        if (column == AddedMisses) return QString::number(f.misses);
        return durationText(f.seconds);
    }
    switch (role) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole:
        switch (column) {
        case Code: return visible(p.code);
        case State: return role == Qt::DisplayRole || p.wasRead() ? shortReason(p) : stateText(p);
        case Playing: return visible(p.playingOn);
        case Review: return reviewText(p);
        default: break;
        }
        if (!p.wasRead()) return QString();
        switch (column) {
        case Reached: return p.courseFinished() ? QStringLiteral("全問終了") : QString::number(questionOn(p));
        case Score: return formatNumber(p.score, 15);
        case Misses: return QString::number(p.missTotal());
        case Seconds: return durationText(p.secondsTotal());
        default: return {};
        }
    case Qt::ToolTipRole:
        if (column == Playing && !p.playingOn.isEmpty())
            return plainTip(QStringLiteral("%1 でプレイ中").arg(visible(p.playingOn)));
        if (column == Review && !p.reviewProblem.isEmpty()) return plainTip(visible(p.reviewProblem));
        if (column == State && !p.wasRead()) return wideTip(stateText(p) + QLatin1Char('\n') + whatToDo(p));
        if (column == State && p.holdAhead)
            return wideTip(QStringLiteral("%1 の時刻がクラスのフォルダーの時計より先になっています。ゲームが"
                                          "書いたものではないので、プレイ中とはみなしません。\nクラスのフォルダーの外へ"
                                          "移してください。")
                               .arg(visible(state::names::holdFile(state::names::progressFile(p.code)))));
        // What the review would ask today: the questions due, counted so
        // for a pupil who never used it too (a question missed is due at once).
        if (column == Review && p.wasRead())
            return plainTip(QStringLiteral("今日が期日の復習問題：%1問\n最後の練習：%2")
                                .arg(p.reviewDueToday)
                                .arg(p.reviewLast.isValid() ? p.reviewLast.toString(Qt::ISODate)
                                                            : QStringLiteral("まだ復習をしていません")));
        return column == State || column == Code ? QVariant(plainTip(data(index, Qt::DisplayRole).toString()))
                                                 : QVariant();
    case Qt::TextAlignmentRole:
        return column == Code || column == State || column == Playing ? int(Qt::AlignLeft | Qt::AlignVCenter)
                                                                      : int(Qt::AlignRight | Qt::AlignVCenter);
    case Qt::BackgroundRole: return p.wasRead() ? QVariant() : QVariant(QBrush(kUnreadableBackground));
    case Qt::ForegroundRole: return p.wasRead() ? QVariant() : QVariant(QBrush(kUnreadableText));
    default: return {};
    }
}

QVariant ClassModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= kColumns) return {};
    static const QString headings[FirstQuestion] = {
        QStringLiteral("コード"),         QStringLiteral("要支援"),     QStringLiteral("到達問題"),
        QStringLiteral("得点"),           QStringLiteral("ミス合計"),   QStringLiteral("合計時間"),
        QStringLiteral("プレイ中の端末"), QStringLiteral("復習"),       QStringLiteral("状態"),
        QStringLiteral("進んだ問題"),     QStringLiteral("増えたミス"), QStringLiteral("プレイ時間"),
        QStringLiteral("番号"),           QStringLiteral("氏名")};
    static const QString tips[FirstQuestion] = {
        {},
        QStringLiteral("いまプレイ中で、同じ問題に5分以上いるか、その問題で3回以上ミスした人と、そのわけです"),
        QStringLiteral("いま取り組んでいる問題の番号です（プレイ中ならいまの問題、30問を解き終えた人は全問終了）"),
        QStringLiteral("正解で3000点ふえ、ミスで3000点へり、ルーレットでも増減します。マイナスになることもあります"),
        QStringLiteral("全部の問題のミスの回数の合計です"),
        QStringLiteral("解き終えた問題にかかった時間の合計です（いま取り組んでいる問題の時間は入りません）"),
        QStringLiteral("いまこのコードでプレイしている端末の名前です"),
        QStringLiteral("復習で練習した問題の数と、そのうち最初の答えで正解した数です"),
        {},
        QStringLiteral("授業の始めから進んだ問題の数です"),
        QStringLiteral("授業の始めから増えたミスの回数です"),
        QStringLiteral("授業の始めから終えた問題にかかった時間です"),
        QStringLiteral("名簿の出席番号です（「名簿にない」は、名簿にないコードのファイルです）"),
        QStringLiteral("名簿の氏名です"),
    };
    if (section < FirstQuestion) {
        if (role == Qt::DisplayRole) return headings[section];
        if (role == Qt::ToolTipRole && !tips[section].isEmpty()) return tips[section];
        return {};
    }
    const int q = question(section);
    switch (role) {
    case Qt::DisplayRole: return QString::number(q);
    case Qt::ToolTipRole: return questionDescription(q);
    case Qt::AccessibleTextRole: return questionLabel(q);
    default: return {};
    }
}

namespace {

ClassModel::RowLesson rowLessonOf(const Lesson &lesson, const QByteArray &key, const Pupil &p) {
    const auto at = lesson.files.constFind(key);
    const LessonFigures f = window::lessonFigures(p, at == lesson.files.cend() ? nullptr : &*at);
    return {f, !p.playingOn.isEmpty() || f.advanced != 0 || f.misses != 0 || f.seconds != 0};
}

}  // namespace

ClassModel::SetOutPtr ClassModel::setOut(const classfolder::ScanDelta &complete, const Lesson &lesson) {
    auto rows = std::make_shared<SetOut>();
    const size_t n = complete.changed.size();
    rows->pupils.reserve(n);
    rows->keys.reserve(n);
    rows->help.reserve(n);
    rows->lessonRows.reserve(n);
    rows->rowOfKey.reserve(qsizetype(n));
    rows->lessonStart = lesson.start;
    for (const classfolder::Row &row : complete.changed) {
        rows->rowOfKey.insert(row.key, int(rows->keys.size()));
        rows->keys.push_back(row.key);
        rows->pupils.push_back(row.pupil);
        rows->help.push_back(needsHelp(row.pupil, complete.folderNow));
        rows->lessonRows.push_back(rowLessonOf(lesson, row.key, row.pupil));
        if (!row.pupil.playingOn.isEmpty()) rows->watched.insert(row.key);
        if (rows->help.back().needed) rows->helpWhy.insert(row.key, rows->help.back().why());
        report::count(rows->summary, row.pupil, 1);
    }
    report::average(rows->summary);
    return rows;
}

void ClassModel::apply(const classfolder::ScanDelta &delta, SetOutPtr rows) {
    if (delta.aborted) return;
    folderNow_ = delta.folderNow;
    // The summary is counted afresh after a reset; otherwise the rows that
    // changed are counted out and in again, and a look that changed no row
    // leaves it (and the charts) as they were.
    bool afresh = delta.complete || delta.folder != report_.folder;
    const bool touched = afresh || !delta.changed.empty() || !delta.removed.isEmpty();
    if (afresh) {
        takeAll(delta, rows ? *rows : *setOut(delta, lesson_));
    } else {
        const std::vector<const classfolder::Row *> added = changeRows(delta.changed);
        if (qsizetype(added.size()) + delta.removed.size() > kRowByRowLimit) {
            afresh = true;
            rebuild(added, delta.removed);
        } else {
            dropRows(delta.removed);
            placeRows(added);
        }
    }
    report_.readAt = delta.readAt;
    if (delta.error.isEmpty()) report_.assignment = delta.assignment;  // a folder that cannot be listed keeps its last
    if (!afresh) judgeHelp();                                          // a reset judged every row
    placeNotStarted();
    if (!touched) return;
    if (!afresh) report::average(summary_);
    emit summaryChanged();
}

void ClassModel::takeAll(const classfolder::ScanDelta &delta, SetOut &rows) {
    beginResetModel();
    report_.folder = delta.folder;
    report_.pupils.swap(rows.pupils);
    keys_.swap(rows.keys);
    rowOfKey_.swap(rows.rowOfKey);
    help_.swap(rows.help);
    helpWhy_.swap(rows.helpWhy);
    helpCount_ = int(helpWhy_.size());
    watched_.swap(rows.watched);
    lessonRows_.swap(rows.lessonRows);
    summary_ = rows.summary;
    // The lesson began while the rows were being set out.
    if (rows.lessonStart != lesson_.start)
        for (size_t r = 0; r < lessonRows_.size(); ++r) refigure(r);
    endResetModel();
}

std::vector<const classfolder::Row *> ClassModel::changeRows(const std::vector<classfolder::Row> &changed) {
    std::vector<const classfolder::Row *> added;
    for (const classfolder::Row &row : changed) {
        const auto at = rowOfKey_.constFind(row.key);
        if (at == rowOfKey_.cend()) {
            added.push_back(&row);
            continue;
        }
        // The same file name keeps its code, so the row keeps its place.
        Pupil &p = report_.pupils[size_t(*at)];
        // この時間 greys 状態 too for a pupil not here.
        const bool stateSame =
            p.state == row.pupil.state && p.reason == row.pupil.reason && p.holdAhead == row.pupil.holdAhead;
        const bool hereBefore = hereThisLesson(*at);
        report::count(summary_, p, -1);
        p = row.pupil;
        report::count(summary_, row.pupil, 1);
        help_[size_t(*at)] = needsHelp(row.pupil, folderNow_);
        if (!row.pupil.playingOn.isEmpty()) watched_.insert(row.key);
        refigure(size_t(*at));
        stateSameIn_ = stateSame && hereBefore == hereThisLesson(*at) ? *at : -1;
        emit dataChanged(index(*at, 0), index(*at, kColumns - 1));
        stateSameIn_ = -1;
    }
    return added;
}

void ClassModel::rebuild(const std::vector<const classfolder::Row *> &added, const QList<QByteArray> &removed) {
    beginResetModel();
    std::vector<Pupil> &pupils = report_.pupils;
    std::vector<classfolder::Row> rows;
    rows.reserve(pupils.size() + added.size());
    for (const QByteArray &key : removed) rowOfKey_.remove(key);
    for (size_t r = 0; r < pupils.size(); ++r)
        if (rowOfKey_.contains(keys_[r])) rows.push_back(classfolder::Row{std::move(keys_[r]), std::move(pupils[r])});
    for (const classfolder::Row *row : added) rows.push_back(*row);
    std::sort(rows.begin(), rows.end(), classfolder::rowLess);
    pupils.clear();
    keys_.clear();
    for (classfolder::Row &row : rows) {
        keys_.push_back(std::move(row.key));
        pupils.push_back(std::move(row.pupil));
    }
    reindex();
    summary_ = report::summarise(report_);
    endResetModel();
}

void ClassModel::dropRows(const QList<QByteArray> &removed) {
    for (const QByteArray &key : removed) {
        const int r = rowOfKey_.value(key, -1);
        if (r < 0) continue;
        report::count(summary_, report_.pupils[size_t(r)], -1);
        beginRemoveRows({}, r, r);
        report_.pupils.erase(report_.pupils.begin() + r);
        keys_.erase(keys_.begin() + r);
        help_.erase(help_.begin() + r);
        lessonRows_.erase(lessonRows_.begin() + r);
        rowOfKey_.remove(key);
        helpWhy_.remove(key);
        watched_.remove(key);
        renumberFrom(size_t(r));
        endRemoveRows();
    }
}

void ClassModel::placeRows(const std::vector<const classfolder::Row *> &added) {
    for (const classfolder::Row *row : added) {
        // Its place in code order, by a binary search.
        qsizetype low = 0, high = qsizetype(keys_.size());
        while (low < high) {
            const qsizetype mid = (low + high) / 2;
            if (classfolder::rowLess(classfolder::Row{keys_[size_t(mid)], report_.pupils[size_t(mid)]}, *row))
                low = mid + 1;
            else
                high = mid;
        }
        const int r = int(low);
        beginInsertRows({}, r, r);
        report::count(summary_, row->pupil, 1);
        report_.pupils.insert(report_.pupils.begin() + r, row->pupil);
        keys_.insert(keys_.begin() + r, row->key);
        help_.insert(help_.begin() + r, needsHelp(row->pupil, folderNow_));
        lessonRows_.insert(lessonRows_.begin() + r, RowLesson{});
        refigure(size_t(r));
        if (!row->pupil.playingOn.isEmpty()) watched_.insert(row->key);
        renumberFrom(size_t(r));
        endInsertRows();
    }
}

// Judges every row again (the folder's clock moves even where no file
// changed); rows whose need changed are announced.
void ClassModel::judgeHelp() {
    QHash<QByteArray, QString> why;
    // Only a pupil playing now can need help: the rows playing, or that
    // needed help at the last look, are the ones judged.
    for (auto key = watched_.begin(); key != watched_.end();) {
        const size_t r = size_t(rowOfKey_.value(*key, -1));
        if (r >= report_.pupils.size() || (report_.pupils[r].playingOn.isEmpty() && !help_[r].needed)) {
            key = watched_.erase(key);
            continue;
        }
        help_[r] = needsHelp(report_.pupils[r], folderNow_);
        if (help_[r].needed) why.insert(keys_[r], help_[r].why());
        ++key;
    }
    helpCount_ = int(why.size());
    const auto announce = [this](const QByteArray &key) {
        const int r = rowOfKey_.value(key, -1);
        if (r >= 0) emit dataChanged(index(r, Help), index(r, Help));
    };
    for (auto it = why.cbegin(); it != why.cend(); ++it)
        if (helpWhy_.value(it.key()) != it.value()) announce(it.key());
    for (auto it = helpWhy_.cbegin(); it != helpWhy_.cend(); ++it)
        if (!why.contains(it.key())) announce(it.key());
    helpWhy_ = std::move(why);
}

void ClassModel::setLesson(Lesson lesson) {
    lesson_ = std::move(lesson);
    for (size_t r = 0; r < lessonRows_.size(); ++r) refigure(r);
    if (rowCount() > 0) emit dataChanged(index(0, Advanced), index(rowCount() - 1, LessonTime));
}

namespace {

// A lesson of folder starting at start, from the rows that each(add) gives
// as add(key, pupil): what each file that was read stood at then.
template <typename Each>
Lesson lessonOf(const QString &folder, const QDateTime &start, size_t rows, const Each &each) {
    Lesson lesson;
    lesson.folder = folder;
    lesson.start = start;
    lesson.files.reserve(qsizetype(rows));
    each([&lesson](const QByteArray &key, const Pupil &p) {
        if (p.wasRead()) lesson.files.insert(key, lessonStartOf(p));
    });
    return lesson;
}

}  // namespace

Lesson ClassModel::lessonFromNow(const QDateTime &start) const {
    return lessonOf(report_.folder, start, keys_.size(), [this](const auto &add) {
        for (size_t r = 0; r < keys_.size(); ++r) add(keys_[r], report_.pupils[r]);
    });
}

Lesson ClassModel::lessonFromNow(const classfolder::ScanDelta &complete, const QDateTime &start) {
    return lessonOf(complete.folder, start, complete.changed.size(), [&complete](const auto &add) {
        for (const classfolder::Row &row : complete.changed) add(row.key, row.pupil);
    });
}

LessonFigures ClassModel::lessonFigures(int row) const {
    return size_t(row) < lessonRows_.size() ? lessonRows_[size_t(row)].figures : LessonFigures{};
}

bool ClassModel::hereThisLesson(int row) const {
    return size_t(row) < lessonRows_.size() && lessonRows_[size_t(row)].here;
}

void ClassModel::refigure(size_t row) { lessonRows_[row] = rowLessonOf(lesson_, keys_[row], report_.pupils[row]); }

int ClassModel::rowOfCode(const QString &code) const {
    for (size_t r = 0; r < report_.pupils.size(); ++r)
        if (report_.pupils[r].code == code) return int(r);
    return -1;
}

// After many rows were added or removed: the keys' rows, and every row's
// need judged afresh, so that a view asking while the rows change gets the
// need of the row it asks about.
void ClassModel::renumberFrom(size_t row) {
    for (size_t r = row; r < keys_.size(); ++r) rowOfKey_[keys_[r]] = int(r);
}

void ClassModel::reindex() {
    help_.resize(report_.pupils.size());
    lessonRows_.resize(report_.pupils.size());
    watched_.clear();
    helpWhy_.clear();
    for (size_t r = 0; r < report_.pupils.size(); ++r) {
        help_[r] = needsHelp(report_.pupils[r], folderNow_);
        refigure(r);
        if (!report_.pupils[r].playingOn.isEmpty()) watched_.insert(keys_[r]);
        if (help_[r].needed) helpWhy_.insert(keys_[r], help_[r].why());
    }
    helpCount_ = int(helpWhy_.size());
    rowOfKey_.clear();
    rowOfKey_.reserve(qsizetype(keys_.size()));
    for (size_t r = 0; r < keys_.size(); ++r) rowOfKey_.insert(keys_[r], int(r));
}

RowFacts ClassModel::sortFacts(int row, int column) const {
    RowFacts f;
    const Pupil &p = pupil(row);
    f.row = row;
    f.notStarted = notStarted(row);
    f.rank = f.notStarted ? (lesson_.started() ? 1 : 2) : (p.wasRead() ? 2 : 0);
    f.here = hereThisLesson(row);
    if (column == Code) {
        f.text = p.code;
        return f;
    }
    if (column == Number || column == Name) {
        f.entry = rosterEntry(row);
        return f;
    }
    f.reached = reachedIn(p, column);
    switch (column) {
    case Help: f.value = help(row).needed ? 1.0 : 0.0; break;
    case Advanced: f.value = double(lessonFigures(row).advanced); break;
    case AddedMisses: f.value = double(lessonFigures(row).misses); break;
    case LessonTime: f.value = lessonFigures(row).seconds; break;
    case State:
        f.group = int(p.state);
        f.text = p.reason;
        break;
    case Playing:
        f.group = p.playingOn.isEmpty() ? 0 : 1;
        f.text = p.playingOn;
        break;
    // A record that cannot be read first, then by practices and first tries.
    case Review:
        f.group = p.reviewProblem.isEmpty() ? 1 : 0;
        f.value = double(p.reviewPractised) * 1e7 + p.reviewFirstTry;
        break;
    default: f.value = numberOf(p, column);
    }
    return f;
}

QVariant LessonSortProxy::data(const QModelIndex &index, int role) const {
    const ClassModel *model = classModel();
    const int row = index.isValid() ? mapToSource(index).row() : -1;
    if (row < 0) return {};
    const Pupil &p = model->pupil(row);
    if (role == Qt::ForegroundRole && model->notStarted(row)) return QBrush(kNotStartedText);
    // 状態 names only what is wrong: a file that cannot be read, a hold dated ahead.
    if (index.column() == ClassModel::State && p.wasRead() && !p.holdAhead &&
        (role == Qt::DisplayRole || role == Qt::ToolTipRole))
        return QString();
    if (role == Qt::ForegroundRole && index.column() != ClassModel::Help && p.wasRead() && !model->hereThisLesson(row))
        return QBrush(kAbsentText);
    return ClassSortProxy::data(index, role);
}

}  // namespace report::window
