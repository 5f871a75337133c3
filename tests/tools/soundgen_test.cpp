// SPDX-License-Identifier: GPL-3.0-or-later
// The generated chimes and tunes are read back with independent little
// parsers: a WAV reader, a MIDI reader and an RMI unwrapper written here,
// not borrowed from the generator.
#include "soundgen_lib.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <map>
#include <numbers>
#include <optional>
#include <set>
#include <string>
#include <vector>

using soundgen::Bytes;

namespace {

std::uint32_t le32(const Bytes &b, std::size_t at) {
    return b.at(at) | b.at(at + 1) << 8 | b.at(at + 2) << 16 | static_cast<std::uint32_t>(b.at(at + 3)) << 24;
}
std::uint16_t le16(const Bytes &b, std::size_t at) {
    return static_cast<std::uint16_t>(b.at(at) | b.at(at + 1) << 8);
}
std::uint32_t be32(const Bytes &b, std::size_t at) {
    return static_cast<std::uint32_t>(b.at(at)) << 24 | b.at(at + 1) << 16 | b.at(at + 2) << 8 | b.at(at + 3);
}
std::uint16_t be16(const Bytes &b, std::size_t at) {
    return static_cast<std::uint16_t>(b.at(at) << 8 | b.at(at + 1));
}
std::string tag(const Bytes &b, std::size_t at) {
    return std::string(b.begin() + static_cast<long>(at), b.begin() + static_cast<long>(at + 4));
}

const soundgen::SoundFile &soundNamed(const std::vector<soundgen::SoundFile> &all, const std::string &name) {
    auto it = std::find_if(all.begin(), all.end(), [&](const auto &f) { return f.name == name; });
    if (it == all.end()) throw std::runtime_error("no sound named " + name);
    return *it;
}

// ------------------------------------------------------------------ WAV

struct Wav {
    int sampleRate = 0;
    std::vector<std::int16_t> samples;
    double seconds() const { return static_cast<double>(samples.size()) / sampleRate; }
};

// Reads a canonical PCM mono 16-bit WAV, checking every header field
// against the data it describes.
Wav readWav(const Bytes &b) {
    Wav w;
    EXPECT_GE(b.size(), 44u);
    if (b.size() < 44) return w;
    EXPECT_EQ(tag(b, 0), "RIFF");
    EXPECT_EQ(le32(b, 4), b.size() - 8) << "RIFF size must cover the rest of the file";
    EXPECT_EQ(tag(b, 8), "WAVE");
    EXPECT_EQ(tag(b, 12), "fmt ");
    EXPECT_EQ(le32(b, 16), 16u);
    EXPECT_EQ(le16(b, 20), 1) << "PCM";
    EXPECT_EQ(le16(b, 22), 1) << "mono";
    w.sampleRate = static_cast<int>(le32(b, 24));
    EXPECT_TRUE(w.sampleRate == 22050 || w.sampleRate == 44100) << w.sampleRate;
    EXPECT_EQ(le32(b, 28), static_cast<std::uint32_t>(w.sampleRate) * 2) << "byte rate";
    EXPECT_EQ(le16(b, 32), 2) << "block align";
    EXPECT_EQ(le16(b, 34), 16) << "bits per sample";
    EXPECT_EQ(tag(b, 36), "data");
    const std::uint32_t dataSize = le32(b, 40);
    EXPECT_EQ(dataSize, b.size() - 44) << "data size must match the bytes that follow";
    for (std::size_t i = 44; i + 1 < b.size(); i += 2) w.samples.push_back(static_cast<std::int16_t>(le16(b, i)));
    return w;
}

// Frequency with the most energy in [from, from + length) seconds, scanned
// from 100 Hz to 5 kHz in 4 Hz steps on a Hann-windowed stretch.  Each
// frequency's power is the squared magnitude of that stretch's discrete
// Fourier sum, computed by Goertzel's recurrence (one multiply-add a sample
// instead of a sine and a cosine), four frequencies to a pass.
double dominantHz(const Wav &w, double from, double length) {
    const auto first = static_cast<std::size_t>(from * w.sampleRate);
    const auto n = static_cast<std::size_t>(length * w.sampleRate);
    std::vector<double> windowed;
    for (std::size_t i = 0; i < n && first + i < w.samples.size(); ++i)
        windowed.push_back((0.5 - 0.5 * std::cos(2 * std::numbers::pi * i / n)) * w.samples[first + i]);
    const double *x = windowed.data();  // plain indexing: no iterator calls in an unoptimised build
    const std::size_t m = windowed.size();
    constexpr int kLanes = 4;
    constexpr double kLowest = 100, kStep = 4;
    constexpr int kCount = 1226;  // 100, 104, ..., 5000 Hz
    double bestHz = 0, bestPower = -1;
    for (int k = 0; k < kCount; k += kLanes) {
        double c[kLanes], s1[kLanes] = {}, s2[kLanes] = {};
        for (int l = 0; l < kLanes; ++l) c[l] = 2 * std::cos(2 * std::numbers::pi * (kLowest + kStep * (k + l)) / w.sampleRate);
        for (std::size_t i = 0; i < m; ++i) {
            const double a0 = x[i] + c[0] * s1[0] - s2[0], a1 = x[i] + c[1] * s1[1] - s2[1];
            const double a2 = x[i] + c[2] * s1[2] - s2[2], a3 = x[i] + c[3] * s1[3] - s2[3];
            s2[0] = s1[0], s2[1] = s1[1], s2[2] = s1[2], s2[3] = s1[3];
            s1[0] = a0, s1[1] = a1, s1[2] = a2, s1[3] = a3;
        }
        for (int l = 0; l < kLanes && k + l < kCount; ++l) {
            const double power = s1[l] * s1[l] + s2[l] * s2[l] - c[l] * s1[l] * s2[l];
            if (power > bestPower) bestPower = power, bestHz = kLowest + kStep * (k + l);
        }
    }
    return bestHz;
}

struct ChimeCase {
    const char *file;
    double minSec, maxSec;
};

void PrintTo(const ChimeCase &c, std::ostream *os) { *os << c.file; }

class ChimeFile : public ::testing::TestWithParam<ChimeCase> {};

TEST_P(ChimeFile, headerMatchesDataAndLevelIsAudibleWithoutClipping) {
    const auto all = soundgen::allSounds();
    const Wav w = readWav(soundNamed(all, GetParam().file).bytes);
    ASSERT_FALSE(w.samples.empty());
    EXPECT_GE(w.seconds(), GetParam().minSec);
    EXPECT_LE(w.seconds(), GetParam().maxSec);

    int peak = 0;
    double sumSquares = 0;
    for (std::int16_t s : w.samples) {
        peak = std::max(peak, std::abs(static_cast<int>(s)));
        sumSquares += static_cast<double>(s) * s;
    }
    const double rms = std::sqrt(sumSquares / w.samples.size()) / 32768.0;
    EXPECT_LT(peak, 0.9 * 32768) << "too close to clipping";
    EXPECT_GT(peak, 0.5 * 32768) << "too quiet";
    EXPECT_GT(rms, 0.05) << "mostly silent";
    // starts and ends at rest: no click at either edge
    EXPECT_LT(std::abs(w.samples.front()), 200);
    EXPECT_LT(std::abs(w.samples.back()), 200);
}

INSTANTIATE_TEST_SUITE_P(AllChimes, ChimeFile,
                         ::testing::Values(ChimeCase{"pinpon.wav", 0.5, 0.7},
                                           ChimeCase{"endpinpon.wav", 0.8, 1.0},
                                           ChimeCase{"Chimes.wav", 0.7, 0.9},
                                           ChimeCase{"Chimes2.wav", 0.6, 0.8}),
                         [](const auto &info) {
                             std::string name = info.param.file;
                             return name.substr(0, name.find('.'));
                         });

TEST(Chimes, pitchContoursFitTheirUse) {
    const auto all = soundgen::allSounds();

    const Wav pinpon = readWav(soundNamed(all, "pinpon.wav").bytes);
    const double pin = dominantHz(pinpon, 0.02, 0.15), pon = dominantHz(pinpon, 0.22, 0.15);
    EXPECT_GT(pin, pon * 1.15) << "pin-pon goes high then lower";
    EXPECT_GT(pon, 600) << "both tones are bright";

    // falling and rising runs: each new tone is the loudest just after it starts
    const Wav falling = readWav(soundNamed(all, "endpinpon.wav").bytes);
    const Wav rising = readWav(soundNamed(all, "Chimes.wav").bytes);
    std::vector<double> down, up;
    for (int i = 0; i < 4; ++i) {
        down.push_back(dominantHz(falling, 0.01 + 0.13 * i, 0.10));
        up.push_back(dominantHz(rising, 0.01 + 0.075 * i, 0.06));
    }
    for (int i = 1; i < 4; ++i) {
        EXPECT_LT(down[i], down[i - 1]) << "endpinpon tone " << i;
        EXPECT_GT(up[i], up[i - 1]) << "Chimes tone " << i;
    }

    const Wav wrong = readWav(soundNamed(all, "Chimes2.wav").bytes);
    const double first = dominantHz(wrong, 0.02, 0.2), second = dominantHz(wrong, 0.4, 0.2);
    EXPECT_LT(first, 400) << "the wrong-answer buzz is low";
    EXPECT_LT(second, first) << "and drops";
}

TEST(Chimes, tonesFadeInAndOutInsteadOfClicking) {
    // a slowly decaying tone that stops in the middle of the buffer
    soundgen::Tone tone{0.05, 0.10, 440.0, 1.0, 10.0};
    const int rate = soundgen::kSampleRate;
    const auto samples = soundgen::renderTones({tone}, 0.2, rate);
    ASSERT_EQ(samples.size(), static_cast<std::size_t>(0.2 * rate));
    const auto maxAbs = [&](double from, double to) {
        double m = 0;
        for (auto i = static_cast<std::size_t>(from * rate); i < static_cast<std::size_t>(to * rate); ++i)
            m = std::max(m, std::abs(samples[i]));
        return m;
    };
    EXPECT_GT(maxAbs(0.07, 0.13), 0.9);        // at full strength in the middle
    EXPECT_EQ(maxAbs(0.0, 0.05), 0.0);         // silent before it starts
    EXPECT_LT(maxAbs(0.05, 0.0505), 0.2);      // rises over the first samples
    EXPECT_LT(maxAbs(0.1495, 0.15), 0.2);      // and falls to rest at its end
    EXPECT_EQ(maxAbs(0.1505, 0.2), 0.0);
}

TEST(Chimes, silenceStaysSilentAndScalingHitsTheRequestedPeak) {
    EXPECT_EQ(soundgen::toPcm16(std::vector<double>(100, 0.0)), std::vector<std::int16_t>(100, 0));
    const auto pcm = soundgen::toPcm16({0.0, 3.0, -6.0, 1.5}, 0.5);
    EXPECT_EQ(pcm[2], static_cast<std::int16_t>(std::lround(-0.5 * 32767)));
    EXPECT_EQ(pcm[1], -pcm[2] / 2);
}

// ------------------------------------------------------------------ MIDI

struct MidiEvent {
    std::uint32_t tick;
    std::uint8_t status;  // 0xFF for meta
    std::uint8_t metaType = 0;
    Bytes data;
};

struct Midi {
    int format = -1;
    int division = 0;
    std::vector<std::vector<MidiEvent>> tracks;
};

std::uint32_t readVlq(const Bytes &b, std::size_t &at, std::size_t end) {
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i) {
        if (at >= end) throw std::runtime_error("truncated VLQ");
        const std::uint8_t byte = b[at++];
        value = value << 7 | (byte & 0x7F);
        if (!(byte & 0x80)) return value;
    }
    throw std::runtime_error("VLQ longer than four bytes");
}

