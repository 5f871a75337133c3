// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The two ways a screen plays sound on its media control: a chime (a
// one-shot WAV) and a tune (a MIDI file in the background).  Each sequence
// closes the control first, so it cuts off whatever the control played.

#include <QString>

namespace platform {
class MediaPlayer;
}

namespace cues {

// Stop, Close, FileName, Open, Sound: the buttons' chimes.
void chime(platform::MediaPlayer &mm, const QString &wav);
// close, FileName, Open, Sound: the answer buttons' chimes (no Stop).
void answerChime(platform::MediaPlayer &mm, const QString &wav);
// Close, FileName, Open, Play: a screen's tune.  The title screen spells
// the first command "Close", the roulette and the history screen "close";
// the player takes either.
void tune(platform::MediaPlayer &mm, const QString &midi, const QString &close = QStringLiteral("Close"));

inline const QString kClick = QStringLiteral("pinpon.wav");
inline const QString kQuit = QStringLiteral("endpinpon.wav");
inline const QString kRight = QStringLiteral("Chimes.wav");
inline const QString kWrong = QStringLiteral("Chimes2.wav");
inline const QString kTitleTune = QStringLiteral("passport.mid");
inline const QString kRouletteTune = QStringLiteral("Canyon.mid");
inline const QString kHistoryTune = QStringLiteral("bahha.rmi");

}  // namespace cues
