// SPDX-License-Identifier: GPL-3.0-or-later
#include "screens/common/Mascot.h"

#include "platform/Timer.h"

namespace screens {

MascotAnimation::MascotAnimation(platform::Timer *timer, QList<Pair> pairs) : pairs_(std::move(pairs)) {
    timer->onTick = [this] { tick(); };
}

void MascotAnimation::tick() {
    for (const Pair &p : pairs_) {
        if (flag_ != 0) {
            p.first->setVisible(true);
            p.second->setVisible(false);
        } else {
            p.second->setVisible(true);
            p.first->setVisible(false);
        }
    }
    flag_ = static_cast<short>(~flag_);
}

}  // namespace screens
