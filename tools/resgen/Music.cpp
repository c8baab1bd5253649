#include "tools/resgen/Music.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include <lame.h>

#include "tools/resgen/Random.h"
#include "tools/resgen/VecMath.h"

namespace resgen {

namespace {

constexpr double kSr = kSampleRate;

double MidiHz(double note)
{
    return 440.0 * std::pow(2.0, (note - 69.0) / 12.0);
}

size_t BeatSample(double beat)
{
    return static_cast<size_t>(std::llround(beat * kBeatSeconds * kSr));
}

double PolyBlep(double t, double dt)
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

// Band-limited sawtooth and square with polyBLEP correction at the discontinuities.
struct Oscillator {
    double phase = 0;
    double Saw(double hz)
    {
        double dt = hz / kSr;
        double v = 2.0 * phase - 1.0 - PolyBlep(phase, dt);
        phase += dt;
        if (phase >= 1.0)
            phase -= 1.0;
        return v;
    }
    double Square(double hz, double width = 0.5)
    {
        double dt = hz / kSr;
        double v = phase < width ? 1.0 : -1.0;
        v += PolyBlep(phase, dt);
        double t2 = phase - width;
        if (t2 < 0)
            t2 += 1.0;
        v -= PolyBlep(t2, dt);
        phase += dt;
        if (phase >= 1.0)
            phase -= 1.0;
        return v;
    }
    double Sine(double hz)
    {
        double v = std::sin(2 * kPi * phase);
        phase += hz / kSr;
        if (phase >= 1.0)
            phase -= 1.0;
        return v;
    }
};

// Topology-preserving state-variable low-pass filter: stable under fast cutoff sweeps.
struct LowPass {
    double ic1 = 0, ic2 = 0;
    double lastCutoff = -1, lastResonance = -1, a1 = 0, a2 = 0, a3 = 0;
    double Process(double x, double cutoff, double resonance)
    {
        cutoff = Clamp(cutoff, 20.0, kSr * 0.45);
        // The tangent is the costly part; small cutoff moves reuse the last coefficients.
        if (std::fabs(cutoff - lastCutoff) > cutoff * 0.003 || resonance != lastResonance) {
            double g = std::tan(kPi * cutoff / kSr);
            double k = 2.0 - 2.0 * Clamp(resonance, 0.0, 0.95);
            a1 = 1.0 / (1.0 + g * (g + k));
            a2 = g * a1;
            a3 = g * a2;
            lastCutoff = cutoff;
            lastResonance = resonance;
        }
        double v3 = x - ic2;
        double v1 = a1 * ic1 + a2 * v3;
        double v2 = ic2 + a2 * ic1 + a3 * v3;
        ic1 = 2 * v1 - ic1;
        ic2 = 2 * v2 - ic2;
        return v2;
    }
};

struct Adsr {
    double attack, decay, sustain, release;
    // Level at time t after note-on for a note held for `held` seconds.
    double At(double t, double held) const
    {
        auto level = [&](double x) {
            if (x < attack)
                return x / attack;
            x -= attack;
            if (x < decay)
                return 1.0 - (1.0 - sustain) * (x / decay);
            return sustain;
        };
        if (t < held)
            return level(t);
        double r = t - held;
        if (r >= release)
            return 0.0;
        return level(held) * (1.0 - r / release);
    }
    double Length(double held) const { return held + release; }
};

class Mixer {
public:
    explicit Mixer(size_t frames) : left(frames, 0.0), right(frames, 0.0) {}
    void Add(size_t i, double v, double pan)
    {  // pan -1..1
        if (i >= left.size())
            return;
        double a = (pan + 1) * 0.25 * kPi;
        left[i] += v * std::cos(a);
        right[i] += v * std::sin(a);
    }
    std::vector<double> left, right;
};

// ---- instruments ---------------------------------------------------------------------------

void Kick(Mixer& m, double beat, double gain)
{
    size_t start = BeatSample(beat);
    double phase = 0;
    for (size_t i = 0; i < static_cast<size_t>(0.45 * kSr); ++i) {
        double t = i / kSr;
        double hz = 45.0 + 110.0 * std::exp(-t * 30.0);
        phase += hz / kSr;
        double body = std::sin(2 * kPi * phase) * std::exp(-t * 7.0);
        double click = (t < 0.004 ? (1.0 - t / 0.004) : 0.0) * 0.5;
        m.Add(start + i, std::tanh((body + click) * 1.6) * gain, 0.0);
    }
}

void Snare(Mixer& m, Random& rng, double beat, double gain)
{
    size_t start = BeatSample(beat);
    LowPass lp;
    Oscillator tone;
    double prev = 0;
    for (size_t i = 0; i < static_cast<size_t>(0.3 * kSr); ++i) {
        double t = i / kSr;
        double n = rng.Range(-1, 1);
        double hp = n - prev;  // brighten the noise
        prev = n;
        double noise = lp.Process(hp, 7000.0, 0.2) * std::exp(-t * 16.0);
        double body = tone.Sine(185.0 + 40 * std::exp(-t * 40)) * std::exp(-t * 25.0);
        m.Add(start + i, (noise * 0.9 + body * 0.6) * gain, 0.1);
    }
}

void Hat(Mixer& m, Random& rng, double beat, double gain, bool open, double pan)
{
    size_t start = BeatSample(beat);
    double decay = open ? 9.0 : 55.0;
    double prev = 0, prev2 = 0;
    for (size_t i = 0; i < static_cast<size_t>((open ? 0.35 : 0.08) * kSr); ++i) {
        double t = i / kSr;
        double n = rng.Range(-1, 1);
        double hp = n - 2 * prev + prev2;  // second difference: a crude high-pass
        prev2 = prev;
        prev = n;
        m.Add(start + i, hp * 0.35 * std::exp(-t * decay) * gain, pan);
    }
}

void Crash(Mixer& m, Random& rng, double beat, double gain)
{
    size_t start = BeatSample(beat);
    double prevL = 0, prevR = 0;
    for (size_t i = 0; i < static_cast<size_t>(2.2 * kSr); ++i) {
        double t = i / kSr;
        double env = std::exp(-t * 2.2) * gain * 0.25;
        double nl = rng.Range(-1, 1), nr = rng.Range(-1, 1);
        if (start + i < m.left.size()) {
            m.left[start + i] += (nl - prevL) * env;
            m.right[start + i] += (nr - prevR) * env;
        }
        prevL = nl;
        prevR = nr;
    }
}

// A rising filtered-noise sweep over [fromBeat, toBeat).
void Riser(Mixer& m, Random& rng, double fromBeat, double toBeat, double gain)
{
    size_t s0 = BeatSample(fromBeat), s1 = BeatSample(toBeat);
    LowPass lp;
    for (size_t i = s0; i < s1; ++i) {
        double x = static_cast<double>(i - s0) / static_cast<double>(s1 - s0);
        double v = lp.Process(rng.Range(-1, 1), 300.0 + 9000.0 * x * x, 0.6) * x * x * gain;
        m.Add(i, v, std::sin(x * 12.0) * 0.5);
    }
}

struct Note {
    double beat, length, midi, velocity;
};

void Bass(Mixer& m, const Note& n, double cutoff, double resonance)
{
    size_t start = BeatSample(n.beat);
    Adsr env{0.004, 0.12, 0.6, 0.06};
    double held = n.length * kBeatSeconds;
    Oscillator o1, o2;
    LowPass lp;
    double hz = MidiHz(n.midi);
    for (size_t i = 0; i < static_cast<size_t>(env.Length(held) * kSr); ++i) {
        double t = i / kSr;
        double e = env.At(t, held);
        double x = o1.Saw(hz) * 0.7 + o2.Square(hz * 0.5) * 0.4;
        double fc = cutoff * (1.0 + 3.0 * std::exp(-t * 18.0));
        m.Add(start + i, lp.Process(x, fc, resonance) * e * n.velocity * 0.5, 0.0);
    }
}

void Pad(Mixer& m, const std::vector<double>& chord, double beat, double beats, double gain, double cutoff)
{
    size_t start = BeatSample(beat);
    double held = beats * kBeatSeconds;
    Adsr env{0.6, 0.5, 0.8, 1.2};
    int voice = 0;
    for (double note : chord) {
        for (double detune : {-0.11, 0.0, 0.12}) {
            Oscillator o;
            o.phase = 0.37 * (voice + 1) - std::floor(0.37 * (voice + 1));
            LowPass lp;
            double hz = MidiHz(note + detune);
            double pan = std::sin(voice * 2.1) * 0.6;
            double fc = cutoff;
            for (size_t i = 0; i < static_cast<size_t>(env.Length(held) * kSr); ++i) {
                double t = i / kSr;
                if ((i & 63) == 0)
                    fc = cutoff * (1.0 + 0.2 * std::sin(t * 1.3 + voice));  // slow sweep
                double x = lp.Process(o.Saw(hz), fc, 0.1);
                m.Add(start + i, x * env.At(t, held) * gain * 0.06, pan);
            }
            ++voice;
        }
    }
}

void Pluck(Mixer& m, const Note& n, double cutoff, double pan)
{
    size_t start = BeatSample(n.beat);
    double held = n.length * kBeatSeconds;
    Adsr env{0.002, 0.15, 0.25, 0.12};
    Oscillator o;
    LowPass lp;
    double hz = MidiHz(n.midi);
    for (size_t i = 0; i < static_cast<size_t>(env.Length(held) * kSr); ++i) {
        double t = i / kSr;
        double fc = cutoff * (0.4 + 2.5 * std::exp(-t * 20.0));
        double x = lp.Process(o.Square(hz, 0.3), fc, 0.3);
        m.Add(start + i, x * env.At(t, held) * n.velocity * 0.18, pan);
    }
}

void Lead(Mixer& m, const Note& n, double brightness)
{
    size_t start = BeatSample(n.beat);
    double held = n.length * kBeatSeconds;
    Adsr env{0.02, 0.2, 0.7, 0.25};
    Oscillator o1, o2;
    LowPass lp;
    for (size_t i = 0; i < static_cast<size_t>(env.Length(held) * kSr); ++i) {
        double t = i / kSr;
        double vib = t > 0.25 ? std::sin(2 * kPi * 5.5 * t) * 0.12 * std::min(1.0, (t - 0.25) * 3) : 0.0;
        double hz = MidiHz(n.midi + vib);
        double x = o1.Saw(hz) * 0.6 + o2.Square(hz * 1.002, 0.5) * 0.4;
        x = lp.Process(x, 1200.0 + 4000.0 * brightness, 0.25);
        m.Add(start + i, x * env.At(t, held) * n.velocity * 0.22, -0.1);
    }
}

// ---- the arrangement ---------------------------------------------------------------------------

struct Chord {
    double root;                // bass note
    std::vector<double> notes;  // pad voicing
};

const Chord kAm{45, {57, 60, 64, 69}};
const Chord kF{41, {57, 60, 65, 69}};
const Chord kC{48, {55, 60, 64, 67}};
const Chord kG{43, {55, 59, 62, 67}};
const Chord kDm{38, {57, 62, 65, 69}};
const Chord kBb{46, {58, 62, 65, 70}};
const Chord kE{40, {56, 59, 64, 68}};

const Chord& ChordOfBar(int bar)
{
    static const Chord* const main[4] = {&kAm, &kF, &kC, &kG};
    static const Chord* const dark[4] = {&kAm, &kDm, &kBb, &kE};
    static const Chord* const outro[4] = {&kF, &kG, &kAm, &kAm};
    if (bar >= 12 && bar < 16)
        return *dark[bar % 4];
    if (bar >= 24)
        return *outro[bar % 4];
    return *main[bar % 4];
}

const std::vector<Note>& Melody()
{
    static const std::vector<Note> notes = {
        {0, 1.5, 76, 1},     {1.5, 0.5, 74, 0.8}, {2, 1, 72, 0.9},  {3, 1, 69, 0.8},     {4, 1.5, 72, 1},
        {5.5, 0.5, 74, 0.8}, {6, 2, 77, 1},       {8, 1.5, 76, 1},  {9.5, 0.5, 74, 0.8}, {10, 1, 72, 0.9},
        {11, 1, 67, 0.8},    {12, 1, 71, 0.9},    {13, 1, 74, 0.9}, {14, 2, 74, 1},
    };
    return notes;
}

}  // namespace

StereoBuffer SynthesizeTrack()
{
    const size_t frames = BeatSample(kTrackBeats) + static_cast<size_t>(kTailSeconds * kSr);
    Mixer drums(frames), music(frames);
    Random rng(130);

    // Downbeats of the sections carry a crash so the picture's cuts land on them.
    for (int b : {0, 16, 32, 48, 64, 80, 96})
        Crash(drums, rng, b, b == 48 ? 0.6 : 1.0);

    for (int beat = 0; beat < kTrackBeats; ++beat) {
        // Kick pattern by section.
        bool kick = false;
        double kg = 1.0;
        if (beat < 16)
            kick = beat % 4 == 0, kg = 0.8;
        else if (beat < 48)
            kick = true;
        else if (beat < 64)
            kick = beat % 4 == 0, kg = 0.55;
        else if (beat < 72)
            kick = beat % 2 == 0, kg = 0.85;
        else if (beat < 96)
            kick = true;
        else if (beat < 104)
            kick = true, kg = 0.7;
        else
            kick = beat % 4 == 0, kg = 0.6;
        if (beat == 0)
            kg = 1.0;
        if (kick)
            Kick(drums, beat, kg);

        if ((beat >= 32 && beat < 48) || (beat >= 80 && beat < 96)) {
            if (beat % 2 == 1)
                Snare(drums, rng, beat, 0.8);
        }
        if (beat >= 96 && beat < 104 && beat % 2 == 1)
            Snare(drums, rng, beat, 0.5);

        // Hats.
        if (beat >= 16 && beat < 32)
            Hat(drums, rng, beat + 0.5, 0.7, false, 0.3);
        if ((beat >= 32 && beat < 48) || (beat >= 80 && beat < 96)) {
            for (int s = 0; s < 4; ++s)
                Hat(drums, rng, beat + s * 0.25, s == 2 ? 0.8 : 0.45, false, 0.3);
            if (beat >= 80)
                Hat(drums, rng, beat + 0.5, 0.5, true, -0.3);
        }
        if (beat >= 48 && beat < 64)
            Hat(drums, rng, beat + 0.5, 0.35, false, -0.4);
        if (beat >= 64 && beat < 80) {
            Hat(drums, rng, beat + 0.5, 0.6, false, 0.3);
            if (beat >= 72)
                Hat(drums, rng, beat + 0.25, 0.3, false, -0.3), Hat(drums, rng, beat + 0.75, 0.3, false, -0.3);
        }
        if (beat >= 96 && beat < 108)
            Hat(drums, rng, beat + 0.5, 0.5 * (1.0 - (beat - 96) / 14.0), false, 0.3);
    }
    // A snare roll into the peak.
    for (int i = 0; i < 32; ++i)
        Snare(drums, rng, 76 + i * 0.125, 0.25 + 0.6 * i / 32.0);
    Riser(drums, rng, 60, 64, 0.35);
    Riser(drums, rng, 76, 80, 0.5);

    for (int bar = 0; bar < kTrackBeats / 4; ++bar) {
        const Chord& chord = ChordOfBar(bar);
        const double b0 = bar * 4.0;
        // Pads everywhere; darker in the corridor, brightest at the peak.
        double cutoff = b0 < 16
                            ? 900 + b0 * 40
                            : (b0 < 48 ? 1800
                                       : (b0 < 64 ? 700 : (b0 < 80 ? 900 + (b0 - 64) * 80 : (b0 < 96 ? 3200 : 1400))));
        Pad(music, chord.notes, b0, 4.0, b0 >= 48 && b0 < 64 ? 1.1 : 1.0, cutoff);

        // Bass.
        if (b0 >= 16 && b0 < 48) {
            for (int e = 0; e < 8; ++e)
                Bass(music, {b0 + e * 0.5, 0.4, chord.root - 12 + (e % 4 == 3 ? 12 : 0), e % 2 == 0 ? 1.0 : 0.75},
                     b0 < 32 ? 300 + (b0 - 16) * 40 : 1100, 0.4);
        } else if (b0 >= 48 && b0 < 64) {
            Bass(music, {b0, 3.8, chord.root - 12, 0.9}, 260, 0.3);
        } else if (b0 >= 64 && b0 < 96) {
            for (int e = 0; e < 8; ++e)
                Bass(music, {b0 + e * 0.5, 0.4, chord.root - 12 + (e % 2 == 1 && b0 >= 80 ? 12 : 0), 1.0},
                     b0 < 80 ? 350 + (b0 - 64) * 60 : 1400, 0.5);
        } else if (b0 >= 96) {
            Bass(music, {b0, 3.8, chord.root - 12, 0.8}, 500, 0.2);
        }

        // Arpeggios.
        if (b0 < 16 || (b0 >= 64 && b0 < 96)) {
            double bright = b0 < 16 ? 1500 + b0 * 100 : 2200 + (b0 - 64) * 90;
            for (int s = 0; s < 16; ++s) {
                double note = chord.notes[(s * 3) % chord.notes.size()] + (s % 8 >= 4 ? 12 : 0);
                Pluck(music, {b0 + s * 0.25, 0.2, note, s % 4 == 0 ? 1.0 : 0.7}, bright, (s % 2 ? 0.5 : -0.5));
            }
        } else if (b0 >= 48 && b0 < 64) {
            for (int s = 0; s < 8; ++s) {
                double note = chord.notes[(s * 2 + 1) % chord.notes.size()] + 12;
                Pluck(music, {b0 + s * 0.5, 0.4, note, 0.6}, 900, (s % 2 ? 0.7 : -0.7));
            }
        }
    }

    // The melody over the full section, the peak and the outro.
    for (double start : {32.0, 80.0, 96.0}) {
        for (int rep = 0; rep < 16; rep += 16) {
            for (const Note& n : Melody()) {
                Note x = n;
                x.beat += start + rep;
                if (start == 80.0)
                    x.midi += 12, x.velocity *= 0.85;
                if (start == 96.0)
                    x.velocity *= 0.7;
                Lead(music, x, start == 80.0 ? 1.0 : 0.5);
            }
        }
    }
    // Final chord on beat 112 rings into the tail.
    Pad(music, kAm.notes, kTrackBeats, 1.0, 1.3, 1600);
    Kick(drums, kTrackBeats, 0.9);
    Bass(music, {static_cast<double>(kTrackBeats), 1.0, 33, 1.0}, 400, 0.2);

    // Side-chain: the music ducks under every kick so the beat stays clear.
    std::vector<double> duck(frames, 1.0);
    auto duckAt = [&](double beat, double depth) {
        size_t s = BeatSample(beat);
        for (size_t i = 0; i < static_cast<size_t>(0.3 * kSr) && s + i < frames; ++i)
            duck[s + i] = std::min(duck[s + i], 1.0 - depth * std::exp(-(i / kSr) * 12.0));
    };
    for (int beat = 16; beat < 48; ++beat)
        duckAt(beat, 0.45);
    for (int beat = 72; beat < 96; ++beat)
        duckAt(beat, 0.5);

    // Delay on the music bus (three eighths), then a soft limiter.
    const size_t delay = BeatSample(0.75);
    StereoBuffer out;
    out.left.resize(frames);
    out.right.resize(frames);
    std::vector<double> echoL(frames, 0.0), echoR(frames, 0.0);
    for (size_t i = 0; i < frames; ++i) {
        double l = music.left[i] * duck[i], r = music.right[i] * duck[i];
        if (i >= delay) {
            echoL[i] = r * 0.0 + echoR[i - delay] * 0.35 + music.right[i - delay] * 0.18;
            echoR[i] = echoL[i - delay] * 0.35 + music.left[i - delay] * 0.18;
        }
        double L = l + echoL[i] + drums.left[i];
        double R = r + echoR[i] + drums.right[i];
        // Fade the very end of the tail to silence.
        double fade = Clamp(static_cast<double>(frames - 1 - i) / (0.5 * kSr), 0.0, 1.0);
        out.left[i] = static_cast<float>(std::tanh(L * 0.9) * 0.95 * fade);
        out.right[i] = static_cast<float>(std::tanh(R * 0.9) * 0.95 * fade);
    }
    return out;
}

std::vector<uint8_t> EncodeMp3(const StereoBuffer& audio)
{
    lame_global_flags* gf = lame_init();
    if (!gf)
        throw std::runtime_error("LAME initialisation failed");
    lame_set_in_samplerate(gf, kSampleRate);
    lame_set_out_samplerate(gf, kSampleRate);
    lame_set_num_channels(gf, 2);
    lame_set_mode(gf, JOINT_STEREO);
    lame_set_VBR(gf, vbr_off);
    lame_set_brate(gf, 192);
    lame_set_quality(gf, 5);
    lame_set_bWriteVbrTag(gf, 1);
    if (lame_init_params(gf) < 0) {
        lame_close(gf);
        throw std::runtime_error("LAME rejected the encoder settings");
    }
    const size_t frames = audio.left.size();
    std::vector<uint8_t> out;
    const int chunk = 1152 * 16;
    std::vector<uint8_t> buf(static_cast<size_t>(1.25 * chunk + 7200));
    for (size_t pos = 0; pos < frames; pos += chunk) {
        int n = static_cast<int>(std::min<size_t>(chunk, frames - pos));
        int written = lame_encode_buffer_ieee_float(gf, audio.left.data() + pos, audio.right.data() + pos, n,
                                                    buf.data(), static_cast<int>(buf.size()));
        if (written < 0) {
            lame_close(gf);
            throw std::runtime_error("LAME encoding failed");
        }
        out.insert(out.end(), buf.begin(), buf.begin() + written);
    }
    int written = lame_encode_flush(gf, buf.data(), static_cast<int>(buf.size()));
    if (written < 0) {
        lame_close(gf);
        throw std::runtime_error("LAME flush failed");
    }
    out.insert(out.end(), buf.begin(), buf.begin() + written);
    // The first frame was reserved for the info tag; fill it now that the totals are known.
    std::vector<uint8_t> tag(4096);
    size_t tagSize = lame_get_lametag_frame(gf, tag.data(), tag.size());
    if (tagSize > 0 && tagSize <= out.size())
        std::copy(tag.begin(), tag.begin() + tagSize, out.begin());
    lame_close(gf);
    return out;
}

}  // namespace resgen
