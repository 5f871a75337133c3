// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Timer.h"

namespace platform {

namespace {
bool gManual = false;
}

void Timer::setManualMode(bool manual) { gManual = manual; }
bool Timer::manualMode() { return gManual; }

Timer::Timer(QObject *parent, int intervalMs, bool enabled)
    : QObject(parent), interval_(intervalMs), enabled_(enabled) {
    connect(&timer_, &QTimer::timeout, this, &Timer::fire);
    sync();
}

void Timer::setInterval(int ms) {
    interval_ = ms;
    sync();
}

void Timer::setEnabled(bool enabled) {
    enabled_ = enabled;
    sync();
}

void Timer::fire() {
    if (enabled_ && onTick) onTick();
}

void Timer::sync() {
    // An interval of 0 disables a timer, as it did on the old platform.
    if (enabled_ && interval_ > 0 && !gManual)
        timer_.start(interval_);
    else
        timer_.stop();
}

}  // namespace platform
