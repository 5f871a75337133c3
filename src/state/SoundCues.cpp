// SPDX-License-Identifier: GPL-3.0-or-later
#include "state/SoundCues.h"

#include "platform/Media.h"

namespace cues {

void chime(platform::MediaPlayer &mm, const QString &wav) {
    mm.setCommand(QStringLiteral("Stop"));
    mm.setCommand(QStringLiteral("Close"));
    mm.setFileName(wav);
    mm.setCommand(QStringLiteral("Open"));
    mm.setCommand(QStringLiteral("Sound"));
}

void answerChime(platform::MediaPlayer &mm, const QString &wav) {
    mm.setCommand(QStringLiteral("close"));
    mm.setFileName(wav);
    mm.setCommand(QStringLiteral("Open"));
    mm.setCommand(QStringLiteral("Sound"));
}

void tune(platform::MediaPlayer &mm, const QString &midi, const QString &close) {
    mm.setCommand(close);
    mm.setFileName(midi);
    mm.setCommand(QStringLiteral("Open"));
    mm.setCommand(QStringLiteral("Play"));
}

}  // namespace cues
