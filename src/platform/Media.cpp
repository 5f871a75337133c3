// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Media.h"

#include "platform/DataFolder.h"
#include "platform/Services.h"

namespace platform {

bool parseMediaCommand(const QString &word, MediaCommand *out) {
    static const struct {
        const char *word;
        MediaCommand command;
    } kWords[] = {{"open", MediaCommand::Open},
                  {"close", MediaCommand::Close},
                  {"stop", MediaCommand::Stop},
                  {"play", MediaCommand::Play},
                  {"sound", MediaCommand::Sound}};
    const QString w = word.trimmed();
    for (const auto &k : kWords) {
        if (w.compare(QLatin1String(k.word), Qt::CaseInsensitive) == 0) {
            *out = k.command;
            return true;
        }
    }
    return false;
}

namespace {
int nextControlId() {
    static int next = 0;
    return next++;
}
bool soundOn = true;
}  // namespace

void setSoundEnabled(bool on) { soundOn = on; }
bool soundEnabled() { return soundOn; }

MediaPlayer::MediaPlayer() : id_(nextControlId()) {}

MediaPlayer::~MediaPlayer() {
    if (soundOn) media().command(id_, MediaCommand::Close, QString());
}

void MediaPlayer::setCommand(const QString &word) {
    MediaCommand command;
    if (!soundOn || !parseMediaCommand(word, &command)) return;
    QString path;
    if (command == MediaCommand::Open) {
        // Bare names are looked up in the working directory, beside the
        // progress files, and then in the installed data folder.
        path = soundFile(fileName_);
    }
    media().command(id_, command, path);
}

}  // namespace platform
