// SPDX-License-Identifier: GPL-3.0-or-later
#include "screens/common/SaveProgress.h"

#include "platform/Forms.h"
#include "state/Session.h"
#include "state/ProgressFile.h"

namespace screens {

bool saveProgressOrFail() {
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
