// SPDX-License-Identifier: GPL-3.0-or-later
#include "screens/common/CodeBox.h"

#include "platform/Services.h"
#include "screens/common/ClaimCode.h"
#include "state/CodeHold.h"
#include "state/ProgressFile.h"

#include <QFile>

#include <cerrno>

#include <sys/stat.h>

namespace screens {

const QString kCodePrompt = QStringLiteral("半角８文字以内で、ユーザーコードを入力してください・・・");

namespace {
const QString kDefaultStem = QStringLiteral("pm");
}

std::optional<QString> askForCode(QWidget *parent, const QString &prompt, const QString &title, EmptyCode empty,
                                  const std::function<bool(const QString &stem)> &open) {
    for (;;) {
        const QString code = platform::dialogs().inputBox(parent, prompt, title);
        if (code.isEmpty() && empty == EmptyCode::Cancels) return std::nullopt;
        // A code that cannot safely name a file in the working directory is
        // refused: the box comes back empty and nothing is read or written.
        if (!code.isEmpty() && !state::progress::isAcceptableCode(code)) continue;
        // One code, one player: a code another running program holds is
        // asked again.  Cancel gives the empty code, so a refused "pm"
        // would bring the box back for ever: the loop ends instead.
        const QString stem = state::progress::normalizedCode(code);
        if (!claimCode(parent, stem.isEmpty() ? kDefaultStem : stem)) {
            if (stem.isEmpty()) return std::nullopt;
            continue;
        }
        if (!open || open(stem)) return stem;
        state::codeHold().release();
    }
}

QString unreadableProgressText(const QString &file, const QString &why) {
    return QStringLiteral("進み具合のファイル「%1」を読めませんでした。\n%2\n先生に知らせてください。").arg(file, why);
}

}  // namespace screens
