#include "tools/synth/Synth.h"

#include "tools/synth/Analysis.h"
#include "util/Assert.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <deque>
#include <thread>

namespace synth {

namespace {

constexpr double pi = 3.14159265358979323846;
constexpr double twoPi = 2.0 * pi;
constexpr double rate = sampleRate;

double midiHz(double note)
{
    return 440.0 * std::pow(2.0, (note - 69.0) / 12.0);
}

// xorshift32 white noise in -1..1.
struct Noise {
    uint32_t state;
    explicit Noise(uint32_t seed) : state(seed ? seed : 0x9e3779b9u) {}
    float next()
    {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return static_cast<float>(state >> 8) * (1.0f / 8388608.0f) - 1.0f;
    }
};

uint32_t seedFor(uint32_t instrument, int64_t frame)
{
    uint32_t h = instrument * 0x9e3779b1u ^ static_cast<uint32_t>(frame * 2654435761u);
    h ^= h >> 15;
    h *= 0x85ebca6bu;
    h ^= h >> 13;
    return h | 1u;
}

double polyBlep(double t, double dt)
{
    if (t < dt) {
        t /= dt;
        return t + t - t * t - 1.0;
    }
    if (t > 1.0 - dt) {
        t = (t - 1.0) / dt;
        return t * t + t + t + 1.0;
    }
    return 0.0;
}

// Band-limited sawtooth with its own phase.
struct Saw {
    double phase = 0.0;
    double next(double hz)
    {
        double dt = hz / rate;
        double v = 2.0 * phase - 1.0 - polyBlep(phase, dt);
        phase += dt;
        if (phase >= 1.0)
            phase -= 1.0;
        return v;
    }
};

// Band-limited pulse of the given duty.
struct Pulse {
    double phase = 0.0;
    double next(double hz, double duty)
    {
        double dt = hz / rate;
        double second = phase + duty;
        if (second >= 1.0)
            second -= 1.0;
        double v = (2.0 * phase - 1.0 - polyBlep(phase, dt)) - (2.0 * second - 1.0 - polyBlep(second, dt));
        phase += dt;
        if (phase >= 1.0)
            phase -= 1.0;
        return v;
    }
};

// Trapezoidal state-variable filter; the cutoff may change every sample.
struct Svf {
    double ic1 = 0.0, ic2 = 0.0;
    double a1 = 0.0, a2 = 0.0, a3 = 0.0, k = 1.0;
    double low = 0.0, band = 0.0, high = 0.0;
    void tune(double hz, double q)
    {
        hz = std::clamp(hz, 20.0, rate * 0.45);
        double g = std::tan(pi * hz / rate);
        k = 1.0 / q;
        a1 = 1.0 / (1.0 + g * (g + k));
        a2 = g * a1;
        a3 = g * a2;
    }
    void run(double v0)
    {
        double v3 = v0 - ic2;
        double v1 = a1 * ic1 + a2 * v3;
        double v2 = ic2 + a2 * ic1 + a3 * v3;
        ic1 = 2.0 * v1 - ic1;
        ic2 = 2.0 * v2 - ic2;
        low = v2;
        band = v1;
        high = v0 - k * v1 - v2;
    }
};

// exp(-t / tau) sample by sample, without calling exp.
struct Decay {
    double value = 1.0, factor;
    explicit Decay(double tau) : factor(std::exp(-1.0 / (tau * rate))) {}
    double next()
    {
        double v = value;
        value *= factor;
        return v;
    }
};

// Constant-power pan: -1 left, 0 centre, 1 right.
void panGains(double pan, float& l, float& r)
{
    double a = (pan + 1.0) * pi / 4.0;
    l = static_cast<float>(std::cos(a) * std::sqrt(2.0));
    r = static_cast<float>(std::sin(a) * std::sqrt(2.0));
}

// Linear attack, then full level until the release starts at `hold` seconds.
double gate(double t, double attack, double hold, double release)
{
    double v = t < attack ? t / attack : 1.0;
    if (t > hold)
        v *= std::max(0.0, 1.0 - (t - hold) / release);
    return v;
}

struct Bus {
    size_t frames;
    std::vector<float> left, right, reverb, echo;
    explicit Bus(size_t n) : frames(n), left(n), right(n), reverb(n), echo(n) {}
};

// Chords: a bass root and four pad notes (MIDI numbers).
struct Chord {
    int root;
    int notes[4];
};
const Chord chordAm = {33, {55, 57, 60, 64}};
const Chord chordF = {29, {53, 57, 60, 65}};
const Chord chordC = {36, {55, 60, 64, 67}};
const Chord chordG = {31, {55, 59, 62, 67}};

// Notes of A minor, for the bass's approach notes and the lead's harmony.
bool inScale(int note)
{
    static const bool member[12] = {true, false, true, true, false, true, false, true, true, false, true, false};
    return member[((note - 57) % 12 + 12) % 12];
}

int scaleStep(int note, int steps)
{
    while (steps < 0) {
        do
            --note;
        while (!inScale(note));
        ++steps;
    }
    while (steps > 0) {
        do
            ++note;
        while (!inScale(note));
        --steps;
    }
    return note;
}

struct MelodyNote {
    double beat;
    double beats;
    int note;
};

// Four bars over A minor, F, C, G: a call and its answer.
const MelodyNote phraseA[] = {
    {0, 1.5, 76},  {1.5, 0.5, 74}, {2, 1, 72},    {3, 0.5, 74},   {3.5, 0.5, 76},
    {4, 1, 69},    {5, 1, 72},     {6, 1.5, 77},  {7.5, 0.5, 76}, {8, 1.5, 76},
    {9.5, 0.5, 74}, {10, 1, 72},   {11, 1, 67},   {12, 1, 71},    {13, 1, 74},
    {14, 1.5, 79}, {15.5, 0.5, 74},
};
const MelodyNote phraseB[] = {
    {0, 1.5, 81},  {1.5, 0.5, 79}, {2, 1.5, 76}, {3.5, 0.5, 74}, {4, 1, 72},
    {5, 0.5, 69},  {5.5, 0.5, 72}, {6, 2, 77},   {8, 1, 79},     {9, 1, 76},
    {10, 1, 72},   {11, 1, 76},    {12, 3, 74},  {15, 0.5, 71},  {15.5, 0.5, 74},
};
// The breakdown's slow line over F, G, A minor, A minor.
const MelodyNote phraseSlow[] = {
    {0, 2, 72}, {2, 2, 69}, {4, 2, 71}, {6, 2, 74}, {8, 3, 76}, {11, 1, 74}, {12, 2, 72}, {14, 2, 71},
};

// What every part of a section needs to know of one of its bars.
struct Bar {
    int index;        // in the section
    double b0;        // its first beat, from the start of the piece
    double progress;  // of the section, 0 at its first bar
    bool last;        // of the section
    bool drums;       // the drums play
    bool rolling;     // in the riser's snare roll
    int rollBars;     // the roll's length
    int intoRoll;     // bars since the roll started
    int beats;        // beats of the bar that play
    const Chord* chord;
};

// What a renderer plays: the kick's times only, the drums, bass and arpeggio, or the pads and lead.
enum Group : unsigned { timing = 1, rhythm = 2, harmony = 4 };

// Plays the arrangement's parts of its groups into its bus. Renderers of
// different groups may play at the same time into different buses.
class Renderer {
public:
    Renderer(const Arrangement& a, Bus& bus, std::vector<float>& kickEnvelope, unsigned groups)
        : arrangement(a), beatFrames(60.0 * rate / a.tempo), bus(bus), kickEnvelope(kickEnvelope), groups(groups)
    {
    }

