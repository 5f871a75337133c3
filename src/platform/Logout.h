// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The desktop's log-out at the end of a lesson ends a program with SIGTERM
// (or SIGHUP, when its terminal goes): such a signal is taken to the event
// loop, where the program ends as its own close box would end it, instead
// of dying on the spot and leaving what it holds.

#include <functional>

namespace platform {

// From now on SIGTERM and SIGHUP call end on the interface thread (called
// again, end is replaced).  Needs the application object.
void onLogout(std::function<void()> end);

}  // namespace platform