// Strict reader: chunk lengths must tile the file exactly, every event
// must lie inside its track, and every track must close with End-of-Track.
Midi readMidi(const Bytes &b) {
    Midi m;
    if (b.size() < 14 || tag(b, 0) != "MThd" || be32(b, 4) != 6) throw std::runtime_error("no MThd header");
    m.format = be16(b, 8);
    const int trackCount = be16(b, 10);
    m.division = be16(b, 12);
    std::size_t at = 14;
    while (at < b.size()) {
        if (at + 8 > b.size() || tag(b, at) != "MTrk") throw std::runtime_error("expected MTrk");
        const std::size_t end = at + 8 + be32(b, at + 4);
        if (end > b.size()) throw std::runtime_error("track chunk runs past the file");
        at += 8;
        std::vector<MidiEvent> events;
        std::uint32_t tick = 0;
        std::uint8_t running = 0;
        bool ended = false;
        while (at < end) {
            if (ended) throw std::runtime_error("bytes after End-of-Track");
            tick += readVlq(b, at, end);
            if (at >= end) throw std::runtime_error("truncated event");
            MidiEvent e{tick, b[at]};
            if (e.status == 0xFF) {
                e.metaType = b.at(at + 1);
                at += 2;
                const std::uint32_t len = readVlq(b, at, end);
                if (at + len > end) throw std::runtime_error("meta event runs past its track");
                e.data.assign(b.begin() + static_cast<long>(at), b.begin() + static_cast<long>(at + len));
                at += len;
                ended = e.metaType == 0x2F;
            } else {
                if (e.status & 0x80) {
                    running = e.status;
                    ++at;
                } else if (running) {
                    e.status = running;
                } else {
                    throw std::runtime_error("data byte without status");
                }
                if (e.status >= 0xF0) throw std::runtime_error("unexpected system event");
                const int kind = e.status & 0xF0;
                const std::size_t len = (kind == 0xC0 || kind == 0xD0) ? 1 : 2;
                if (at + len > end) throw std::runtime_error("channel event runs past its track");
                e.data.assign(b.begin() + static_cast<long>(at), b.begin() + static_cast<long>(at + len));
                for (std::uint8_t d : e.data)
                    if (d & 0x80) throw std::runtime_error("data byte with the top bit set");
                at += len;
            }
            events.push_back(std::move(e));
        }
        if (!ended) throw std::runtime_error("track without End-of-Track");
        m.tracks.push_back(std::move(events));
    }
    if (static_cast<int>(m.tracks.size()) != trackCount) throw std::runtime_error("track count mismatch");
    return m;
}

