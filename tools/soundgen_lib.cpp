// SPDX-License-Identifier: GPL-3.0-or-later
#include "soundgen_lib.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <fstream>
#include <numbers>
#include <stdexcept>
#include <system_error>

namespace soundgen {

namespace {

void putU16(Bytes &out, std::uint16_t v) {
    out.push_back(static_cast<std::uint8_t>(v & 0xFF));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}

void putU32(Bytes &out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>((v >> (8 * i)) & 0xFF));
}

void putU16BE(Bytes &out, std::uint16_t v) {
    out.push_back(static_cast<std::uint8_t>(v >> 8));
    out.push_back(static_cast<std::uint8_t>(v & 0xFF));
}

void putU32BE(Bytes &out, std::uint32_t v) {
    for (int i = 3; i >= 0; --i) out.push_back(static_cast<std::uint8_t>((v >> (8 * i)) & 0xFF));
}

void putTag(Bytes &out, const char (&tag)[5]) { out.insert(out.end(), tag, tag + 4); }

void append(Bytes &out, const Bytes &more) { out.insert(out.end(), more.begin(), more.end()); }

// Raised-cosine ramp from 0 to 1 as x goes from 0 to 1.
double ramp(double x) {
    if (x <= 0.0) return 0.0;
    if (x >= 1.0) return 1.0;
    return 0.5 - 0.5 * std::cos(std::numbers::pi * x);
}

constexpr double kToneFadeSec = 0.008;
constexpr double kBufferFadeSec = 0.012;

}  // namespace

// ================================================================ chimes

std::vector<double> renderTones(const std::vector<Tone> &tones, double totalSec, int sampleRate) {
    const auto total = static_cast<std::size_t>(std::llround(totalSec * sampleRate));
    std::vector<double> out(total, 0.0);
    const double nyquist = sampleRate / 2.0;
    const double dt = 1.0 / sampleRate;

    for (const Tone &tone : tones) {
        std::vector<Partial> partials = tone.partials;
        if (partials.empty()) partials.push_back({1.0, 1.0, 1.0});
        std::vector<double> phase(partials.size(), 0.0);

        const auto first = static_cast<std::size_t>(std::llround(tone.startSec * sampleRate));
        const auto count = static_cast<std::size_t>(std::llround(tone.durationSec * sampleRate));
        const double endHz = tone.glideToHz > 0.0 ? tone.glideToHz : tone.freqHz;
        for (std::size_t i = 0; i < count && first + i < total; ++i) {
            const double t = static_cast<double>(i) * dt;
            const double hz = tone.freqHz + (endHz - tone.freqHz) * (t / tone.durationSec);
            double envelope = ramp(tone.attackSec > 0.0 ? t / tone.attackSec : 1.0);
            envelope *= ramp((tone.durationSec - t) / kToneFadeSec);
            double value = 0.0;
            for (std::size_t k = 0; k < partials.size(); ++k) {
                const Partial &p = partials[k];
                const double f = hz * p.ratio;
                phase[k] += 2.0 * std::numbers::pi * f * dt;
                if (f >= nyquist) continue;
                value += p.amplitude * std::exp(-t * p.decayFactor / tone.decaySec) * std::sin(phase[k]);
            }
            out[first + i] += tone.amplitude * envelope * value;
        }
    }

    const auto fade = static_cast<std::size_t>(kBufferFadeSec * sampleRate);
    for (std::size_t i = 0; i < fade && i < total; ++i)
        out[total - 1 - i] *= ramp(static_cast<double>(i) / static_cast<double>(fade));
    return out;
}

std::vector<std::int16_t> toPcm16(const std::vector<double> &samples, double peak) {
    double largest = 0.0;
    for (double s : samples) largest = std::max(largest, std::abs(s));
    std::vector<std::int16_t> out(samples.size(), 0);
    if (largest == 0.0) return out;
    const double scale = peak * 32767.0 / largest;
    for (std::size_t i = 0; i < samples.size(); ++i) {
        const double v = std::clamp(std::round(samples[i] * scale), -32767.0, 32767.0);
        out[i] = static_cast<std::int16_t>(v);
    }
    return out;
}

