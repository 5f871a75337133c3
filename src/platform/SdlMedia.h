// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Sound through SDL2_mixer: WAV files as chunks on the control's own
// channel, standard MIDI files (and RMI, MIDI in a RIFF "RMID" wrapper) as
// music through the FluidSynth back end with a General MIDI soundfont.
//
// All SDL work happens on one worker thread: opening the audio device and
// loading the synthesiser cost about as much as starting Qt, so they must
// never hold back the first window, and every command must return at once.
// Commands are queued and run in order.  If the device or a file cannot be
// opened the cue stays silent.  The thread starts with start() (or the
// first drain()), so that a program can let its first window come up
// before the sound engine competes for the processor and the loader.

#include "platform/Media.h"

#include <QByteArray>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

namespace platform {

// Returns the MIDI bytes inside an RMI file (its "data" chunk), or an
// empty array when the bytes are not a RIFF "RMID" file.
QByteArray unwrapRmi(const QByteArray &bytes);

class SdlMedia : public MediaBackend {
public:
    SdlMedia();
    ~SdlMedia() override;  // stops playback, closes the device, joins

    // Starts the sound thread; commands given before it wait in the queue.
    void start();

    void command(int controlId, MediaCommand command, const QString &path) override;

    // Blocks until every queued command has run (for tests and shutdown).
    void drain();
    // Whether the audio device opened (valid after drain()).
    bool deviceOpen() const;

private:
    struct Request {
        int id;
        MediaCommand command;
        QString path;
        bool quit = false;
    };
    void run();

    mutable std::mutex mutex_;
    std::condition_variable wake_, idle_;
    std::deque<Request> queue_;
    bool busy_ = false;
    bool deviceOpen_ = false;
    std::thread worker_;
};

}  // namespace platform