struct PlayedNote {
    std::uint32_t start, end;
    int channel, key;
};

// Follows the events as a synthesizer would: a key sounds from its note-on
// to the next note-off (or note-on of velocity 0) of the same key. Throws
// when a key is struck again while it still sounds (a synthesizer would cut
// or merge the notes), when a silent key is released, or when a key is
// never released.
std::vector<PlayedNote> notesOf(const std::vector<MidiEvent> &track) {
    std::map<std::pair<int, int>, std::uint32_t> sounding;
    std::vector<PlayedNote> notes;
    for (const MidiEvent &e : track) {
        const int kind = e.status & 0xF0, channel = e.status & 0x0F;
        if (kind != 0x80 && kind != 0x90) continue;
        const std::pair<int, int> key{channel, e.data[0]};
        if (kind == 0x90 && e.data[1] > 0) {
            if (!sounding.emplace(key, e.tick).second) throw std::runtime_error("key struck while sounding");
        } else {
            const auto it = sounding.find(key);
            if (it == sounding.end()) throw std::runtime_error("note-off of a silent key");
            notes.push_back({it->second, e.tick, channel, e.data[0]});
            sounding.erase(it);
        }
    }
    if (!sounding.empty()) throw std::runtime_error("note never released");
    std::sort(notes.begin(), notes.end(), [](const PlayedNote &a, const PlayedNote &b) {
        return a.start != b.start ? a.start < b.start : a.key < b.key;
    });
    return notes;
}