Bytes encodeWav(const std::vector<std::int16_t> &samples, int sampleRate) {
    const auto dataSize = static_cast<std::uint32_t>(samples.size() * 2);
    Bytes out;
    out.reserve(44 + dataSize);
    putTag(out, "RIFF");
    putU32(out, 36 + dataSize);
    putTag(out, "WAVE");
    putTag(out, "fmt ");
    putU32(out, 16);
    putU16(out, 1);  // PCM
    putU16(out, 1);  // mono
    putU32(out, static_cast<std::uint32_t>(sampleRate));
    putU32(out, static_cast<std::uint32_t>(sampleRate) * 2);  // bytes per second
    putU16(out, 2);                                           // bytes per frame
    putU16(out, 16);                                          // bits per sample
    putTag(out, "data");
    putU32(out, dataSize);
    for (std::int16_t s : samples) putU16(out, static_cast<std::uint16_t>(s));
    return out;
}

namespace {

// A struck bar or small bell: a strong fundamental, a few overtones that
// die away faster, and a short bright "tick" at the strike.
std::vector<Partial> bellPartials() {
    return {{1.0, 1.0, 1.0}, {2.0, 0.35, 2.0}, {3.0, 0.15, 3.0}, {4.2, 0.10, 5.0}, {6.8, 0.08, 14.0}};
}

// Glockenspiel-like: the stretched overtones of a free metal bar.
std::vector<Partial> glockPartials() {
    return {{1.0, 1.0, 1.0}, {2.76, 0.30, 2.5}, {5.40, 0.12, 5.0}, {8.93, 0.05, 9.0}};
}

// A reedy buzz: strong odd harmonics plus a slightly detuned copy of the
// fundamental that beats against it.
std::vector<Partial> buzzPartials() {
    return {{1.0, 1.0, 1.0},  {1.012, 0.45, 1.0}, {2.0, 0.35, 1.2}, {3.0, 0.55, 1.2},
            {4.0, 0.20, 1.5}, {5.0, 0.35, 1.5},   {7.0, 0.22, 2.0}, {9.0, 0.12, 2.5}};
}

constexpr double kE6 = 1318.51, kC6 = 1046.50, kG6 = 1567.98, kG5 = 783.99, kC7 = 2093.00;

}  // namespace

Chime pinponChime() {
    Chime c;
    c.totalSec = 0.6;
    // "pin": a high, short bell
    c.tones.push_back({0.0, 0.6, kE6, 1.0, 0.16, 0.002, 0.0, bellPartials()});
    // "pon": a major third lower, ringing a little longer
    c.tones.push_back({0.19, 0.41, kC6, 1.0, 0.20, 0.002, 0.0, bellPartials()});
    return c;
}

Chime endPinponChime() {
    Chime c;
    c.totalSec = 0.9;
    const double pitches[] = {kG6, kE6, kC6, kG5};
    for (int i = 0; i < 4; ++i) {
        const double start = 0.13 * i;
        const bool last = i == 3;
        c.tones.push_back(
            {start, c.totalSec - start, pitches[i], last ? 1.1 : 0.9, last ? 0.26 : 0.15, 0.002, 0.0, bellPartials()});
    }
    return c;
}

Chime rightChime() {
    Chime c;
    c.totalSec = 0.8;
    const double pitches[] = {kC6, kE6, kG6, kC7};
    for (int i = 0; i < 4; ++i) {
        const double start = 0.075 * i;
        const bool last = i == 3;
        c.tones.push_back(
            {start, c.totalSec - start, pitches[i], last ? 0.9 : 0.7, last ? 0.22 : 0.14, 0.003, 0.0, glockPartials()});
    }
    // a soft body under the top note: the tonic two octaves down and its fifth
    c.tones.push_back({0.225, 0.575, kC6 / 2.0, 0.25, 0.25, 0.01, 0.0, {}});
    c.tones.push_back({0.225, 0.575, kG5, 0.12, 0.20, 0.01, 0.0, {}});
    return c;
}

