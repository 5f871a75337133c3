// SPDX-License-Identifier: GPL-3.0-or-later
#include "screens/review/Review.h"

#include "platform/Forms.h"
#include "platform/Services.h"
#include "screens/common/ClaimCode.h"
#include "state/CodeHold.h"
#include "state/ProgressFile.h"

#include <QDate>

namespace review {

namespace {

const QString kTitle = QStringLiteral("ぽむりん紀行20");
const QString kPrompt = QStringLiteral("半角８文字以内で、ユーザーコードを入力してください・・・");

void say(QWidget *parent, const QString &text) { platform::dialogs().showError(parent, text, kTitle); }

// Reads the progress file and the record of stem into r; false after a
// message when either is missing or cannot be read.  Nothing is written.
bool readCode(const QString &stem, Review &r) {
    const QString file = state::progress::fileName(stem);
    state::Session progress;
    try {
        state::progress::loadFrom(file, progress);
    } catch (const state::ProgressMissing &) {
        say(nullptr, QStringLiteral("このコードの記録はまだありません。\n別のコードを入れてください。"));
        return false;
    } catch (const state::ProgressError &e) {
        // Named as the start menu names it, for the teacher.
        say(nullptr, QStringLiteral("進み具合のファイル「%1」を読めませんでした。\n%2\n先生に知らせてください。")
                         .arg(file, QString::fromUtf8(e.what())));
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
    r.stem = stem;
    r.progress = progress;
    r.record = record;
    return true;
}

}  // namespace

Review &current() {
    static Review r;
    return r;
}

bool start() {
    for (;;) {
        const QString code = platform::dialogs().inputBox(nullptr, kPrompt, QStringLiteral("ユーザーコード入力（復習）"));
        if (code.isEmpty()) return false;
        if (!state::progress::isAcceptableCode(code)) continue;
        const QString stem = state::progress::normalizedCode(code);
        // One code, one player: the course and the review never run on
        // one code at once.
        if (!screens::claimCode(nullptr, stem)) continue;
        if (readCode(stem, current())) return beginRound(nullptr);
        state::codeHold().release();
    }
}

bool beginRound(QWidget *parent) {
    Review &r = current();
    const std::vector<int> questions = chooseQuestions(r.progress, r.record);
    if (questions.empty()) {
        r.round.reset();
        say(parent, QStringLiteral("復習する問題はまだありません。"));
        state::codeHold().release();
        return false;
    }
    r.round.emplace(questions);
    return true;
}

bool recordPractice() {
    Review &r = current();
    const Round::Practice *practice = r.round ? r.round->newPractice() : nullptr;
    if (!practice) return true;
    state::review::Record next = r.record;
    state::review::notePractice(next, practice->question, practice->rightFirstTime, QDate::currentDate());
    // A program whose hold another has taken over writes no more.
    state::CodeHold::Holder taker;
    if (!state::codeHold().mayStillSave(&taker)) {
        platform::forms::fail(QStringLiteral("復習の記録を保存できませんでした。\n%1").arg(screens::inUseText(taker)));
        return false;
    }
    try {
        state::review::save(r.stem, next);
    } catch (const std::exception &e) {
        platform::forms::fail(QStringLiteral("復習の記録を保存できませんでした。\n%1").arg(QString::fromUtf8(e.what())));
        return false;
    }
    r.record = next;
    return true;
}

}  // namespace review