// Playing time in seconds, following every tempo change of the file.
double midiSeconds(const Midi &m) {
    std::vector<std::pair<std::uint32_t, std::uint32_t>> tempos;  // tick, µs per quarter
    std::uint32_t last = 0;
    for (const auto &track : m.tracks)
        for (const MidiEvent &e : track) {
            last = std::max(last, e.tick);
            if (e.status == 0xFF && e.metaType == 0x51)
                tempos.push_back({e.tick, static_cast<std::uint32_t>(e.data[0] << 16 | e.data[1] << 8 | e.data[2])});
        }
    std::sort(tempos.begin(), tempos.end());
    double seconds = 0;
    std::uint32_t tick = 0, tempo = 500000;
    for (const auto &[at, value] : tempos) {
        seconds += double(at - tick) / m.division * tempo / 1e6;
        tick = at;
        tempo = value;
    }
    return seconds + double(last - tick) / m.division * tempo / 1e6;
}

Bytes unwrapRmi(const Bytes &b) {
    if (b.size() < 20 || tag(b, 0) != "RIFF" || tag(b, 8) != "RMID") throw std::runtime_error("not RMID");
    if (le32(b, 4) != b.size() - 8) throw std::runtime_error("RIFF size disagrees with the file");
    if (b.size() % 2 != 0) throw std::runtime_error("RIFF file of odd length");
    std::size_t at = 12;
    while (at + 8 <= b.size()) {
        const std::uint32_t size = le32(b, at + 4);
        if (at + 8 + size > b.size()) throw std::runtime_error("chunk runs past the file");
        if (tag(b, at) == "data")
            return Bytes(b.begin() + static_cast<long>(at + 8), b.begin() + static_cast<long>(at + 8 + size));
        at += 8 + size + (size & 1);
    }
    throw std::runtime_error("no data chunk");
}