Chime wrongChime() {
    Chime c;
    c.totalSec = 0.7;
    // Two low buzzes, the second a tritone down and sagging in pitch.
    c.tones.push_back({0.0, 0.30, 233.08, 1.0, 0.5, 0.006, 228.0, buzzPartials()});
    c.tones.push_back({0.30, 0.40, 164.81, 1.0, 0.45, 0.006, 146.0, buzzPartials()});
    return c;
}

Bytes chimeWav(const Chime &chime) { return encodeWav(toPcm16(renderTones(chime.tones, chime.totalSec))); }

// ================================================================ tunes

namespace {

std::uint32_t durationTicks(std::string_view text) {
    bool dotted = false;
    if (!text.empty() && text.back() == '.') {
        dotted = true;
        text.remove_suffix(1);
    }
    int denominator = 0;
    for (char ch : text) {
        if (!std::isdigit(static_cast<unsigned char>(ch))) throw std::invalid_argument("bad duration");
        denominator = denominator * 10 + (ch - '0');
        if (denominator > 64) throw std::invalid_argument("bad duration");
    }
    // whole, half, quarter, ... down to a 64th
    if (denominator == 0 || (denominator & (denominator - 1)) != 0) throw std::invalid_argument("bad duration");
    std::uint32_t ticks = 4u * kTicksPerQuarter / static_cast<std::uint32_t>(denominator);
    if (dotted) ticks += ticks / 2;
    return ticks;
}

std::uint8_t keyNumber(std::string_view name) {
    static constexpr int kPitchClass[] = {9, 11, 0, 2, 4, 5, 7};  // A B C D E F G
    if (name.empty() || name[0] < 'A' || name[0] > 'G') throw std::invalid_argument("bad key");
    int pc = kPitchClass[name[0] - 'A'];
    name.remove_prefix(1);
    if (!name.empty() && (name[0] == '#' || name[0] == 'b')) {
        pc += name[0] == '#' ? 1 : -1;
        name.remove_prefix(1);
    }
    if (name.empty() || name.size() > 1 || !std::isdigit(static_cast<unsigned char>(name[0])))
        throw std::invalid_argument("bad octave");
    const int key = 12 * (name[0] - '0' + 1) + pc;
    if (key < 0 || key > 127) throw std::invalid_argument("key out of range");
    return static_cast<std::uint8_t>(key);
}

template <typename Fn>
void forEachToken(std::string_view text, Fn fn) {
    std::size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && (std::isspace(static_cast<unsigned char>(text[i])) || text[i] == '|')) ++i;
        std::size_t j = i;
        while (j < text.size() && !std::isspace(static_cast<unsigned char>(text[j])) && text[j] != '|') ++j;
        if (j > i) fn(text.substr(i, j - i));
        i = j;
    }
}

}  // namespace

std::vector<Note> parseNotes(std::string_view text, std::uint8_t velocity, std::uint32_t startTick) {
    std::vector<Note> notes;
    std::uint32_t tick = startTick;
    forEachToken(text, [&](std::string_view token) {
        const auto colon = token.find(':');
        if (colon == std::string_view::npos || colon == 0)
            throw std::invalid_argument("note without length: " + std::string(token));
        const std::string_view keys = token.substr(0, colon);
        const std::uint32_t length = durationTicks(token.substr(colon + 1));
        if (keys != "r") {
            std::size_t k = 0;
            while (k <= keys.size()) {
                const auto plus = std::min(keys.find('+', k), keys.size());
                notes.push_back({tick, length, keyNumber(keys.substr(k, plus - k)), velocity});
                k = plus + 1;
            }
        }
        tick += length;
    });
    return notes;
}

std::uint32_t notesLength(std::string_view text) {
    std::uint32_t total = 0;
    forEachToken(text, [&](std::string_view token) {
        const auto colon = token.find(':');
        if (colon == std::string_view::npos) throw std::invalid_argument("note without length");
        total += durationTicks(token.substr(colon + 1));
    });
    return total;
}

