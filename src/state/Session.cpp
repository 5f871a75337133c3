// SPDX-License-Identifier: GPL-3.0-or-later
#include "state/Session.h"

namespace state {

Session &session() {
    static Session shared;
    return shared;
}

void resetSession() { session() = Session(); }

}  // namespace state