    void play()
    {
        for (size_t k = 0; k < arrangement.sections.size(); ++k)
            playSection(arrangement.sections[k], k ? &arrangement.sections[k - 1] : nullptr);
    }
    // After a timing play: the envelope the pads and the bass duck by.
    void buildKickEnvelope();
    void mixSends();
    void applyFades();
    void master(const MixTarget& target);

private:
    int64_t frameAt(double beat) const { return static_cast<int64_t>(std::llround(beat * beatFrames)); }
    // Frames of a voice of n frames from at that lie on the bus.
    int64_t room(int64_t at, int64_t n) const
    {
        return std::clamp<int64_t>(static_cast<int64_t>(bus.frames) - at, 0, std::max<int64_t>(n, 0));
    }
    const Chord& chordFor(const Section& s, int bar) const;

    void kick(int64_t at, double velocity);
    void snare(int64_t at, double velocity);
    void hat(int64_t at, double velocity, double decay);
    void crash(int64_t at);
    void riser(int64_t from, int64_t to);
    void bassNote(int64_t at, int64_t length, int note, double cutoff, double velocity);
    void padChord(int64_t at, int64_t length, const Chord& chord, double cutoffFrom, double cutoffTo,
                  double duck);
    void arpNote(int64_t at, int note, double cutoff, double pan, double velocity);
    void leadNote(int64_t at, int64_t length, int note, int fromNote, double brightness, double gain,
                  bool soft);

    void playSection(const Section& s, const Section* previous);
    // One part in one bar of a section; the lead plays whole phrases.
    void kickBar(const Section& s, const Bar& bar);
    void snareBar(const Section& s, const Bar& bar);
    void rollBar(const Bar& bar);
    void hatsBar(const Section& s, const Bar& bar);
    void bassBar(const Section& s, const Bar& bar);
    void padBar(const Section& s, const Bar& bar);
    void arpBar(const Section& s, const Bar& bar);
    void leadSection(const Section& s);