Bytes encodeVlq(std::uint32_t value) {
    if (value > 0x0FFFFFFF) throw std::out_of_range("delta time too large for a MIDI file");
    Bytes groups;
    do {
        groups.push_back(static_cast<std::uint8_t>(value & 0x7F));
        value >>= 7;
    } while (value != 0);
    Bytes out(groups.rbegin(), groups.rend());
    for (std::size_t i = 0; i + 1 < out.size(); ++i) out[i] |= 0x80;
    return out;
}

namespace {

struct Event {
    std::uint32_t tick;
    int order;  // at one tick: set-up first, then note-offs, then note-ons
    Bytes bytes;
};

Bytes metaEvent(std::uint8_t type, const Bytes &data) {
    Bytes out{0xFF, type};
    append(out, encodeVlq(static_cast<std::uint32_t>(data.size())));
    append(out, data);
    return out;
}

Bytes metaText(std::uint8_t type, const std::string &text) { return metaEvent(type, Bytes(text.begin(), text.end())); }

Bytes trackChunk(std::vector<Event> events, std::uint32_t endTick) {
    std::stable_sort(events.begin(), events.end(), [](const Event &a, const Event &b) {
        return a.tick != b.tick ? a.tick < b.tick : a.order < b.order;
    });
    Bytes body;
    std::uint32_t now = 0;
    for (const Event &e : events) {
        append(body, encodeVlq(e.tick - now));
        append(body, e.bytes);
        now = e.tick;
    }
    append(body, encodeVlq(std::max(endTick, now) - now));
    append(body, metaEvent(0x2F, {}));

    Bytes chunk;
    putTag(chunk, "MTrk");
    putU32BE(chunk, static_cast<std::uint32_t>(body.size()));
    append(chunk, body);
    return chunk;
}

}  // namespace

Bytes encodeMidi(const Song &song) {
    if (song.tracks.size() + 1 > 0xFFFF) throw std::length_error("too many tracks");
    Bytes out;
    putTag(out, "MThd");
    putU32BE(out, 6);
    putU16BE(out, 1);  // format 1: simultaneous tracks
    putU16BE(out, static_cast<std::uint16_t>(song.tracks.size() + 1));
    putU16BE(out, kTicksPerQuarter);

    std::vector<Event> conductor;
    conductor.push_back({0, 0, metaText(0x03, song.title)});
    conductor.push_back({0, 0, metaEvent(0x58, {song.beatsPerBar, 2, 24, 8})});
    const std::uint32_t tempo = song.microsPerQuarter;
    conductor.push_back({0, 0,
                         metaEvent(0x51, {static_cast<std::uint8_t>(tempo >> 16), static_cast<std::uint8_t>(tempo >> 8),
                                          static_cast<std::uint8_t>(tempo)})});
    append(out, trackChunk(std::move(conductor), song.lengthTicks));

    for (const Track &track : song.tracks) {
        const std::uint8_t ch = track.channel & 0x0F;
        std::vector<Event> events;
        events.push_back({0, 0, metaText(0x03, track.name)});
        events.push_back({0, 0, {static_cast<std::uint8_t>(0xB0 | ch), 7, track.volume}});
        events.push_back({0, 0, {static_cast<std::uint8_t>(0xB0 | ch), 10, track.pan}});
        events.push_back({0, 0, {static_cast<std::uint8_t>(0xC0 | ch), track.program}});
        for (const Note &n : track.notes) {
            const std::uint32_t sounding = std::max<std::uint32_t>(1, n.lengthTicks * track.gatePercent / 100);
            events.push_back({n.startTick, 2, {static_cast<std::uint8_t>(0x90 | ch), n.key, n.velocity}});
            events.push_back({n.startTick + sounding, 1, {static_cast<std::uint8_t>(0x80 | ch), n.key, 64}});
        }
        append(out, trackChunk(std::move(events), song.lengthTicks));
    }
    return out;
}

