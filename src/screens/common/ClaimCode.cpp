// SPDX-License-Identifier: GPL-3.0-or-later
#include "screens/common/ClaimCode.h"

#include "platform/Services.h"
#include "state/CodeHold.h"
#include "state/ProgressFile.h"

namespace screens {

namespace {

// A host name as written by another machine: shortened, so that a long
// one keeps the message box small (never between the two halves of a
// character), and with control and direction characters shown as marks.
QString shortHost(const QString &host) {
    constexpr qsizetype kLongest = 40;
    if (host.size() <= kLongest) return platform::visibleText(host);
    const qsizetype kept = host[kLongest - 2].isHighSurrogate() ? kLongest - 2 : kLongest - 1;
    return platform::visibleText(host.left(kept)) + QStringLiteral("…");
}

const QString kAnother = QStringLiteral("\n別のコードを入れてください。");

}  // namespace

QString inUseText(const state::CodeHold::Holder &holder) {
    // A damaged hold names no machine: say only that the code is in use.
    if (holder.host.isEmpty()) return QStringLiteral("このコードは今ほかのところで使われています。");
    return state::CodeHold::onThisMachine(holder)
               ? QStringLiteral("このコードは今このコンピューターのほかの画面で使われています。")
               : QStringLiteral("このコードは今ほかのコンピューター（%1）で使われています。")
                     .arg(shortHost(holder.host));
}

bool claimCode(QWidget *parent, const QString &stem) {
    auto refuse = [parent](const QString &why) {
        platform::dialogs().showError(parent, why + kAnother, QStringLiteral("ぽむりん紀行20"));
        return false;
    };
    // In a folder where only a file's owner may replace it, another
    // account's code could never be saved: refused before anything is read.
    if (state::progress::belongsToAnotherAccount(stem))
        return refuse(QStringLiteral("このコードの進み具合のファイルは、ほかのアカウントのものです。"));
    state::CodeHold::Holder holder;
    switch (state::codeHold().acquire(state::progress::fileName(stem), &holder)) {
    case state::CodeHold::Outcome::InUse: return refuse(inUseText(holder));
    case state::CodeHold::Outcome::OtherAccount:
        return refuse(QStringLiteral("このコードは、ほかのアカウントが使ったままになっています。"));
    default: return true;
    }
}

}  // namespace screens
