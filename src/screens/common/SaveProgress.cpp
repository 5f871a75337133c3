// SPDX-License-Identifier: GPL-3.0-or-later
#include "screens/common/SaveProgress.h"

#include "platform/Forms.h"
#include "screens/common/ClaimCode.h"
#include "state/CodeHold.h"
#include "state/Session.h"
#include "state/ProgressFile.h"

namespace screens {

bool saveProgressOrFail() {
    // A program whose hold another has taken over (its own went stale:
    // the network dropped, or a clone of this machine) saves no more: the
    // other program's saves, and this one's last good save, stay.
    state::CodeHold::Holder taker;
    if (!state::codeHold().mayStillSave(&taker)) {
        platform::forms::fail(QStringLiteral("進み具合を保存できませんでした。\n%1\n"
                                             "前に保存したところまでは、そのまま残っています。")
                                  .arg(inUseText(taker)));
        return false;
    }
    try {
        state::progress::save(state::session());
        return true;
    } catch (const std::exception &e) {
        platform::forms::fail(
            QStringLiteral("進み具合を保存できませんでした。\n%1").arg(QString::fromUtf8(e.what())));
        return false;
    }
}

}  // namespace screens