    const Arrangement& arrangement;
    double beatFrames;
    Bus& bus;
    std::vector<float>& kickEnvelope;
    unsigned groups;
    std::vector<int64_t> kicks;
};

const Chord& Renderer::chordFor(const Section& s, int bar) const
{
    static const Chord* const main[4] = {&chordAm, &chordF, &chordC, &chordG};
    static const Chord* const turn[4] = {&chordF, &chordG, &chordAm, &chordAm};
    static const Chord* const ending[4] = {&chordF, &chordG, &chordC, &chordC};
    if (s.has("halftime"))
        return *turn[bar % 4];
    if (s.has("fadeout") && bar >= s.bars - 4)
        return *ending[bar - (s.bars - 4)];
    return *main[bar % 4];
}

void Renderer::kick(int64_t at, double velocity)
{
    if (groups & timing)
        kicks.push_back(at);
    if (!(groups & rhythm))
        return;
    Noise noise(seedFor(1, at));
    const int n = static_cast<int>(0.5 * rate);
    double phase = 0.0;
    Decay sweep(0.03), body(0.26), tick(0.003);
    Svf clickFilter;
    clickFilter.tune(2500.0, 0.7);
    for (int64_t i = 0, end = room(at, n); i < end; ++i) {
        double t = i / rate;
        phase += (46.0 + 130.0 * sweep.next()) / rate;
        double tone = std::sin(twoPi * phase) * std::min(1.0, t / 0.0015) * body.next();
        clickFilter.run(noise.next());
        double click = clickFilter.low * 0.5 * tick.next();
        float s = static_cast<float>(std::tanh(1.7 * (tone + click)) * 0.6 * velocity);
        bus.left[at + i] += s;
        bus.right[at + i] += s;
    }
}

void Renderer::snare(int64_t at, double velocity)
{
    if (!(groups & rhythm))
        return;
    Noise a(seedFor(2, at)), b(seedFor(3, at)), c(seedFor(4, at));
    Svf fl, fr;
    fl.tune(1400.0, 0.7);
    fr.tune(1400.0, 0.7);
    // The noise stops short of the top octave, which the encoder handles worst.
    Svf tl, tr;
    tl.tune(7000.0, 0.7);
    tr.tune(7000.0, 0.7);
    const int n = static_cast<int>(0.45 * rate);
    double phase = 0.0;
    Decay drop(0.01), bodyDecay(0.05), tailDecay(0.14);
    for (int64_t i = 0, end = room(at, n); i < end; ++i) {
        double t = i / rate;
        phase += 185.0 * (1.0 + 0.5 * drop.next()) / rate;
        double body = std::sin(twoPi * phase) * bodyDecay.next();
        // A clap's three quick bursts ahead of the noise tail.
        double burst = t < 0.03 ? std::exp(-std::fmod(t, 0.01) / 0.003) : 0.0;
        double tail = tailDecay.next();
        double env = std::max(burst * 0.8, tail) * std::min(1.0, t / 0.0008);
        double common = a.next();
        fl.run(0.7 * common + 0.3 * b.next());
        fr.run(0.7 * common + 0.3 * c.next());
        tl.run(fl.high);
        tr.run(fr.high);
        double l = (0.45 * body + 0.6 * tl.low * env) * velocity;
        double r = (0.45 * body + 0.6 * tr.low * env) * velocity;
        bus.left[at + i] += static_cast<float>(l);
        bus.right[at + i] += static_cast<float>(r);
        bus.reverb[at + i] += static_cast<float>(0.3 * (l + r));
    }
}

void Renderer::hat(int64_t at, double velocity, double decay)
{
    if (!(groups & rhythm))
        return;
    Noise noise(seedFor(5, at));
    Svf f;
    f.tune(7500.0, 0.8);
    Svf top;
    top.tune(13000.0, 0.7);
    float gl, gr;
    panGains(0.3, gl, gr);
    const int n = static_cast<int>(std::min(0.6, decay * 6.0) * rate);
    Decay fall(decay);
    for (int64_t i = 0, end = room(at, n); i < end; ++i) {
        double t = i / rate;
        f.run(noise.next());
        top.run(f.high);
        double s = top.low * fall.next() * std::min(1.0, t / 0.0005) * 0.3 * velocity;
        bus.left[at + i] += static_cast<float>(s * gl);
        bus.right[at + i] += static_cast<float>(s * gr);
        bus.reverb[at + i] += static_cast<float>(0.05 * s);
    }
}

void Renderer::crash(int64_t at)
{
    if (!(groups & rhythm))
        return;
    Noise a(seedFor(6, at)), b(seedFor(7, at));
    Svf fl, fr;
    fl.tune(4500.0, 0.7);
    fr.tune(4500.0, 0.7);
    const int n = static_cast<int>(3.0 * rate);
    Decay fall(0.8);
    for (int64_t i = 0, end = room(at, n); i < end; ++i) {
        double t = i / rate;
        fl.run(a.next());
        fr.run(b.next());
        double env = fall.next() * std::min(1.0, t / 0.002) * 0.2;
        bus.left[at + i] += static_cast<float>(fl.high * env);
        bus.right[at + i] += static_cast<float>(fr.high * env);
        bus.reverb[at + i] += static_cast<float>(0.15 * env * (fl.high + fr.high));
    }
}

void Renderer::riser(int64_t from, int64_t to)
{
    if (!(groups & rhythm))
        return;
    Noise a(seedFor(8, from)), b(seedFor(9, from));
    Svf fl, fr;
    const int64_t n = to - from;
    for (int64_t i = 0, end = room(from, n); i < end; ++i) {
        double x = static_cast<double>(i) / n;
        if (i % 16 == 0) {
            double hz = 300.0 * std::pow(30.0, x);
            fl.tune(hz, 2.5);
            fr.tune(hz * 1.07, 2.5);
        }
        fl.run(a.next());
        fr.run(b.next());
        double env = 0.22 * x * x;
        bus.left[from + i] += static_cast<float>(fl.band * env);
        bus.right[from + i] += static_cast<float>(fr.band * env);
        bus.reverb[from + i] += static_cast<float>(0.4 * env * (fl.band + fr.band));
    }
}

void Renderer::bassNote(int64_t at, int64_t length, int note, double cutoff, double velocity)
{
    if (!(groups & rhythm))
        return;
    Saw s1, s2;
    s2.phase = 0.37;
    Svf f1, f2;
    const double hz = midiHz(note);
    const double hold = static_cast<double>(length) / rate;
    const int n = static_cast<int>((hold + 0.03) * rate);
    Decay pluck(0.08), level(0.1);
    Saw sine;  // its phase drives the sine under the saws
    for (int64_t i = 0, end = room(at, n); i < end; ++i) {
        double t = i / rate;
        double p = pluck.next();
        if (i % 16 == 0) {
            double fc = cutoff + 1400.0 * velocity * p;
            f1.tune(fc, 0.9);
            f2.tune(fc, 0.6);
        }
        double osc = 0.5 * (s1.next(hz * 1.003) + s2.next(hz * 0.997)) + 0.5 * std::sin(twoPi * sine.phase);
        sine.phase += hz / rate;
        if (sine.phase >= 1.0)
            sine.phase -= 1.0;
        f1.run(osc);
        f2.run(f1.low);
        double env = gate(t, 0.003, hold, 0.03) * (0.75 + 0.25 * level.next());
        double duck = 1.0 - 0.35 * kickEnvelope[at + i];
        float s = static_cast<float>(f2.low * env * duck * 0.25 * velocity);
        bus.left[at + i] += s;
        bus.right[at + i] += s;
    }
}

void Renderer::padChord(int64_t at, int64_t length, const Chord& chord, double cutoffFrom, double cutoffTo,
                        double duckDepth)
{
    if (!(groups & harmony))
        return;
    static const double detune[3] = {-0.09, 0.0, 0.09};  // semitones
    static const double pans[3] = {-0.7, 0.0, 0.7};
    Saw saws[4][3];
    float gl[3], gr[3];
    double hz[4][3];
    for (int v = 0; v < 3; ++v)
        panGains(pans[v], gl[v], gr[v]);
    for (int k = 0; k < 4; ++k)
        for (int v = 0; v < 3; ++v) {
            hz[k][v] = midiHz(chord.notes[k] + detune[v]);
            saws[k][v].phase = std::fmod(0.13 * (k * 3 + v) + 0.071 * chord.notes[k], 1.0);
        }
    Svf fl, fr;
    const double hold = static_cast<double>(length) / rate;
    const int n = static_cast<int>((hold + 0.9) * rate);
    Decay fade(0.25);
    for (int64_t i = 0, end = room(at, n); i < end; ++i) {
        double t = i / rate;
        if (i % 32 == 0) {
            double x = std::min(1.0, t / hold);
            double fc = (cutoffFrom + (cutoffTo - cutoffFrom) * x) * (1.0 + 0.15 * std::sin(twoPi * 0.2 * (at + i) / rate));
            fl.tune(fc, 0.8);
            fr.tune(fc * 1.04, 0.8);
        }
        double l = 0.0, r = 0.0;
        for (int k = 0; k < 4; ++k)
            for (int v = 0; v < 3; ++v) {
                double s = saws[k][v].next(hz[k][v]);
                l += s * gl[v];
                r += s * gr[v];
            }
        fl.run(l);
        fr.run(r);
        double env = std::min(1.0, t / 0.35);
        if (t > hold)
            env *= fade.next();
        env *= (1.0 - duckDepth * kickEnvelope[at + i]) * 0.06;
        float ol = static_cast<float>(fl.low * env), orr = static_cast<float>(fr.low * env);
        bus.left[at + i] += ol;
        bus.right[at + i] += orr;
        bus.reverb[at + i] += 0.35f * (ol + orr);
    }
}

void Renderer::arpNote(int64_t at, int note, double cutoff, double pan, double velocity)
{
    if (!(groups & rhythm))
        return;
    Pulse osc;
    Svf f;
    float gl, gr;
    panGains(pan, gl, gr);
    const double hz = midiHz(note);
    const int n = static_cast<int>(0.4 * rate);
    Decay pluck(0.04), fall(0.1);
    for (int64_t i = 0, end = room(at, n); i < end; ++i) {
        double t = i / rate;
        double p = pluck.next();
        if (i % 16 == 0)
            f.tune(cutoff * (0.6 + 1.6 * p), 1.4);
        f.run(osc.next(hz, 0.32));
        double env = std::min(1.0, t / 0.002) * fall.next() * 0.14 * velocity;
        double s = f.low * env;
        bus.left[at + i] += static_cast<float>(s * gl);
        bus.right[at + i] += static_cast<float>(s * gr);
        bus.echo[at + i] += static_cast<float>(0.4 * s);
        bus.reverb[at + i] += static_cast<float>(0.15 * s);
    }
}

void Renderer::leadNote(int64_t at, int64_t length, int note, int fromNote, double brightness, double gain,
                        bool soft)
{
    if (!(groups & harmony))
        return;
    Saw a, b;
    Pulse sub;
    b.phase = 0.5;
    Svf f;
    const double target = note, start = fromNote > 0 ? fromNote : note;
    const double hold = static_cast<double>(length) / rate;
    const double release = soft ? 0.5 : 0.2;
    const int n = static_cast<int>((hold + release) * rate);
    Decay glide(0.025), pluck(0.15), level(0.2);
    double hz = midiHz(start);
    for (int64_t i = 0, end = room(at, n); i < end; ++i) {
        double t = i / rate;
        double g = glide.next(), p = pluck.next();
        if (i % 16 == 0) {
            double pitch = target + (start - target) * g;
            double vibrato = std::min(1.0, std::max(0.0, (t - 0.25) / 0.3)) * 0.12 * std::sin(twoPi * 5.5 * t);
            hz = midiHz(pitch + vibrato);
            f.tune(brightness * (1.0 + (soft ? 0.3 : 1.5) * p), soft ? 0.7 : 1.1);
        }
        double osc = a.next(hz * 1.004) + b.next(hz * 0.996) + 0.35 * sub.next(hz * 0.5, 0.5);
        f.run(osc);
        double attack = soft ? 0.08 : 0.008;
        double env = std::min(1.0, t / attack) * (0.8 + 0.2 * level.next());
        if (t > hold)
            env *= std::max(0.0, 1.0 - (t - hold) / release);
        double s = f.low * env * gain * 0.2;
        bus.left[at + i] += static_cast<float>(s);
        bus.right[at + i] += static_cast<float>(s);
        bus.echo[at + i] += static_cast<float>(0.3 * s);
        bus.reverb[at + i] += static_cast<float>((soft ? 0.5 : 0.3) * s);
    }
}

void Renderer::playSection(const Section& s, const Section* previous)
{
    const int bpb = arrangement.beatsPerBar;
    const double first = static_cast<double>(s.startBar) * bpb;
    const bool riserOn = s.has("riser"), fadeout = s.has("fadeout");
    const int rollBars = std::max(2, s.bars / 4);

    if (s.has("kick") && (!previous || previous->has("riser") || !previous->has("kick")))
        crash(frameAt(first));
    if (riserOn)
        riser(frameAt(first + s.bars * bpb / 2.0), frameAt(first + s.bars * bpb));

    for (int index = 0; index < s.bars; ++index) {
        Bar bar;
        bar.index = index;
        bar.b0 = first + index * bpb;
        bar.progress = static_cast<double>(index) / s.bars;
        bar.last = index == s.bars - 1;
        bar.drums = !(fadeout && index >= s.bars / 2);
        bar.rolling = riserOn && index >= s.bars - rollBars;
        bar.rollBars = rollBars;
        bar.intoRoll = index - (s.bars - rollBars);
        // A riser leaves the last beat of its section empty.
        bar.beats = riserOn && bar.last ? bpb - 1 : bpb;
        bar.chord = &chordFor(s, index);

        if (s.has("kick") && bar.drums)
            kickBar(s, bar);
        if (s.has("snare") && bar.drums && !bar.rolling)
            snareBar(s, bar);
        if (bar.rolling)
            rollBar(bar);
        if (s.has("hats") && bar.drums)
            hatsBar(s, bar);
        if (s.has("bass") && !(fadeout && index >= s.bars - 2))
            bassBar(s, bar);
        if (s.has("pad"))
            padBar(s, bar);
        if (s.has("arp") && !(fadeout && index >= s.bars - 2))
            arpBar(s, bar);
    }
    if (s.has("lead"))
        leadSection(s);
}

void Renderer::kickBar(const Section& s, const Bar& bar)
{
    if (s.has("halftime")) {
        kick(frameAt(bar.b0), 0.8);
        kick(frameAt(bar.b0 + arrangement.beatsPerBar * 0.625), 0.6);
        return;
    }
    for (int beat = 0; beat < bar.beats; ++beat)
        kick(frameAt(bar.b0 + beat), 1.0);
}

void Renderer::snareBar(const Section& s, const Bar& bar)
{
    const int bpb = arrangement.beatsPerBar;
    if (s.has("halftime")) {
        snare(frameAt(bar.b0 + bpb / 2.0), 0.8);
        return;
    }
    for (int beat = 1; beat < bar.beats; beat += 2)
        snare(frameAt(bar.b0 + beat), 1.0);
    // A fill on the last beat, into the next section.
    if (bar.last && s.has("lead"))
        for (int k = 0; k < 4; ++k)
            snare(frameAt(bar.b0 + bpb - 1 + k * 0.25), 0.45 + 0.15 * k);
}

void Renderer::rollBar(const Bar& bar)
{
    // The riser's snare roll: quarter beats, then eighths, then sixteenths.
    const int bpb = arrangement.beatsPerBar;
    const double rollBeats = static_cast<double>(bar.rollBars) * bpb;
    for (double beat = 0; beat < bar.beats; beat += 0.25) {
        const double at = bar.intoRoll * bpb + beat;  // beats into the roll
        const double step = at < rollBeats / 2.0 ? 1.0 : (at < rollBeats * 0.85 ? 0.5 : 0.25);
        if (std::fmod(at, step) > 1e-9)
            continue;
        snare(frameAt(bar.b0 + beat), 0.2 + 0.8 * at / rollBeats);
    }
}

void Renderer::hatsBar(const Section& s, const Bar& bar)
{
    if (s.has("halftime")) {
        for (int k = 0; k < bar.beats * 2; ++k)
            hat(frameAt(bar.b0 + k * 0.5), k % 2 ? 0.5 : 0.8, 0.03);
    } else if (s.has("snare")) {
        static const double accents[4] = {0.55, 0.3, 0.9, 0.3};
        const bool lift = s.has("lift");
        for (int k = 0; k < bar.beats * 4; ++k) {
            if (lift && k % 4 == 2)
                hat(frameAt(bar.b0 + k * 0.25), 0.8, 0.16);
            else
                hat(frameAt(bar.b0 + k * 0.25), accents[k % 4], 0.025);
        }
    } else {
        for (int beat = 0; beat < bar.beats; ++beat)
            hat(frameAt(bar.b0 + beat + 0.5), 0.7 + 0.3 * bar.progress, 0.06);
    }
}

void Renderer::bassBar(const Section& s, const Bar& bar)
{
    const bool halftime = s.has("halftime");
    const Chord& chord = *bar.chord;
    double cutoff = halftime ? 160.0 : s.has("lift") ? 480.0 : 380.0;
    if (s.has("riser"))
        cutoff = 220.0 + 700.0 * bar.progress;
    if (s.has("fadeout"))
        cutoff = 380.0 - 180.0 * bar.progress;
    if (halftime) {
        const double half = arrangement.beatsPerBar / 2.0;
        const int64_t length = std::max<int64_t>(frameAt(half) - 2000, frameAt(half) / 2);
        bassNote(frameAt(bar.b0), length, chord.root + 12, cutoff, 0.5);
        bassNote(frameAt(bar.b0 + half), length, chord.root + 19, cutoff, 0.45);
        return;
    }
    // Eighth notes; the last of every other bar leads to the next chord.
    static const int pattern[8] = {0, 0, 12, 0, 0, 12, 7, 12};
    const Chord& next = chordFor(s, bar.index + 1);
    int approach = next.root + 11;
    while (!inScale(approach))
        --approach;
    const int eighths = bar.beats * 2;
    for (int k = 0; k < eighths; ++k) {
        int note = chord.root + pattern[k % 8];
        if (k == eighths - 1 && bar.index % 2 == 1)
            note = approach;
        bassNote(frameAt(bar.b0 + k * 0.5), static_cast<int64_t>(0.42 * beatFrames), note, cutoff,
                 k % 2 ? 0.8 : 1.0);
    }
}

void Renderer::padBar(const Section& s, const Bar& bar)
{
    const int bpb = arrangement.beatsPerBar;
    const bool fadeout = s.has("fadeout");
    const double progress = bar.progress;
    double from = 2600.0, to = 2600.0, duck = s.has("kick") ? 0.5 : 0.0;
    if (s.has("fadein")) {
        from = 400.0 + 1800.0 * progress;
        to = from + 1800.0 / s.bars;
    } else if (s.has("riser")) {
        from = 700.0 + 3000.0 * progress;
        to = from + 3000.0 / s.bars;
    } else if (s.has("halftime")) {
        from = to = 1000.0;
    } else if (s.has("lift")) {
        from = to = 2800.0;
    } else if (fadeout) {
        from = 2000.0 - 1200.0 * progress;
        to = from - 1200.0 / s.bars;
    }
    // The last chord of a fadeout is held over its last two bars.
    if (fadeout && bar.index == s.bars - 2)
        padChord(frameAt(bar.b0), frameAt(2 * bpb), *bar.chord, from, 500.0, 0.0);
    else if (!(fadeout && bar.index == s.bars - 1))
        padChord(frameAt(bar.b0), frameAt(bpb), *bar.chord, from, to, duck);
}

void Renderer::arpBar(const Section& s, const Bar& bar)
{
    const bool halftime = s.has("halftime"), lift = s.has("lift");
    const double progress = bar.progress;
    double cutoff = lift ? 4200.0 : 3000.0;
    if (s.has("fadein"))
        cutoff = 500.0 + 2500.0 * progress;
    else if (s.has("riser"))
        cutoff = 1000.0 + 5000.0 * progress;
    else if (halftime)
        cutoff = 1100.0;
    else if (s.has("fadeout"))
        cutoff = 3000.0 - 2200.0 * progress;
    static const int order[8] = {0, 1, 2, 3, 4, 3, 2, 1};
    const Chord& chord = *bar.chord;
    const int tones[5] = {chord.notes[1] + 12, chord.notes[2] + 12, chord.notes[3] + 12, chord.notes[1] + 24,
                          chord.notes[2] + 24};
    const double step = halftime ? 0.5 : 0.25;
    const int count = static_cast<int>(bar.beats / step);
    for (int k = 0; k < count; ++k) {
        double velocity = (k % 4 == 0 ? 1.0 : 0.7) * (lift ? 1.1 : 1.0);
        arpNote(frameAt(bar.b0 + k * step), tones[order[k % 8]], cutoff, k % 2 ? 0.35 : -0.35, velocity);
    }
}

void Renderer::leadSection(const Section& s)
{
    // In the breakdown the slow line enters halfway; elsewhere the two phrases
    // alternate. A phrase lasts sixteen beats, whatever the bar.
    const int bpb = arrangement.beatsPerBar;
    const bool halftime = s.has("halftime"), lift = s.has("lift");
    const int phraseBeats = 16;
    const double first = static_cast<double>(s.startBar) * bpb;
    int phrase = 0;
    for (int beat = halftime ? (s.bars / 2) * bpb : 0; beat + phraseBeats <= s.bars * bpb;
         beat += phraseBeats, ++phrase) {
        const MelodyNote* notes = halftime ? phraseSlow : (phrase % 2 ? phraseB : phraseA);
        const size_t count = halftime ? std::size(phraseSlow) : (phrase % 2 ? std::size(phraseB) : std::size(phraseA));
        const double b0 = first + beat;
        int previousNote = -1;
        for (size_t k = 0; k < count; ++k) {
            const MelodyNote& m = notes[k];
            int64_t at = frameAt(b0 + m.beat);
            int64_t length = frameAt(m.beats) - 1500;
            double brightness = halftime ? 1500.0 : lift ? 3800.0 : 2800.0;
            leadNote(at, length, m.note, previousNote, brightness, halftime ? 0.8 : 1.0, halftime);
            if (lift) {
                leadNote(at, length, m.note + 12, previousNote > 0 ? previousNote + 12 : -1, brightness, 0.35, false);
                leadNote(at, length, scaleStep(m.note, -2), -1, brightness * 0.8, 0.45, false);
            }
            previousNote = m.note;
        }
    }
}

void Renderer::buildKickEnvelope()
{
    // How far the kick pushes the pads and the bass down: a fast dip and a smooth return.
    std::sort(kicks.begin(), kicks.end());
    size_t next = 0;
    int64_t last = -1;
    Decay dip(0.11);
    dip.value = 0.0;
    for (size_t i = 0; i < bus.frames; ++i) {
        while (next < kicks.size() && kicks[next] <= static_cast<int64_t>(i))
            last = kicks[next++];
        // Look ahead a little so that the dip is down when the kick lands.
        int64_t ahead = next < kicks.size() ? kicks[next] - static_cast<int64_t>(i) : 1000000;
        if (static_cast<int64_t>(i) == last)
            dip.value = 1.0;
        double v = dip.next();
        if (ahead < 200)
            v = std::max(v, 1.0 - ahead / 200.0);
        kickEnvelope[i] = static_cast<float>(v);
    }
}

// A plain Schroeder-Moorer reverb: eight damped combs and four allpasses a side.
class Reverb {
public:
    Reverb()
    {
        static const int combs[8] = {1116, 1188, 1277, 1356, 1422, 1491, 1557, 1617};
        static const int allpasses[4] = {556, 441, 341, 225};
        for (int side = 0; side < 2; ++side) {
            for (int k = 0; k < 8; ++k)
                comb[side][k].buffer.assign(combs[k] + side * 23, 0.0f);
            for (int k = 0; k < 4; ++k)
                allpass[side][k].buffer.assign(allpasses[k] + side * 23, 0.0f);
        }
    }
    void run(float in, float& outL, float& outR)
    {
        float input = in * 0.015f;
        float out[2];
        for (int side = 0; side < 2; ++side) {
            float sum = 0.0f;
            for (Comb& c : comb[side])
                sum += c.run(input);
            for (Allpass& a : allpass[side])
                sum = a.run(sum);
            out[side] = sum;
        }
        outL = out[0];
        outR = out[1];
    }

private:
    struct Comb {
        std::vector<float> buffer;
        size_t at = 0;
        float store = 0.0f;
        float run(float in)
        {
            float out = buffer[at];
            store = out * 0.7f + store * 0.3f;
            buffer[at] = in + store * 0.86f;
            if (++at == buffer.size())
                at = 0;
            return out;
        }
    };
    struct Allpass {
        std::vector<float> buffer;
        size_t at = 0;
        float run(float in)
        {
            float held = buffer[at];
            buffer[at] = in + held * 0.5f;
            if (++at == buffer.size())
                at = 0;
            return held - in;
        }
    };
    Comb comb[2][8];
    Allpass allpass[2][4];
};

void Renderer::mixSends()
{
    // Ping-pong echo at a dotted eighth, darker with every repeat; it feeds the reverb too.
    const size_t delay = static_cast<size_t>(std::llround(0.75 * beatFrames));
    std::vector<float> echoL(delay, 0.0f), echoR(delay, 0.0f);
    size_t at = 0;
    float dark = 0.0f;
    Reverb reverb;
    for (size_t i = 0; i < bus.frames; ++i) {
        float outL = echoL[at], outR = echoR[at];
        dark += 0.35f * (outR - dark);
        echoL[at] = bus.echo[i] + 0.42f * dark;
        echoR[at] = outL;
        if (++at == delay)
            at = 0;
        bus.left[i] += 0.8f * outL;
        bus.right[i] += 0.8f * outR;
        float wetL, wetR;
        reverb.run(bus.reverb[i] + 0.2f * (outL + outR), wetL, wetR);
        bus.left[i] += 0.9f * wetL;
        bus.right[i] += 0.9f * wetR;
    }
}

void Renderer::applyFades()
{
    for (const Section& s : arrangement.sections) {
        const int64_t start = arrangement.barFrame(s.startBar, sampleRate);
        const int64_t end = arrangement.barFrame(s.endBar(), sampleRate);
        if (s.has("fadein")) {
            const int64_t length = (end - start) / 2;
            for (int64_t i = 0; i < length; ++i) {
                double x = static_cast<double>(i) / length;
                float g = static_cast<float>(x * x * (3.0 - 2.0 * x));
                bus.left[start + i] *= g;
                bus.right[start + i] *= g;
            }
        }
        if (s.has("fadeout")) {
            const int64_t length = std::min<int64_t>(end - start, frameAt(3.0 * arrangement.beatsPerBar));
            const int64_t from = end - length;
            for (int64_t i = 0; i < length; ++i) {
                double x = 1.0 - static_cast<double>(i) / length;
                float g = static_cast<float>(x * x);
                bus.left[from + i] *= g;
                bus.right[from + i] *= g;
            }
        }
    }
}

void Renderer::master(const MixTarget& target)
{
    // Below the kick's fundamental there is only rumble.
    Svf hl, hr;
    hl.tune(28.0, 0.7);
    hr.tune(28.0, 0.7);
    for (size_t i = 0; i < bus.frames; ++i) {
        hl.run(bus.left[i]);
        hr.run(bus.right[i]);
        bus.left[i] = static_cast<float>(hl.high);
        bus.right[i] = static_cast<float>(hr.high);
    }

    Levels before = measureLevels(bus.left.data(), bus.right.data(), bus.frames, sampleRate);
    const float gain = static_cast<float>(std::pow(10.0, (target.loudness - before.loudness) / 20.0));

    // Look-ahead limiter, done offline: the gain each sample needs, its minimum over
    // the next `window` samples with a slow release, then a moving average over the
    // previous `window` samples. Every sample's gain is at most what it needs.
    const size_t window = static_cast<size_t>(0.004 * rate);
    const size_t n = bus.frames;
    std::vector<float> need(n);
    for (size_t i = 0; i < n; ++i) {
        float peak = std::max(std::fabs(bus.left[i]), std::fabs(bus.right[i])) * gain;
        need[i] = peak > target.ceiling ? static_cast<float>(target.ceiling) / peak : 1.0f;
    }
    std::vector<float> held(n);
    std::deque<size_t> candidates;  // indices with increasing need, the window's minimum first
    for (size_t k = 0; k < n + window; ++k) {
        if (k < n) {
            while (!candidates.empty() && need[candidates.back()] >= need[k])
                candidates.pop_back();
            candidates.push_back(k);
        }
        if (k < window)
            continue;
        size_t i = k - window;
        while (candidates.front() < i)
            candidates.pop_front();
        held[i] = need[candidates.front()];
    }
    const float release = static_cast<float>(1.0 - std::exp(-1.0 / (0.08 * rate)));
    for (size_t i = 1; i < n; ++i)
        held[i] = std::min(held[i], held[i - 1] + (1.0f - held[i - 1]) * release);
    double sum = 0.0;
    for (size_t i = 0; i < n; ++i) {
        sum += held[i];
        if (i >= window)
            sum -= held[i - window];
        double mean = sum / static_cast<double>(std::min(i + 1, window));
        float g = gain * static_cast<float>(mean);
        bus.left[i] *= g;
        bus.right[i] *= g;
    }
    // Rounding in the averaging must not let a sample through above the ceiling.
    for (size_t i = 0; i < n; ++i) {
        bus.left[i] = std::clamp(bus.left[i], -static_cast<float>(target.ceiling), static_cast<float>(target.ceiling));
        bus.right[i] = std::clamp(bus.right[i], -static_cast<float>(target.ceiling), static_cast<float>(target.ceiling));
    }
}

}  // namespace

Rendered renderMusic(const Arrangement& arrangement, const MixTarget& target)
{
    VLM_ASSERT(arrangement.tempo >= music::minTempo && arrangement.tempo <= music::maxTempo &&
               arrangement.beatsPerBar >= 1 && arrangement.beatsPerBar <= music::maxBeatsPerBar &&
               arrangement.totalMs() <= music::maxMs);
    const size_t frames = static_cast<size_t>(arrangement.barFrame(arrangement.totalBars(), sampleRate));
    Bus bus(frames);
    std::vector<float> kickEnvelope(frames);
    {
        // The kick's times come first: the pads and the bass duck under them.
        Renderer kickTimes(arrangement, bus, kickEnvelope, timing);
        kickTimes.play();
        kickTimes.buildKickEnvelope();
    }
    Renderer rhythmPart(arrangement, bus, kickEnvelope, rhythm);
    {
        // The pads and the lead play on a thread of their own into a bus of their own,
        // added once both are done: the sum does not depend on the threads' timing.
        Bus harmonyBus(frames);
        Renderer harmonyPart(arrangement, harmonyBus, kickEnvelope, harmony);
        std::thread harmonyThread([&harmonyPart] { harmonyPart.play(); });
        rhythmPart.play();
        harmonyThread.join();
        for (size_t i = 0; i < frames; ++i) {
            bus.left[i] += harmonyBus.left[i];
            bus.right[i] += harmonyBus.right[i];
            bus.reverb[i] += harmonyBus.reverb[i];
            bus.echo[i] += harmonyBus.echo[i];
        }
    }
    rhythmPart.mixSends();
    rhythmPart.applyFades();
    rhythmPart.master(target);

    Rendered out;
    out.left = std::move(bus.left);
    out.right = std::move(bus.right);
    return out;
}

}  // namespace synth