struct TuneCase {
    const char *file;
    double minSec, maxSec;
};

void PrintTo(const TuneCase &c, std::ostream *os) { *os << c.file; }

class TuneFile : public ::testing::TestWithParam<TuneCase> {};

TEST_P(TuneFile, parsesAsStandardMidiWithTempoProgramsMelodyAndAccompaniment) {
    const auto all = soundgen::allSounds();
    Bytes bytes = soundNamed(all, GetParam().file).bytes;
    if (std::string(GetParam().file).ends_with(".rmi")) bytes = unwrapRmi(bytes);

    Midi midi;
    ASSERT_NO_THROW(midi = readMidi(bytes));
    EXPECT_TRUE(midi.format == 0 || midi.format == 1);
    EXPECT_GT(midi.division, 0);
    EXPECT_LT(midi.division, 0x8000) << "ticks per quarter, not SMPTE";

    bool hasTempo = false;
    std::vector<int> programChannels;
    std::set<int> noteChannels;
    std::size_t mostNotes = 0;
    for (const auto &track : midi.tracks) {
        for (const MidiEvent &e : track) {
            hasTempo |= e.status == 0xFF && e.metaType == 0x51 && e.data.size() == 3;
            if ((e.status & 0xF0) == 0xC0) programChannels.push_back(e.status & 0x0F);
        }
        std::vector<PlayedNote> notes;
        ASSERT_NO_THROW(notes = notesOf(track));
        for (const PlayedNote &n : notes) {
            EXPECT_GT(n.end, n.start) << "note of zero length";
            noteChannels.insert(n.channel);
        }
        mostNotes = std::max(mostNotes, notes.size());
    }
    EXPECT_TRUE(hasTempo);
    EXPECT_GE(programChannels.size(), 2u) << "melody and accompaniment choose their instruments";
    EXPECT_GE(noteChannels.size(), 2u) << "a melody and at least one accompanying part";
    EXPECT_GE(mostNotes, 30u) << "a melody of some length";
    for (int ch : noteChannels) {
        if (ch == 9) continue;  // percussion needs no program
        EXPECT_NE(std::find(programChannels.begin(), programChannels.end(), ch), programChannels.end())
            << "channel " << ch << " plays without a program change";
    }

    const double seconds = midiSeconds(midi);
    EXPECT_GE(seconds, GetParam().minSec);
    EXPECT_LE(seconds, GetParam().maxSec);
}

INSTANTIATE_TEST_SUITE_P(AllTunes, TuneFile,
                         ::testing::Values(TuneCase{"passport.mid", 15, 25}, TuneCase{"Canyon.mid", 15, 20},
                                           TuneCase{"bahha.rmi", 12, 30}),
                         [](const auto &info) {
                             std::string name = info.param.file;
                             return name.substr(0, name.find('.'));
                         });

