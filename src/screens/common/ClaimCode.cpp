// SPDX-License-Identifier: GPL-3.0-or-later
#include "screens/common/ClaimCode.h"

#include "platform/Services.h"
#include "state/CodeHold.h"
#include "state/ProgressFile.h"

#include <QSysInfo>

namespace screens {

bool claimCode(QWidget *parent, const QString &stem) {
    state::CodeHold::Holder holder;
    const auto outcome = state::codeHold().acquire(state::progress::fileName(stem), &holder);
    if (outcome != state::CodeHold::Outcome::InUse) return true;
    // A damaged hold names no machine: say only that the code is in use.
    const QString where =
        holder.host.isEmpty() ? QStringLiteral("このコードは今ほかのところで使われています。")
        : holder.host == QSysInfo::machineHostName()
            ? QStringLiteral("このコードは今このコンピューターのほかの画面で使われています。")
            : QStringLiteral("このコードは今ほかのコンピューター（%1）で使われています。").arg(holder.host);
    platform::dialogs().showError(parent, where + QStringLiteral("\n別のコードを入れてください。"),
                                  QStringLiteral("ぽむりん紀行20"));
    return false;
}

}  // namespace screens
