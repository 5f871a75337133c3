// SPDX-License-Identifier: GPL-3.0-or-later
#include "screens/common/CodeBox.h"

#include "platform/Forms.h"
#include "platform/Services.h"
#include "screens/common/ClaimCode.h"
#include "state/CodeHold.h"
#include "state/ProgressFile.h"
#include "state/SaveFiles.h"

#include <QFile>

#include <cerrno>

#include <sys/stat.h>

namespace screens {

const QString kCodePrompt = QStringLiteral("半角８文字以内で、ユーザーコードを入力してください・・・");

namespace {
const QString kDefaultStem = QStringLiteral("pm");
constexpr int kNameMax = 255;  // the longest file name on the file systems in use

// Why a code that cannot name a file is refused, in the pupil's words.
QString refusedCodeText(const QString &code) {
    const QString stem = state::progress::normalizedCode(code);
    const QString why = state::progress::hasEdgeBlank(code) ? QStringLiteral("コードの前か後ろに空白があります。")
                        : code.contains(QLatin1Char('/')) || code.contains(QLatin1Char('\\'))
                            ? QStringLiteral("コードに「/」や「\\」は使えません。")
                        : stem == QLatin1String(".") || stem == QLatin1String("..")
                            ? QStringLiteral("コードを「.」や「..」だけにはできません。")
                        : state::progress::fileName(stem).toUtf8().size() + state::files::kLongestEnding > kNameMax
                            ? QStringLiteral("コードが長すぎます。")
                            : QStringLiteral("コードに使えない文字（見えない文字など）が入っています。");
    return why + QStringLiteral("\n別のコードを入れてください。");
}
}  // namespace

std::optional<QString> askForCode(QWidget *parent, const QString &prompt, const QString &title, EmptyCode empty,
                                  const std::function<bool(const QString &stem)> &open) {
    for (;;) {
        const QString code = platform::dialogs().inputBox(parent, prompt, title);
        // Ended meanwhile (a log-out): the box's empty answer is no "pm".
        if (platform::forms::programEnded()) return std::nullopt;
        if (code.isEmpty() && empty == EmptyCode::Cancels) return std::nullopt;
        // A code that cannot safely name a file in the working directory is
        // refused: the box comes back empty and nothing is read or written.
        if (!code.isEmpty() && !state::progress::isAcceptableCode(code)) {
            platform::dialogs().showError(parent, refusedCodeText(code), QStringLiteral("ぽむりん紀行20"));
            continue;
        }
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
        if (stem.isEmpty()) return std::nullopt;  // as for a refused "pm"
    }
}

QString unreadableProgressText(const QString &file, const QString &why) {
    return QStringLiteral("進み具合のファイル「%1」を読めませんでした。\n%2\n先生に知らせてください。").arg(file, why);
}

}  // namespace screens