Bytes wrapRmi(const Bytes &midi) {
    const bool pad = midi.size() % 2 != 0;
    Bytes out;
    out.reserve(20 + midi.size() + 1);
    putTag(out, "RIFF");
    putU32(out, static_cast<std::uint32_t>(4 + 8 + midi.size() + (pad ? 1 : 0)));
    putTag(out, "RMID");
    putTag(out, "data");
    putU32(out, static_cast<std::uint32_t>(midi.size()));
    append(out, midi);
    if (pad) out.push_back(0);
    return out;
}

double songSeconds(const Song &song) {
    return static_cast<double>(song.lengthTicks) / kTicksPerQuarter * song.microsPerQuarter / 1e6;
}

namespace {

std::string join(std::initializer_list<const char *> bars) {
    std::string out;
    for (const char *bar : bars) {
        out += bar;
        out += " | ";
    }
    return out;
}

Track part(std::string name, std::uint8_t channel, std::uint8_t program, std::uint8_t volume, std::uint8_t pan,
           std::uint8_t gate, const std::string &notes, std::uint8_t velocity) {
    Track t;
    t.name = std::move(name);
    t.channel = channel;
    t.program = program;
    t.volume = volume;
    t.pan = pan;
    t.gatePercent = gate;
    t.notes = parseNotes(notes, velocity);
    return t;
}

void addNotes(Track &track, const std::string &notes, std::uint8_t velocity) {
    const auto more = parseNotes(notes, velocity);
    track.notes.insert(track.notes.end(), more.begin(), more.end());
}

std::uint32_t microsFromBpm(int bpm) { return static_cast<std::uint32_t>(60'000'000 / bpm); }

}  // namespace

// Title tune: F major, 132 beats a minute, twelve bars of 4/4. An ocarina
// sings over a marimba that answers on the off-beats and a plucked bass.
Song titleSong() {
    const std::string melody = join({
        "A4:8 C5:8 F5:4 E5:8 F5:8 G5:4",
        "A5:4. G5:8 F5:4 D5:4",
        "D5:8 F5:8 Bb5:4 A5:8 G5:8 F5:4",
        "G5:4. A5:8 G5:2",
        "A4:8 C5:8 F5:4 E5:8 F5:8 A5:4",
        "C6:4. Bb5:8 A5:4 E5:4",
        "F5:8 G5:8 A5:8 Bb5:8 A5:4 G5:4",
        "F5:2. r:4",
        "D5:4 F5:8 D5:8 Bb5:4 A5:4",
        "G5:4 E5:8 C5:8 G5:4 F5:8 E5:8",
        "F5:4 A5:8 F5:8 E5:4 G5:4",
        "F5:2. r:4",
    });
    const char *F = "F4+A4+C5", *Dm = "F4+A4+D5", *Bb = "F4+Bb4+D5", *C = "E4+G4+C5", *Am = "E4+A4+C5",
               *Gm = "G4+Bb4+D5", *C7 = "E4+G4+Bb4";
    auto offbeats = [](const char *first, const char *second) {
        return std::string("r:4 ") + first + ":4 r:4 " + second + ":4 | ";
    };
    std::string chords;
    for (const char *c : {F, Dm, Bb, C, F, Am}) chords += offbeats(c, c);
    chords += offbeats(Bb, C);
    chords += offbeats(F, F);
    chords += offbeats(Bb, Bb);
    chords += offbeats(C, C);
    chords += offbeats(Gm, C7);
    chords += std::string(F) + ":2. r:4";

    const std::string bass = join({
        "F2:4 r:4 C3:4 r:4",
        "D2:4 r:4 A2:4 r:4",
        "Bb1:4 r:4 F2:4 r:4",
        "C2:4 r:4 G2:4 r:4",
        "F2:4 r:4 C3:4 r:4",
        "A1:4 r:4 E2:4 r:4",
        "Bb1:4 r:4 C2:4 r:4",
        "F2:4 r:4 C3:4 r:4",
        "Bb1:4 r:4 F2:4 r:4",
        "C2:4 r:4 G2:4 r:4",
        "G1:4 r:4 C2:4 r:4",
        "F2:2. r:4",
    });

    Song s;
    s.title = "Pomurin Title";
    s.microsPerQuarter = microsFromBpm(132);
    s.beatsPerBar = 4;
    s.lengthTicks = notesLength(melody);
    s.tracks.push_back(part("Melody", 0, 79, 110, 64, 88, melody, 100));  // ocarina
    s.tracks.push_back(part("Chords", 1, 12, 80, 44, 60, chords, 70));    // marimba
    s.tracks.push_back(part("Bass", 2, 33, 100, 84, 80, bass, 90));       // finger bass
    return s;
}

