#include "state/SoundCues.h"

#include "platform/Media.h"

namespace cues {

void chime(platform::MMControl &mm, const QString &wav) {
    mm.setCommand(QStringLiteral("Stop"));
    mm.setCommand(QStringLiteral("Close"));
    mm.setFileName(wav);
    mm.setCommand(QStringLiteral("Open"));
    mm.setCommand(QStringLiteral("Sound"));
}

void answerChime(platform::MMControl &mm, const QString &wav) {
    mm.setCommand(QStringLiteral("close"));
    mm.setFileName(wav);
    mm.setCommand(QStringLiteral("Open"));
    mm.setCommand(QStringLiteral("Sound"));
}

void tune(platform::MMControl &mm, const QString &midi, const QString &close) {
    mm.setCommand(close);
    mm.setFileName(midi);
    mm.setCommand(QStringLiteral("Open"));
    mm.setCommand(QStringLiteral("Play"));
}

}  // namespace cues
