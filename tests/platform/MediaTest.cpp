// SPDX-License-Identifier: GPL-3.0-or-later
// The media player control: command words, file lookup, closing with the
// screen, the RMI wrapper, and real playback through SDL_mixer's disk
// audio driver.
#include "platform/Media.h"
#include "platform/SdlMedia.h"
#include "support/Fakes.h"

#include <QDir>
#include <QFile>
#include <QThread>
#include <QtEndian>

#include <cstdlib>

using namespace testing_support;

namespace {

class MediaControl : public ScreenTest {};

TEST_F(MediaControl, CommandsInAnyCaseReachTheBackEndInOrder) {
    {
        platform::MediaPlayer mm;
        mm.setCommand("Stop");
        mm.setCommand("close");
        mm.setFileName("pinpon.wav");
        mm.setCommand("OPEN");
        mm.setCommand("Sound");
        mm.setCommand("Eject");  // not a command of ours: ignored
        mm.setCommand("play");
        EXPECT_EQ(media.log, QStringList({"Stop", "Close", "Open pinpon.wav", "Sound", "Play"}));
    }
    // The control closes when its screen goes, so a tune stops with it.
    EXPECT_EQ(media.log.last(), "Close");
}

TEST_F(MediaControl, FilesAreLookedUpInTheWorkingDirectory) {
    struct PathRecorder : platform::MediaBackend {
        QString path;
        void command(int, platform::MediaCommand c, const QString &p) override {
            if (c == platform::MediaCommand::Open) path = p;
        }
    } rec;
    platform::services().media = &rec;
    platform::MediaPlayer mm;
    mm.setFileName("Chimes.wav");
    mm.setCommand("Open");
    EXPECT_EQ(rec.path, QDir::current().absoluteFilePath("Chimes.wav"));
    platform::services().media = &media;
}

QByteArray le32(quint32 v) {
    QByteArray b(4, 0);
    qToLittleEndian(v, b.data());
    return b;
}

TEST(Rmi, UnwrapsTheDataChunkAndRejectsDamagedFiles) {
    const QByteArray midi = QByteArray("MThd") + QByteArray(10, 1) + "MTrk" + QByteArray(5, 2);  // odd size
    const QByteArray info = QByteArray("LIST") + le32(3) + "abc" + QByteArray(1, 0);
    QByteArray body = QByteArray("RMID") + info + "data" + le32(midi.size()) + midi + QByteArray(1, 0);
    const QByteArray rmi = QByteArray("RIFF") + le32(body.size()) + body;
    EXPECT_EQ(platform::unwrapRmi(rmi), midi);

    EXPECT_TRUE(platform::unwrapRmi(midi).isEmpty());
    EXPECT_TRUE(platform::unwrapRmi(QByteArray("RIFF") + le32(4) + "WAVE").isEmpty());
    QByteArray lying = rmi;
    qToLittleEndian<quint32>(0x7fffffff, lying.data() + 12 + info.size() + 4);  // data size past the end
    EXPECT_TRUE(platform::unwrapRmi(lying).isEmpty());
    EXPECT_TRUE(platform::unwrapRmi(rmi.left(10)).isEmpty());
}

// Plays a generated file through the disk driver and returns the peak of
// the 16-bit samples written.
int peakOfPlayback(const QString &file, int milliseconds) {
    const QString out = QDir::current().absoluteFilePath("out.raw");
    qputenv("SDL_AUDIODRIVER", "disk");
    qputenv("SDL_DISKAUDIOFILE", out.toLocal8Bit());
    QFile::copy(QStringLiteral(POMURIN_SOUND_DIR "/") + file, file);
    {
        platform::SdlMedia sdl;
        platform::services().media = &sdl;
        {
            platform::MediaPlayer mm;
            mm.setFileName(file);
            mm.setCommand("Open");
            mm.setCommand("Play");
            sdl.drain();
            EXPECT_TRUE(sdl.deviceOpen());
            QThread::msleep(milliseconds);
        }
        sdl.drain();
        platform::services().media = nullptr;
    }
    QFile raw(out);
    if (!raw.open(QIODevice::ReadOnly)) return -1;
    const QByteArray bytes = raw.readAll();
    int peak = 0;
    for (qsizetype i = 0; i + 1 < bytes.size(); i += 2)
        peak = std::max(peak, std::abs(int(qFromLittleEndian<qint16>(bytes.constData() + i))));
    return peak;
}

class RealPlayback : public ::testing::TestWithParam<const char *> {};

TEST_P(RealPlayback, IsNotSilent) {
    EXPECT_GT(peakOfPlayback(GetParam(), 1500), 300) << GetParam();
}

INSTANTIATE_TEST_SUITE_P(GeneratedFiles, RealPlayback,
                         ::testing::Values("pinpon.wav", "passport.mid", "bahha.rmi"));

TEST(RealPlaybackSilence, MissingFileLeavesTheCueSilent) {
    EXPECT_EQ(peakOfPlayback("nothing-here.wav", 300), 0);
}

}  // namespace