// Roulette tune: A minor, 150 beats a minute, twelve bars of 4/4 over a
// driving bass and drums. It closes on the dominant (E) so that it runs
// straight back into its first bar when played again.
Song rouletteSong() {
    const std::string melody = join({
        "A4:8 A4:8 C5:8 A4:8 E5:4 D5:8 C5:8",
        "B4:8 C5:8 B4:8 A4:8 E4:2",
        "A4:8 A4:8 C5:8 A4:8 F5:4 E5:8 D5:8",
        "D5:8 E5:8 D5:8 C5:8 B4:2",
        "E5:8 E5:8 A5:8 E5:8 G5:4 F5:8 E5:8",
        "F5:8 E5:8 D5:8 C5:8 E5:2",
        "F5:8 F5:8 A5:8 F5:8 E5:4 D5:8 C5:8",
        "B4:4 G#4:4 E4:2",
        "D5:8 F5:8 A5:4 G5:8 F5:8 E5:4",
        "C5:8 E5:8 A5:4 G#5:8 A5:8 B5:4",
        "C6:4 A5:8 F5:8 D5:4 C5:8 D5:8",
        "E5:4 G#4:4 B4:4 E5:4",
    });
    // chord roots bar by bar: Am Am F G Am Am F E Dm Am F E
    const char *roots[] = {"A2", "A2", "F2", "G2", "A2", "A2", "F2", "E2", "D2", "A2", "F2", "E2"};
    const char *uppers[] = {"A3", "A3", "F3", "G3", "A3", "A3", "F3", "E3", "D3", "A3", "F3", "E3"};
    const char *fifths[] = {"E3", "E3", "C3", "D3", "E3", "E3", "C3", "B2", "A2", "E3", "C3", "B2"};
    std::string bass;
    for (int bar = 0; bar < 12; ++bar) {
        const std::string r = roots[bar], u = uppers[bar], f = fifths[bar];
        bass += r + ":8 " + r + ":8 " + u + ":8 " + r + ":8 " + f + ":8 " + r + ":8 " + u + ":8 " + f + ":8 | ";
    }
    const char *pads[] = {"A3+C4+E4", "A3+C4+E4",  "A3+C4+F4", "B3+D4+G4", "A3+C4+E4", "A3+C4+E4",
                          "A3+C4+F4", "B3+E4+G#4", "A3+D4+F4", "A3+C4+E4", "A3+C4+F4", "B3+E4+G#4"};
    std::string pad;
    for (const char *p : pads) pad += std::string(p) + ":1 | ";

    // General MIDI percussion: C2 kick, D2 snare, F#2 closed hi-hat, C#3 crash.
    std::string kick, snare, hats;
    for (int bar = 0; bar < 12; ++bar) {
        kick += "C2:4 r:8 C2:8 C2:4 r:4 | ";
        hats += "F#2:8 F#2:8 F#2:8 F#2:8 F#2:8 F#2:8 F#2:8 F#2:8 | ";
        snare += bar == 11 ? "r:4 D2:4 r:4 D2:16 D2:16 D2:16 D2:16 | " : "r:4 D2:4 r:4 D2:4 | ";
    }

    Song s;
    s.title = "Pomurin Roulette";
    s.microsPerQuarter = microsFromBpm(150);
    s.beatsPerBar = 4;
    s.lengthTicks = notesLength(melody);
    s.tracks.push_back(part("Lead", 0, 80, 92, 64, 80, melody, 100));  // square lead
    s.tracks.push_back(part("Pad", 1, 48, 62, 40, 98, pad, 60));       // strings
    s.tracks.push_back(part("Bass", 2, 38, 100, 64, 70, bass, 92));    // synth bass
    Track drums = part("Drums", 9, 0, 96, 64, 50, kick, 100);
    addNotes(drums, snare, 90);
    addNotes(drums, hats, 60);
    addNotes(drums, "C#3:1", 80);  // a crash on the downbeat, also when looping
    s.tracks.push_back(std::move(drums));
    return s;
}

