// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Logout.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <cerrno>
#include <csignal>

#include <sys/socket.h>
#include <unistd.h>

namespace platform {

namespace {

int signalPipe[2] = {-1, -1};

std::function<void()> &ending() {
    static std::function<void()> end;
    return end;
}

// Only what is safe in a signal handler: one byte to the event loop.
void noteSignal(int) {
    const int saved = errno;
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(signalPipe[0], &byte, 1);
    errno = saved;
}

}  // namespace

void onLogout(std::function<void()> end) {
    ending() = std::move(end);
    if (signalPipe[0] >= 0) return;
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, signalPipe) != 0) return;
    auto *notifier = new QSocketNotifier(signalPipe[1], QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(notifier, &QSocketNotifier::activated, notifier, [] {
        char bytes[16];
        while (::read(signalPipe[1], bytes, sizeof bytes) > 0) {}
        if (ending()) ending()();
    });
    struct sigaction action {};
    action.sa_handler = noteSignal;
    ::sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : {SIGTERM, SIGHUP}) ::sigaction(signal, &action, nullptr);
}

}  // namespace platform
