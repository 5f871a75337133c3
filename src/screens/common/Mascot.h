// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The blinking figures: pairs of stacked image controls holding two poses
// of one character.  Each tick of the screen's mascot timer swaps which control
// of every pair is visible, so each pose stays up for one interval.

#include <QList>
#include <QPair>
#include <QWidget>

namespace platform {
class Timer;
}

namespace screens {

class MascotAnimation {
public:
    using Pair = QPair<QWidget *, QWidget *>;  // first pose, second pose
    MascotAnimation(platform::Timer *timer, QList<Pair> pairs);

    void tick();
    short flag() const { return flag_; }

private:
    QList<Pair> pairs_;
    short flag_ = 0;  // 0, -1, 0, -1: which pose the next tick shows
};

}  // namespace screens
