// SPDX-License-Identifier: GPL-3.0-or-later
#include "screens/review/Review.h"

#include "bank/Topics.h"
#include "platform/Forms.h"
#include "platform/Services.h"
#include "screens/common/ClaimCode.h"
#include "screens/common/CodeBox.h"
#include "screens/review/ReviewMix.h"
#include "state/CodeHold.h"
#include "state/ProgressFile.h"

#include <QDate>
#include <QLocale>

#include <algorithm>

namespace review {

namespace {

const QString kTitle = QStringLiteral("ぽむりん紀行20");

void say(QWidget *parent, const QString &text) { platform::dialogs().showError(parent, text, kTitle); }

// Reads the progress file and the record of stem into r; false after a
// message when either is missing or cannot be read.  Nothing is written.
bool readCode(const QString &typed, Review &r) {
    // The empty code stands for "pm", as in the course.
    const QString stem = typed.isEmpty() ? QStringLiteral("pm") : typed;
    const QString file = state::progress::fileName(stem);
    state::Session progress;
    try {
        state::progress::loadFrom(file, progress);
    } catch (const state::ProgressMissing &) {
        say(nullptr, typed.isEmpty()
                         ? QStringLiteral("コードが空なので pm の記録を探しましたが、まだありません。")
                         : QStringLiteral("このコードの記録はまだありません。\n別のコードを入れてください。"));
        return false;
    } catch (const state::ProgressError &e) {
        say(nullptr, screens::unreadableProgressText(file, QString::fromUtf8(e.what())));
        return false;
    }
    state::review::Record record;
    try {
        state::review::load(stem, record);
    } catch (const state::ProgressError &e) {
        // A damaged record is named and left as it is: the review never
        // writes over what it cannot read.
        say(nullptr, QStringLiteral("%1\n先生に知らせてください。").arg(QString::fromUtf8(e.what())));
        return false;
    }
    state::review::adoptCourseMisses(record, progress.misses);
    r.stem = stem;
    r.progress = progress;
    r.record = record;
    return true;
}

bool neverMissed(const state::Session &progress, const state::review::Record &record) {
    for (int q = 1; q <= state::kQuestions; ++q)
        if (progress.misses[q] > 0) return false;
    return record.practised() == 0;
}

}  // namespace

Review &current() {
    static Review r;
    return r;
}

QString dayText(const QDate &day) { return QLocale(QLocale::Japanese).toString(day, QStringLiteral("M月d日（ddd）")); }

bool start() {
    const std::optional<QString> stem =
        screens::askForCode(nullptr, QStringLiteral("復習：間違えた問題を練習します。\n") + screens::kCodePrompt,
                            QStringLiteral("ユーザーコード入力（復習）"), screens::EmptyCode::MeansDefault,
                            [](const QString &stem) { return readCode(stem, current()); });
    if (!stem) return false;
    // The class's 課題 counts only as a teacher wrote it; anything else in
    // its place is no 課題, and the pupil's own review goes on.
    Review &r = current();
    const state::assignment::Found found = state::assignment::read(QString());
    r.assignment.reset();
    if (found.isSet()) r.assignment = found.assignment;
    if (r.assignment && !assignmentLeft(*r.assignment, r.record).empty()) {
        const QString by =
            r.assignment->testDay.isValid()
                ? QStringLiteral("（%1のテストまで）").arg(state::assignment::dayText(r.assignment->testDay))
                : QString();
        platform::dialogs().choose(
            nullptr, QStringLiteral("先生からの課題：%1%2").arg(bank::questionsText(r.assignment->questions), by),
            kTitle, {QStringLiteral("はじめる")});
    }
    return beginRound(nullptr);
}

bool assigned(int q) {
    const Review &r = current();
    return r.assignment && r.assignment->holds(q);
}

bool assignedAndLeft(int q) {
    const Review &r = current();
    if (!assigned(q)) return false;
    const std::vector<int> left = assignmentLeft(*r.assignment, r.record);
    return std::find(left.begin(), left.end(), q) != left.end();
}

bool assignmentDone() {
    const Review &r = current();
    return r.assignment && assignmentLeft(*r.assignment, r.record).empty();
}

bool beginRound(QWidget *parent) {
    Review &r = current();
    r.round.reset();
    const QDate today = platform::clock().today();
    std::vector<int> questions = chooseRound(r.progress, r.record, r.assignment, today);
    r.assignmentInRound = r.assignment && !assignmentLeft(*r.assignment, r.record).empty();
    if (questions.empty()) {
        const std::vector<int> ahead = chooseAhead(r.progress, r.record, r.assignment, today);
        // With the 課題 done, the message says that too.
        const QString done = assignmentDone() ? QStringLiteral("課題は全部できました。\n") : QString();
        const QString nothing = done + (neverMissed(r.progress, r.record)
                                            ? QStringLiteral("まだ一度も間違えていないので、復習する問題はありません。")
                                            : QStringLiteral("復習する問題はもうありません。どの問題も覚えました！"));
        const bool practiseAhead =
            !ahead.empty() &&
            platform::dialogs().choose(
                parent,
                done + QStringLiteral(
                           "今日復習する問題はありません。\n次の復習は%1です。\n先取りで練習することもできます。")
                           .arg(dayText(nextDueDay(r.progress, r.record, r.assignment, today))),
                kTitle, {QStringLiteral("先取りで練習"), QStringLiteral("終了")}) == 0;
        if (ahead.empty()) platform::dialogs().choose(parent, nothing, kTitle, {QStringLiteral("終了")});
        if (!practiseAhead) {
            state::codeHold().release();
            return false;
        }
        questions = ahead;
    }
    r.round.emplace(questions);
    return true;
}

bool recordPractice() {
    Review &r = current();
    const Round::Practice *practice = r.round ? r.round->newPractice() : nullptr;
    if (!practice) return true;
    state::review::Record next = r.record;
    const int q = practice->question;
    // A 課題 question answered right at the first try is done; it joins the
    // pupil's own ladder only when it is on it already or was missed now.
    const bool onLadder = r.record.entries[q].practised > 0 || r.progress.misses[q] > 0;
    if (!assigned(q) || onLadder || !practice->rightFirstTime)
        state::review::notePractice(next, q, practice->rightFirstTime, platform::clock().today(), r.progress.misses[q]);
    if (assigned(q)) noteAssignmentAnswer(next, *r.assignment, q, practice->rightFirstTime);
    // A program whose hold another has taken over writes no more.
    state::CodeHold::Holder taker;
    if (!state::codeHold().mayStillSave(&taker)) {
        platform::forms::fail(QStringLiteral("復習の記録を保存できませんでした。\n%1").arg(screens::inUseText(taker)));
        return false;
    }
    try {
        state::review::save(r.stem, next);
    } catch (const std::exception &e) {
        platform::forms::fail(
            QStringLiteral("復習の記録を保存できませんでした。\n%1").arg(QString::fromUtf8(e.what())));
        return false;
    }
    r.record = next;
    return true;
}

}  // namespace review
