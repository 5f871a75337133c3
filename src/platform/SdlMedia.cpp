#include "platform/SdlMedia.h"

#include <QFile>
#include <QtEndian>

#include <SDL.h>
#include <SDL_mixer.h>

#include <map>

namespace platform {

namespace {

constexpr int kChannels = 16;
const char *const kSoundFonts[] = {
    "/usr/share/sounds/sf2/TimGM6mb.sf2",
    "/usr/share/sounds/sf2/FluidR3_GM.sf2",
    "/usr/share/sounds/sf2/default-GM.sf2",
};

quint32 le32(const char *p) { return qFromLittleEndian<quint32>(p); }

// One control's open file.
struct Slot {
    Mix_Chunk *chunk = nullptr;
    Mix_Music *music = nullptr;
    QByteArray midi;  // must outlive the music read from it
};

void release(Slot &slot) {
    if (slot.chunk) Mix_FreeChunk(slot.chunk);  // halts its channel first
    if (slot.music) Mix_FreeMusic(slot.music);  // halts the music if playing
    slot = Slot();
}

}  // namespace

QByteArray unwrapRmi(const QByteArray &bytes) {
    if (bytes.size() < 12 || !bytes.startsWith("RIFF") || bytes.mid(8, 4) != "RMID") return {};
    const qsizetype end = std::min<qsizetype>(bytes.size(), 8 + qsizetype(le32(bytes.constData() + 4)));
    qsizetype pos = 12;
    while (pos + 8 <= end) {
        const QByteArray id = bytes.mid(pos, 4);
        const qsizetype size = le32(bytes.constData() + pos + 4);
        if (size > end - pos - 8) return {};  // a chunk that runs past the file
        if (id == "data") return bytes.mid(pos + 8, size);
        pos += 8 + size + (size & 1);
    }
    return {};
}

SdlMedia::SdlMedia() : worker_([this] { run(); }) {}

SdlMedia::~SdlMedia() {
    {
        std::lock_guard lock(mutex_);
        queue_.push_back({0, MediaCommand::Close, QString(), true});
    }
    wake_.notify_one();
    worker_.join();
}

void SdlMedia::command(int controlId, MediaCommand command, const QString &path) {
    {
        std::lock_guard lock(mutex_);
        queue_.push_back({controlId, command, path});
    }
    wake_.notify_one();
}

void SdlMedia::drain() {
    std::unique_lock lock(mutex_);
    idle_.wait(lock, [this] { return queue_.empty() && !busy_; });
}

bool SdlMedia::deviceOpen() const {
    std::lock_guard lock(mutex_);
    return deviceOpen_;
}

void SdlMedia::run() {
    // SDL must not take over SIGINT/SIGTERM: it would only queue an SDL
    // event that nobody reads, and the program would ignore a logout.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    bool open = SDL_Init(SDL_INIT_AUDIO) == 0;
    if (open) {
        Mix_Init(MIX_INIT_MID);
        for (const char *font : kSoundFonts) {
            if (QFile::exists(QString::fromLatin1(font))) {
                Mix_SetSoundFonts(font);
                break;
            }
        }
        open = Mix_OpenAudio(44100, MIX_DEFAULT_FORMAT, 2, 2048) == 0;
        if (open) Mix_AllocateChannels(kChannels);
    }
    {
        std::lock_guard lock(mutex_);
        deviceOpen_ = open;
    }

    std::map<int, Slot> controls;
    Mix_Music *playing = nullptr;  // the one tune SDL_mixer plays at a time
    for (;;) {
        Request r;
        {
            std::unique_lock lock(mutex_);
            busy_ = false;
            if (queue_.empty()) idle_.notify_all();
            wake_.wait(lock, [this] { return !queue_.empty(); });
            r = queue_.front();
            queue_.pop_front();
            busy_ = true;
        }
        if (r.quit) break;
        if (!open) continue;  // no device: every cue stays silent

        Slot &slot = controls[r.id];
        const int channel = r.id % kChannels;
        switch (r.command) {
        case MediaCommand::Open: {
            if (slot.music && slot.music == playing) playing = nullptr;
            release(slot);
            QFile file(r.path);
            if (!file.open(QIODevice::ReadOnly)) break;
            QByteArray bytes = file.readAll();
            if (bytes.startsWith("RIFF") && bytes.mid(8, 4) == "WAVE") {
                slot.chunk = Mix_LoadWAV_RW(SDL_RWFromConstMem(bytes.constData(), int(bytes.size())), 1);
            } else {
                QByteArray midi = bytes.startsWith("MThd") ? bytes : unwrapRmi(bytes);
                if (midi.startsWith("MThd")) {
                    slot.midi = midi;
                    slot.music = Mix_LoadMUS_RW(
                        SDL_RWFromConstMem(slot.midi.constData(), int(slot.midi.size())), 1);
                }
            }
            break;
        }
        case MediaCommand::Play:
        case MediaCommand::Sound:
            if (slot.chunk) Mix_PlayChannel(channel, slot.chunk, 0);
            if (slot.music && Mix_PlayMusic(slot.music, 0) == 0) playing = slot.music;
            break;
        case MediaCommand::Stop:
            if (slot.chunk) Mix_HaltChannel(channel);
            if (slot.music && slot.music == playing) Mix_HaltMusic();
            break;
        case MediaCommand::Close:
            if (slot.music && slot.music == playing) playing = nullptr;
            release(slot);
            controls.erase(r.id);
            break;
        }
    }

    for (auto &entry : controls) release(entry.second);
    if (open) Mix_CloseAudio();
    Mix_Quit();
    SDL_Quit();
    std::lock_guard lock(mutex_);
    busy_ = false;
    idle_.notify_all();
}

}  // namespace platform
