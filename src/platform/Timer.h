// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A form's timer: interval in milliseconds, enabled, a tick handler.  In
// manual mode (tests) no real timer runs and ticks are fired directly.

#include <QObject>
#include <QTimer>

#include <functional>

namespace platform {

class Timer : public QObject {
    Q_OBJECT
public:
    explicit Timer(QObject *parent, int intervalMs = 0, bool enabled = false);

    void setInterval(int ms);
    int interval() const { return interval_; }
    void setEnabled(bool enabled);
    bool isEnabled() const { return enabled_; }
    // Whether a real clock is counting toward the next tick (never in
    // manual mode).
    bool running() const { return timer_.isActive(); }
    // Runs the tick handler once, as a real tick would.
    void fire();

    std::function<void()> onTick;

    // When true, timers never start real clocks; tests fire ticks.
    static void setManualMode(bool manual);
    static bool manualMode();

private:
    void sync();
    QTimer timer_;
    int interval_;
    bool enabled_;
};

}  // namespace platform
