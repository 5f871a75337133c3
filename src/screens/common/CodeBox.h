// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The code box's loop, shared by the start menu and the review: the prompt,
// the refusal of a code that cannot name a file, the claim of the code
// against another running program, and the messages for a progress file
// that is missing or cannot be read.

#include <QString>

#include <functional>
#include <optional>

class QWidget;

namespace screens {

// "半角８文字以内で、ユーザーコードを入力してください・・・".
extern const QString kCodePrompt;

enum class EmptyCode {
    Cancels,       // the empty code (Cancel) ends the loop
    MeansDefault,  // the empty code stands for "pm"; refused, it ends the loop
};

// Asks in the input box (prompt, title) until a code is given that may
// name a file and that this program could claim (screens::claimCode); a
// refused code brings the box back.  When open is given it is called with
// the code's stem while the code is held: false (after its own message)
// gives the hold up and asks again.  The stem of the code given (empty for
// "pm" under MeansDefault), or nothing when the loop ended without one.
std::optional<QString> askForCode(QWidget *parent, const QString &prompt, const QString &title, EmptyCode empty,
                                  const std::function<bool(const QString &stem)> &open = {});

// The message for a progress file that is there but cannot be read, named
// for the teacher.
QString unreadableProgressText(const QString &file, const QString &why);

}  // namespace screens