TEST(Tunes, rouletteTuneLoopsOnWholeBarsWithNothingHangingOver) {
    const Midi m = readMidi(soundNamed(soundgen::allSounds(), "Canyon.mid").bytes);
    std::optional<std::uint32_t> end;
    int beatsPerBar = 4;
    for (const auto &track : m.tracks) {
        for (const MidiEvent &e : track)
            if (e.status == 0xFF && e.metaType == 0x58) beatsPerBar = e.data.at(0);
        const std::uint32_t trackEnd = track.back().tick;
        if (end) {
            EXPECT_EQ(trackEnd, *end) << "all tracks stop together";
        }
        end = trackEnd;
        for (const PlayedNote &n : notesOf(track)) EXPECT_LE(n.end, trackEnd);
    }
    ASSERT_TRUE(end);
    EXPECT_EQ(*end % (static_cast<std::uint32_t>(m.division) * beatsPerBar), 0u) << "length is a whole number of bars";

    // the tune is busy right up to the loop point: notes start in the last beat
    bool lateNote = false;
    for (const auto &track : m.tracks)
        for (const PlayedNote &n : notesOf(track)) lateNote |= n.start + m.division >= *end;
    EXPECT_TRUE(lateNote);
}

TEST(Midi, deltaTimesUseVariableLengthQuantities) {
    // the examples given with the MIDI file format
    const std::vector<std::pair<std::uint32_t, Bytes>> known = {
        {0x00, {0x00}},
        {0x7F, {0x7F}},
        {0x80, {0x81, 0x00}},
        {0x2000, {0xC0, 0x00}},
        {0x3FFF, {0xFF, 0x7F}},
        {0x4000, {0x81, 0x80, 0x00}},
        {0x1FFFFF, {0xFF, 0xFF, 0x7F}},
        {0x200000, {0x81, 0x80, 0x80, 0x00}},
        {0x0FFFFFFF, {0xFF, 0xFF, 0xFF, 0x7F}},
    };
    for (const auto &[value, bytes] : known) EXPECT_EQ(soundgen::encodeVlq(value), bytes) << value;
    EXPECT_THROW(soundgen::encodeVlq(0x10000000), std::out_of_range);

    for (std::uint32_t v = 0; v < 0x0FFFFFFF; v = v * 3 + 1) {
        const Bytes enc = soundgen::encodeVlq(v);
        std::size_t at = 0;
        EXPECT_EQ(readVlq(enc, at, enc.size()), v);
        EXPECT_EQ(at, enc.size());
    }
}

TEST(Midi, notesComeBackAtTheirTicksAcrossLongGaps) {
    soundgen::Song song;
    song.title = "gaps";
    song.microsPerQuarter = 400000;
    song.lengthTicks = 40000;
    soundgen::Track t;
    t.name = "t";
    t.channel = 3;
    t.program = 40;
    t.gatePercent = 100;
    // gaps below and above 128 ticks and above 16384, and two notes of the
    // same key back to back, given out of order
    t.notes = {{100, 100, 60, 90}, {0, 100, 60, 90}, {300, 240, 64, 80}, {20000, 480, 67, 70}};
    song.tracks.push_back(t);

    const Midi m = readMidi(soundgen::encodeMidi(song));
    ASSERT_EQ(m.tracks.size(), 2u);
    EXPECT_EQ(m.tracks[0].back().tick, 40000u);
    EXPECT_EQ(m.tracks[1].back().tick, 40000u);
    EXPECT_DOUBLE_EQ(midiSeconds(m), 40000.0 / m.division * 0.4);
    std::vector<PlayedNote> notes;
    ASSERT_NO_THROW(notes = notesOf(m.tracks[1]));
    ASSERT_EQ(notes.size(), t.notes.size());
    std::swap(t.notes[0], t.notes[1]);
    for (std::size_t i = 0; i < notes.size(); ++i) {
        EXPECT_EQ(notes[i].start, t.notes[i].startTick);
        EXPECT_EQ(notes[i].end, t.notes[i].startTick + t.notes[i].lengthTicks);
        EXPECT_EQ(notes[i].key, t.notes[i].key);
        EXPECT_EQ(notes[i].channel, 3);
    }
}

