// SPDX-License-Identifier: GPL-3.0-or-later
// Generator of the game's chimes and tunes.
//
// Everything here is pure: the functions build byte images in memory, and
// only writeAllSounds() touches the file system. The chimes are additive
// synthesis (sine partials with exponential decay); the tunes are written
// out as note lists and encoded as standard MIDI files.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace soundgen {

using Bytes = std::vector<std::uint8_t>;

// ---------------------------------------------------------------- chimes

inline constexpr int kSampleRate = 22050;
// Every chime is scaled so that its loudest sample sits at this fraction of
// full scale: loud enough to be heard, with headroom against clipping.
inline constexpr double kPeakLevel = 0.8;

// One overtone of a tone: frequency as a multiple of the fundamental,
// amplitude relative to the fundamental, and how much faster than the
// fundamental it dies away (1 = same decay, 3 = three times as fast).
struct Partial {
    double ratio;
    double amplitude;
    double decayFactor = 1.0;
};

// One struck tone. The pitch may glide linearly from freqHz to glideToHz
// over the tone's duration (glideToHz = 0 means no glide).
struct Tone {
    double startSec;
    double durationSec;
    double freqHz;
    double amplitude = 1.0;
    double decaySec = 0.2;     // time constant of the fundamental's decay
    double attackSec = 0.004;  // raised-cosine onset
    double glideToHz = 0.0;
    std::vector<Partial> partials;  // empty: a pure sine
};

// Mixes the tones into a buffer of totalSec seconds (unscaled floats).
// A short fade at the end of every tone and of the buffer keeps it free of
// clicks.
std::vector<double> renderTones(const std::vector<Tone> &tones, double totalSec, int sampleRate = kSampleRate);

// Scales the buffer so its largest magnitude equals peak (of full scale)
// and converts it to 16-bit samples. A silent buffer stays silent.
std::vector<std::int16_t> toPcm16(const std::vector<double> &samples, double peak = kPeakLevel);

// RIFF/WAVE, PCM, 16 bits, mono.
Bytes encodeWav(const std::vector<std::int16_t> &samples, int sampleRate = kSampleRate);

// The four chimes as tone lists, with their total lengths.
struct Chime {
    std::vector<Tone> tones;
    double totalSec;
};
Chime pinponChime();     // two-tone click chime, high then low
Chime endPinponChime();  // a falling run of bells
Chime rightChime();      // rising arpeggio for a right answer
Chime wrongChime();      // low buzzing drop for a wrong answer

Bytes chimeWav(const Chime &chime);

// ---------------------------------------------------------------- tunes

inline constexpr std::uint16_t kTicksPerQuarter = 480;

struct Note {
    std::uint32_t startTick;
    std::uint32_t lengthTicks;
    std::uint8_t key;       // MIDI key, 60 = middle C (C4)
    std::uint8_t velocity;  // 1..127
};

// Parses a compact note list into notes, starting at startTick.
// Tokens are separated by blanks (and '|' bar lines, which are ignored):
//   "E5:8"        E in octave 5, an eighth
//   "F#4:4."      dotted quarter;  "Bb3:2" half;  "C6:1" whole;  "D5:16"
//   "C4+E4+G4:2"  a chord, all keys for the same length
//   "r:4"         a rest
// Every note gets the given velocity. Throws std::invalid_argument on a
// malformed token.
std::vector<Note> parseNotes(std::string_view text, std::uint8_t velocity, std::uint32_t startTick = 0);

// Total length of a note list written as parseNotes reads it.
std::uint32_t notesLength(std::string_view text);

struct Track {
    std::string name;
    std::uint8_t channel = 0;  // 0..15; 9 is percussion
    std::uint8_t program = 0;  // General MIDI program, 0-based
    std::uint8_t volume = 100;
    std::uint8_t pan = 64;
    // Share of each note's written length that actually sounds, in percent;
    // the rest is a small gap that keeps repeated notes apart.
    std::uint8_t gatePercent = 90;
    std::vector<Note> notes;
};

struct Song {
    std::string title;
    std::uint32_t microsPerQuarter = 500000;
    std::uint8_t beatsPerBar = 4;   // time signature beats/4
    std::uint32_t lengthTicks = 0;  // every track ends here
    std::vector<Track> tracks;
};

// Variable-length quantity as used for MIDI delta times (at most 0x0FFFFFFF;
// larger values throw std::out_of_range).
Bytes encodeVlq(std::uint32_t value);

// Standard MIDI file, format 1: a conductor track with the title, time
// signature and tempo, then one track per part with its name, program,
// volume and pan, and its notes. Every track ends with End-of-Track at the
// song's length.
Bytes encodeMidi(const Song &song);

// Wraps a MIDI file into a RIFF "RMID" file with a single "data" chunk.
Bytes wrapRmi(const Bytes &midi);

Song titleSong();     // cheerful, for the title screen
Song rouletteSong();  // lively, loops back to its start
Song historySong();   // calm waltz for the learning history

double songSeconds(const Song &song);

// ---------------------------------------------------------------- output

struct SoundFile {
    std::string name;
    Bytes bytes;
};

// The seven files, in a fixed order.
std::vector<SoundFile> allSounds();

// Writes every file into dir, creating it if needed. On failure returns
// false and describes the problem in error.
bool writeAllSounds(const std::filesystem::path &dir, std::string &error);

}  // namespace soundgen