// History tune: a gentle waltz in C major, 108 beats a minute, twelve bars
// of 3/4, ending in a rising run to the top C.
Song historySong() {
    const std::string melody = join({
        "E5:2 G5:4",
        "A5:4. G5:8 E5:4",
        "F5:2 A5:4",
        "G5:2.",
        "E5:4 G5:4 C6:4",
        "B5:4. A5:8 G5:4",
        "A5:4 F5:4 D5:4",
        "C5:2.",
        "A5:4 C6:4 A5:4",
        "G5:4. E5:8 C5:4",
        "D5:8 E5:8 F5:8 G5:8 A5:8 B5:8",
        "C6:2.",
    });
    const char *C = "C4+E4+G4", *Am = "C4+E4+A4", *F = "C4+F4+A4", *G = "B3+D4+G4", *Em = "B3+E4+G4", *G7 = "B3+F4+G4";
    auto waltz = [](const char *chord) { return std::string("r:4 ") + chord + ":4 " + chord + ":4 | "; };
    std::string chords;
    for (const char *c : {C, Am, F, G, C, Em}) chords += waltz(c);
    chords += std::string("r:4 ") + F + ":4 " + G + ":4 | ";
    chords += waltz(C);
    chords += waltz(F);
    chords += waltz(C);
    chords += waltz(G7);
    chords += "C4+E4+G4+C5:2. | ";

    const std::string bass = join({
        "C3:4 r:2",
        "A2:4 r:2",
        "F2:4 r:2",
        "G2:4 r:2",
        "C3:4 r:2",
        "E2:4 r:2",
        "F2:4 r:4 G2:4",
        "C3:4 r:2",
        "F2:4 r:2",
        "C3:4 r:2",
        "G2:4 r:2",
        "C2:2.",
    });

    Song s;
    s.title = "Pomurin History";
    s.microsPerQuarter = microsFromBpm(108);
    s.beatsPerBar = 3;
    s.lengthTicks = notesLength(melody);
    s.tracks.push_back(part("Melody", 0, 73, 105, 64, 92, melody, 92));  // flute
    s.tracks.push_back(part("Harp", 1, 46, 85, 40, 85, chords, 64));     // harp
    s.tracks.push_back(part("Bass", 2, 32, 95, 84, 90, bass, 84));       // acoustic bass
    return s;
}

// ================================================================ output

std::vector<SoundFile> allSounds() {
    return {
        {"pinpon.wav", chimeWav(pinponChime())},
        {"endpinpon.wav", chimeWav(endPinponChime())},
        {"Chimes.wav", chimeWav(rightChime())},
        {"Chimes2.wav", chimeWav(wrongChime())},
        {"passport.mid", encodeMidi(titleSong())},
        {"Canyon.mid", encodeMidi(rouletteSong())},
        {"bahha.rmi", wrapRmi(encodeMidi(historySong()))},
    };
}

bool writeAllSounds(const std::filesystem::path &dir, std::string &error) {
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    if (ec || !std::filesystem::is_directory(dir)) {
        error = "cannot create directory " + dir.string() + (ec ? ": " + ec.message() : "");
        return false;
    }
    for (const SoundFile &file : allSounds()) {
        const auto path = dir / file.name;
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        if (out) {
            out.write(reinterpret_cast<const char *>(file.bytes.data()),
                      static_cast<std::streamsize>(file.bytes.size()));
            out.close();
        }
        if (!out) {
            error = "cannot write " + path.string();
            return false;
        }
    }
    return true;
}

}  // namespace soundgen