TEST(Midi, noteListsReadKeysLengthsChordsAndRests) {
    using soundgen::kTicksPerQuarter;
    const auto notes = soundgen::parseNotes("C4:4 | A4:8. r:8 C4+E4+G4:2 Bb3:16 F#5:1", 77, 10);
    ASSERT_EQ(notes.size(), 7u);
    EXPECT_EQ(notes[0].key, 60);  // middle C
    EXPECT_EQ(notes[1].key, 69);  // A 440
    EXPECT_EQ(notes[1].lengthTicks, kTicksPerQuarter * 3 / 4);
    // the chord starts after quarter + dotted eighth + eighth rest, all three keys together
    for (int i = 2; i <= 4; ++i) {
        EXPECT_EQ(notes[i].startTick, 10 + kTicksPerQuarter * 9 / 4);
        EXPECT_EQ(notes[i].lengthTicks, kTicksPerQuarter * 2);
    }
    EXPECT_EQ(notes[5].key, 58);
    EXPECT_EQ(notes[6].key, 78);
    EXPECT_EQ(notes[6].startTick, notes[5].startTick + kTicksPerQuarter / 4);
    for (const auto &n : notes) EXPECT_EQ(n.velocity, 77);
    EXPECT_EQ(soundgen::notesLength("C4:4 | A4:8. r:8 C4+E4+G4:2 Bb3:16 F#5:1"),
              notes.back().startTick + notes.back().lengthTicks - 10);

    for (const char *bad : {"C4", "H4:4", "C4:3", "C:4", "C4:", "C4+:4", "x:4"})
        EXPECT_THROW(soundgen::parseNotes(bad, 64), std::invalid_argument) << bad;
}

TEST(Rmi, wrapperGivesBackTheExactMidiBytes) {
    for (std::size_t length : {0u, 1u, 2u, 7u, 300u}) {
        Bytes midi(length);
        for (std::size_t i = 0; i < length; ++i) midi[i] = static_cast<std::uint8_t>(i * 37 + 5);
        const Bytes rmi = soundgen::wrapRmi(midi);
        Bytes back;
        ASSERT_NO_THROW(back = unwrapRmi(rmi)) << length;
        EXPECT_EQ(back, midi);
    }
    const auto all = soundgen::allSounds();
    EXPECT_EQ(unwrapRmi(soundNamed(all, "bahha.rmi").bytes), soundgen::encodeMidi(soundgen::historySong()));
}

// ------------------------------------------------------------------ program

QByteArray readAll(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

TEST(SoundgenProgram, writesAllSevenFilesIntoTheFolder) {
    QTemporaryDir tmp;
    ASSERT_TRUE(tmp.isValid());
    const QString out = tmp.filePath("run/sounds");  // created on the way
    QProcess p;
    p.start(QStringLiteral(SOUNDGEN_EXE), {out});
    ASSERT_TRUE(p.waitForFinished(60000));
    EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();

    const auto all = soundgen::allSounds();
    ASSERT_EQ(all.size(), 7u);
    QStringList expected;
    for (const auto &file : all) {
        expected << QString::fromStdString(file.name);
        const QByteArray onDisk = readAll(QDir(out).filePath(QString::fromStdString(file.name)));
        EXPECT_EQ(Bytes(onDisk.begin(), onDisk.end()), file.bytes) << file.name;
    }
    QStringList names = QDir(out).entryList(QDir::Files, QDir::Name);
    expected.sort();
    EXPECT_EQ(names, expected);
    for (const char *name : {"pinpon.wav", "endpinpon.wav", "Chimes.wav", "Chimes2.wav", "passport.mid",
                             "Canyon.mid", "bahha.rmi"})
        EXPECT_TRUE(names.contains(QString::fromLatin1(name))) << name;
}

TEST(SoundgenProgram, failsWithAMessageWhenTheFolderCannotBeMade) {
    QTemporaryDir tmp;
    ASSERT_TRUE(tmp.isValid());
    // a plain file where a folder should be: refused even when run as root
    const QString blocker = tmp.filePath("not-a-folder");
    {
        QFile f(blocker);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("x");
    }
    for (const QString &target : {blocker, blocker + "/sounds"}) {
        QProcess p;
        p.start(QStringLiteral(SOUNDGEN_EXE), {target});
        ASSERT_TRUE(p.waitForFinished(60000));
        EXPECT_NE(p.exitCode(), 0) << target.toStdString();
        EXPECT_FALSE(p.readAllStandardError().trimmed().isEmpty());
    }

    QProcess usage;
    usage.start(QStringLiteral(SOUNDGEN_EXE), {});
    ASSERT_TRUE(usage.waitForFinished(60000));
    EXPECT_NE(usage.exitCode(), 0);
    EXPECT_TRUE(usage.readAllStandardError().contains("usage"));
}

}  // namespace
