// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The multimedia player control and the sound back ends behind it.
//
// A screen drives its media player only through a file name and a command, as the
// old media control was driven: "Open", "Close", "Stop", "Play" and
// "Sound", in any case.  Every command returns at once; playback runs in
// the back end.  A missing or unplayable file leaves the cue silent.

#include <QString>

namespace platform {

enum class MediaCommand { Open, Close, Stop, Play, Sound };

// Parses a command word in any case; false for an unknown word.
bool parseMediaCommand(const QString &word, MediaCommand *out);

// What plays the sounds.  Each control has its own id (its own channel).
class MediaBackend {
public:
    virtual ~MediaBackend() = default;
    // path: the file to open (Open only), looked up by the control.
    virtual void command(int controlId, MediaCommand command, const QString &path) = 0;
};

class SilentMedia : public MediaBackend {
public:
    void command(int, MediaCommand, const QString &) override {}
};

// Sound on or off for the whole program (the [sound] enabled setting and
// --no-sound): while it is off every player drops its commands, so no
// chime or tune reaches the back end.  On unless set off.
void setSoundEnabled(bool on);
bool soundEnabled();

class MediaPlayer {
public:
    MediaPlayer();
    ~MediaPlayer();  // closes the control: a tune stops when its screen goes
    MediaPlayer(const MediaPlayer &) = delete;
    MediaPlayer &operator=(const MediaPlayer &) = delete;

    void setFileName(const QString &name) { fileName_ = name; }
    const QString &fileName() const { return fileName_; }
    // Runs a command at once; unknown words are ignored, and every command
    // while the sound is off.
    void setCommand(const QString &word);
    int id() const { return id_; }

private:
    QString fileName_;
    int id_;
};

}  // namespace platform
