// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/Fakes.h"

#include "platform/Timer.h"
#include "screens/Screens.h"
#include "state/Session.h"

#include <QFileInfo>
#include <QTest>

namespace testing_support {

void MediaRecorder::command(int, platform::MediaCommand c, const QString &path) {
    switch (c) {
    case platform::MediaCommand::Open: log << "Open " + QFileInfo(path).fileName(); break;
    case platform::MediaCommand::Close: log << "Close"; break;
    case platform::MediaCommand::Stop: log << "Stop"; break;
    case platform::MediaCommand::Play: log << "Play"; break;
    case platform::MediaCommand::Sound: log << "Sound"; break;
    }
}

void ScreenTest::SetUp() {
    platform::services() = {&clock, &random, &beep, &dialogs, &media};
    platform::Timer::setManualMode(true);
    platform::forms::resetForTests();
    state::resetSession();
}

void ScreenTest::TearDown() {
    platform::forms::resetForTests();
    settle();
    platform::services() = {};
}

void ScreenTest::settle() {
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

void ScreenTest::click(QPushButton *b) {
    ASSERT_NE(b, nullptr);
    // A real click: refused when the button is disabled.
    QTest::mouseClick(b, Qt::LeftButton);
}

QList<QWidget *> ScreenTest::focusChain(QWidget *first) {
    QList<QWidget *> chain;
    QWidget *w = first;
    do {
        if (w->focusPolicy() & Qt::TabFocus) chain << w;
        w = w->nextInFocusChain();
    } while (w && w != first && chain.size() < 200);
    return chain;
}

}  // namespace testing_support
