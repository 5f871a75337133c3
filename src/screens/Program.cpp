// SPDX-License-Identifier: GPL-3.0-or-later
#include "screens/Program.h"

#include "platform/Form.h"
#include "platform/Forms.h"
#include "platform/SdlMedia.h"
#include "platform/Services.h"
#include "screens/Screens.h"
#include "state/CodeHold.h"
#include "state/Session.h"

#include <QApplication>
#include <QEvent>
#include <QTimer>

#include <optional>

namespace screens {

namespace {

// Starts the sound engine once the title screen has been painted, so that
// loading the synthesiser never holds back the first window.
class StartOnFirstPaint : public QObject {
public:
    explicit StartOnFirstPaint(platform::SdlMedia *media) : media_(media) {}
    bool eventFilter(QObject *watched, QEvent *event) override {
        if (event->type() == QEvent::Paint) {
            watched->removeEventFilter(this);
            QTimer::singleShot(0, this, [this] { media_->start(); });  // after this paint
        }
        return false;
    }

private:
    platform::SdlMedia *media_;
};

}  // namespace

int runProgram(QApplication &app, const std::function<void(QWidget *)> &firstWindow) {
    platform::installJapaneseTranslations();

    // With the sound off no player sends a command, and the sound engine
    // is not even started: no audio device is opened.
    std::optional<platform::SdlMedia> media;  // commands queue until it starts
    if (platform::soundEnabled()) {
        media.emplace();
        platform::services().media = &*media;
    }
    StartOnFirstPaint starter(media ? &*media : nullptr);
    // The code's hold tells the teacher's window the question played (none
    // once it is answered right: the pupil is past it, on the history screen
    // after the last one).
    state::CodeHold::setPlace([] {
        const state::Session &m = state::session();
        return state::Session::inRange(m.question) && !m.answeredRight ? state::CodeHold::Place{m.question, m.misses[size_t(m.question)]}
                                                   : state::CodeHold::Place{};
    });

    QWidget *title = screens::showScreen(screens::ScreenId::Title);
    int rc = 0;
    if (!platform::forms::programEnded()) {
        if (title && media) title->installEventFilter(&starter);
        if (media) QTimer::singleShot(1000, &starter, [&media] { media->start(); });  // if it is never painted
        if (firstWindow) firstWindow(title);
        rc = app.exec();
    }
    if (media) platform::services().media = nullptr;
    return rc;
}

}  // namespace screens
