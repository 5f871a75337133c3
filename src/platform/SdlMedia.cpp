// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/SdlMedia.h"

#include "platform/Files.h"

#include <QFile>
#include <QtEndian>

#include <SDL.h>
#include <SDL_mixer.h>

#include <dlfcn.h>

#include <map>

namespace platform {

namespace {

// SDL2 and SDL2_mixer are opened on the sound thread rather than linked:
// they pull in some fifty codec and audio-server libraries, and loading
// those at program start would hold back the first window.
struct SdlApi {
    decltype(&::SDL_SetHint) SetHint = nullptr;
    decltype(&::SDL_Init) Init = nullptr;
    decltype(&::SDL_Quit) Quit = nullptr;
    decltype(&::SDL_RWFromConstMem) RWFromConstMem = nullptr;
    decltype(&::Mix_Init) MixInit = nullptr;
    decltype(&::Mix_Quit) MixQuit = nullptr;
    decltype(&::Mix_SetSoundFonts) SetSoundFonts = nullptr;
    decltype(&::Mix_OpenAudio) OpenAudio = nullptr;
    decltype(&::Mix_CloseAudio) CloseAudio = nullptr;
    decltype(&::Mix_AllocateChannels) AllocateChannels = nullptr;
    decltype(&::Mix_LoadWAV_RW) LoadWAV_RW = nullptr;
    decltype(&::Mix_LoadMUS_RW) LoadMUS_RW = nullptr;
    decltype(&::Mix_PlayChannelTimed) PlayChannelTimed = nullptr;
    decltype(&::Mix_PlayMusic) PlayMusic = nullptr;
    decltype(&::Mix_HaltChannel) HaltChannel = nullptr;
    decltype(&::Mix_HaltMusic) HaltMusic = nullptr;
    decltype(&::Mix_FreeChunk) FreeChunk = nullptr;
    decltype(&::Mix_FreeMusic) FreeMusic = nullptr;

    // Opens the libraries; false (and every cue silent) when they are missing.
    bool load() {
        void *sdl = dlopen("libSDL2-2.0.so.0", RTLD_NOW | RTLD_GLOBAL);
        void *mix = dlopen("libSDL2_mixer-2.0.so.0", RTLD_NOW | RTLD_GLOBAL);
        if (!sdl || !mix) return false;
        bool ok = true;
        auto get = [&ok](void *lib, const char *name, auto &fn) {
            fn = reinterpret_cast<std::remove_reference_t<decltype(fn)>>(dlsym(lib, name));
            ok = ok && fn;
        };
        get(sdl, "SDL_SetHint", SetHint);
        get(sdl, "SDL_Init", Init);
        get(sdl, "SDL_Quit", Quit);
        get(sdl, "SDL_RWFromConstMem", RWFromConstMem);
        get(mix, "Mix_Init", MixInit);
        get(mix, "Mix_Quit", MixQuit);
        get(mix, "Mix_SetSoundFonts", SetSoundFonts);
        get(mix, "Mix_OpenAudio", OpenAudio);
        get(mix, "Mix_CloseAudio", CloseAudio);
        get(mix, "Mix_AllocateChannels", AllocateChannels);
        get(mix, "Mix_LoadWAV_RW", LoadWAV_RW);
        get(mix, "Mix_LoadMUS_RW", LoadMUS_RW);
        get(mix, "Mix_PlayChannelTimed", PlayChannelTimed);
        get(mix, "Mix_PlayMusic", PlayMusic);
        get(mix, "Mix_HaltChannel", HaltChannel);
        get(mix, "Mix_HaltMusic", HaltMusic);
        get(mix, "Mix_FreeChunk", FreeChunk);
        get(mix, "Mix_FreeMusic", FreeMusic);
        return ok;
    }
};

SdlApi sdl;

constexpr int kChannels = 16;
// Far more than any chime or tune.
constexpr qint64 kMaxSoundFile = 64 * 1024 * 1024;
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
    if (slot.chunk) sdl.FreeChunk(slot.chunk);  // halts its channel first
    if (slot.music) sdl.FreeMusic(slot.music);  // halts the music if playing
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

SdlMedia::SdlMedia() = default;

void SdlMedia::start() {
    std::lock_guard lock(mutex_);
    if (!worker_.joinable()) worker_ = std::thread([this] { run(); });
}

SdlMedia::~SdlMedia() {
    if (!worker_.joinable()) return;
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
    start();
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
    const bool loaded = sdl.load();
    bool open = loaded;
    if (open) {
        sdl.SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
        open = sdl.Init(SDL_INIT_AUDIO) == 0;
    }
    if (open) {
        sdl.MixInit(MIX_INIT_MID);
        for (const char *font : kSoundFonts) {
            if (QFile::exists(QString::fromLatin1(font))) {
                sdl.SetSoundFonts(font);
                break;
            }
        }
        open = sdl.OpenAudio(44100, MIX_DEFAULT_FORMAT, 2, 2048) == 0;
        if (open) sdl.AllocateChannels(kChannels);
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
            // A sound file may be an installed link; a FIFO or device in
            // its place, or a file too large for a cue, stays silent.
            const files::ReadResult file =
                files::read(r.path, {kMaxSoundFile, files::Longer::Refused, files::Links::Followed});
            if (file.outcome != files::ReadResult::Outcome::Read) break;
            const QByteArray &bytes = file.bytes;
            if (bytes.startsWith("RIFF") && bytes.mid(8, 4) == "WAVE") {
                slot.chunk = sdl.LoadWAV_RW(sdl.RWFromConstMem(bytes.constData(), int(bytes.size())), 1);
            } else {
                QByteArray midi = bytes.startsWith("MThd") ? bytes : unwrapRmi(bytes);
                if (midi.startsWith("MThd")) {
                    slot.midi = midi;
                    slot.music = sdl.LoadMUS_RW(sdl.RWFromConstMem(slot.midi.constData(), int(slot.midi.size())), 1);
                }
            }
            break;
        }
        case MediaCommand::Play:
        case MediaCommand::Sound:
            if (slot.chunk) sdl.PlayChannelTimed(channel, slot.chunk, 0, -1);
            if (slot.music && sdl.PlayMusic(slot.music, 0) == 0) playing = slot.music;
            break;
        case MediaCommand::Stop:
            if (slot.chunk) sdl.HaltChannel(channel);
            if (slot.music && slot.music == playing) sdl.HaltMusic();
            break;
        case MediaCommand::Close:
            if (slot.music && slot.music == playing) playing = nullptr;
            release(slot);
            controls.erase(r.id);
            break;
        }
    }

    for (auto &entry : controls) release(entry.second);
    if (open) sdl.CloseAudio();
    if (loaded) {
        sdl.MixQuit();
        sdl.Quit();
    }
    std::lock_guard lock(mutex_);
    busy_ = false;
    idle_.notify_all();
}

}  // namespace platform
