// SPDX-License-Identifier: GPL-3.0-or-later
#include "screens/Program.h"

#include "platform/Form.h"
#include "platform/Forms.h"
#include "platform/Logout.h"
#include "platform/SdlMedia.h"
#include "platform/Services.h"
#include "screens/Screens.h"
#include "screens/review/Review.h"
#include "state/CodeHold.h"

#include <QApplication>
#include <QEvent>
#include <QTimer>

#include <optional>

namespace screens {

namespace {

// Starts the sound engine once the first window has been painted, so that
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

// The game and the review alike: the sound engine, the first window that
// showFirst shows (null when there is none), then the event loop.
int run(const std::function<QWidget *()> &showFirst, const std::function<void(QWidget *)> &firstWindow) {
    platform::installJapaneseTranslations();

    // With the sound off no player sends a command, and the sound engine
    // is not even started: no audio device is opened.
    std::optional<platform::SdlMedia> media;  // commands queue until it starts
    if (platform::soundEnabled()) {
        media.emplace();
        platform::services().media = &*media;
    }
    StartOnFirstPaint starter(media ? &*media : nullptr);

    // A log-out ends the program as the close box does (the windows go,
    // nothing more is saved); the code's hold is given up as the loop ends,
    // so the pupil's next machine may take the code at once.
    platform::onLogout([] {
        platform::forms::endProgram();
        QCoreApplication::exit(0);
    });
    QWidget *first = showFirst();
    int rc = 0;
    if (first && !platform::forms::programEnded()) {
        if (media) first->installEventFilter(&starter);
        if (media) QTimer::singleShot(1000, &starter, [&media] { media->start(); });  // if it is never painted
        if (firstWindow) firstWindow(first);
        rc = QApplication::exec();
    }
    if (media) platform::services().media = nullptr;
    return rc;
}

}  // namespace

int runProgram(QApplication &, const std::function<void(QWidget *)> &firstWindow) {
    // The code's hold tells the teacher's window the question played; the
    // review names none.
    state::CodeHold::setPlace([] { return state::CodeHold::placeOf(state::session()); });
    return run([] { return showScreen(ScreenId::Title); }, firstWindow);
}

int runReview(QApplication &) {
    return run([]() -> QWidget * { return review::start() ? showScreen(ScreenId::Review) : nullptr; }, {});
}

}  // namespace screens
