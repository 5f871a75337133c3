// SPDX-License-Identifier: GPL-3.0-or-later
#include "screens/common/SaveProgress.h"

#include "platform/Forms.h"
#include "screens/common/ClaimCode.h"
#include "state/CodeHold.h"
#include "state/ProgressFile.h"
#include "state/Session.h"

namespace screens {

namespace {

// The code is another program's now: nothing more is saved, and the
// pupil is told that the last good save (theirs or this one's) stays.
void failTaken(const state::CodeHold::Holder &taker) {
    platform::forms::fail(QStringLiteral("進み具合を保存できませんでした。\n%1\n"
                                         "前に保存したところまでは、そのまま残っています。")
                              .arg(inUseText(taker)));
}

}  // namespace

bool saveProgressOrFail() {
    // A program whose hold another has taken over (its own went stale:
    // the network dropped, the machine slept, or a clone of this machine)
    // or whose hold vanished saves no more: the other program's saves,
    // and this one's last good save, stay.
    state::CodeHold::Holder taker;
    if (!state::codeHold().mayStillSave(&taker)) {
        failTaken(taker);
        return false;
    }
    try {
        state::progress::save(state::session());
        return true;
    } catch (const state::ProgressChanged &) {
        // Whatever the hold says, the file holds another program's newer
        // save; the hold names that program when it is still there.
        state::codeHold().mayStillSave(&taker);
        failTaken(taker);
        return false;
    } catch (const std::exception &e) {
        platform::forms::fail(QStringLiteral("進み具合を保存できませんでした。\n%1").arg(QString::fromUtf8(e.what())));
        return false;
    }
}

}  // namespace screens
