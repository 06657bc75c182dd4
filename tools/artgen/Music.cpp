#include "Music.h"

#include "Synth.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

constexpr int kBars = 32;
constexpr double kBeatSeconds = 0.5; // 120 beats a minute
constexpr std::size_t kBeatFrames = CWave::kRate / 2;
constexpr std::size_t kLoopFrames = kBars * 4 * kBeatFrames;

// Where a position in beats lands, in frames.
std::size_t At(double beats) {
    return static_cast<std::size_t>(std::lround(beats * kBeatFrames));
}

// The four chords that turn over every four bars: A minor, F, C, G. Bass root and the pad's
// three notes (MIDI numbers).
struct SChord {
    int bass;
    int tones[3];
};
const SChord kChords[4] = {
    {45, {57, 60, 64}}, {41, {57, 60, 65}}, {48, {55, 60, 64}}, {43, {55, 59, 62}}};

// The song's parts, eight bars each: groove, rise, theme, breakdown and build.
enum class ESection { kGroove, kRise, kTheme, kBreak };
ESection SectionOf(int bar) {
    return static_cast<ESection>(bar / 8);
}

CWave Kick() {
    CWave wave = CWave::Seconds(1, 0.45);
    CPhase phase;
    for (std::size_t frame = 0; frame < wave.GetFrames(); ++frame) {
        const double t = static_cast<double>(frame) / CWave::kRate;
        const double pitch = 45.0 + 110.0 * std::exp(-t / 0.03);
        const double body = Sine(phase.Advance(pitch)) * Pluck(t, 0.001, 0.16);
        const double click = Sine(3000.0 * t) * Pluck(t, 0.0002, 0.002) * 0.3;
        wave.At(frame, 0) = std::tanh(1.5 * (body + click));
    }
    return wave;
}

CWave Snare(std::uint64_t seed) {
    CWave wave = CWave::Seconds(1, 0.3);
    CWhiteNoise noise(seed);
    CBiquad band(CBiquad::kBandPass, 2200.0, 0.8);
    for (std::size_t frame = 0; frame < wave.GetFrames(); ++frame) {
        const double t = static_cast<double>(frame) / CWave::kRate;
        const double tone = Sine(185.0 * t) * Pluck(t, 0.001, 0.05) * 0.6;
        const double rattle = band.Process(noise.Next()) * Pluck(t, 0.001, 0.09) * 1.6;
        wave.At(frame, 0) = tone + rattle;
    }
    return wave;
}

CWave HiHat(std::uint64_t seed, double decay) {
    CWave wave = CWave::Seconds(1, decay * 5.0);
    CWhiteNoise noise(seed);
    CBiquad high(CBiquad::kHighPass, 7000.0, 0.7);
    for (std::size_t frame = 0; frame < wave.GetFrames(); ++frame) {
        const double t = static_cast<double>(frame) / CWave::kRate;
        wave.At(frame, 0) = high.Process(noise.Next()) * Pluck(t, 0.0005, decay);
    }
    return wave;
}

CWave Crash(std::uint64_t seed) {
    CWave wave = CWave::Seconds(1, 2.5);
    CWhiteNoise noise(seed);
    CBiquad high(CBiquad::kHighPass, 4000.0, 0.5);
    for (std::size_t frame = 0; frame < wave.GetFrames(); ++frame) {
        const double t = static_cast<double>(frame) / CWave::kRate;
        wave.At(frame, 0) = high.Process(noise.Next()) * Pluck(t, 0.002, 0.7);
    }
    return wave;
}

// Saw bass through a low-pass that opens with each note's attack.
CWave BassNote(int note, double seconds, double accent) {
    CWave wave = CWave::Seconds(1, seconds + 0.05);
    CPhase a;
    CPhase b;
    CBiquad filter(CBiquad::kLowPass, 400.0, 2.0);
    const double frequency = NoteFrequency(note);
    for (std::size_t frame = 0; frame < wave.GetFrames(); ++frame) {
        const double t = static_cast<double>(frame) / CWave::kRate;
        filter.Tune(180.0 + (900.0 + 900.0 * accent) * std::exp(-t / 0.08), 2.2);
        const double saw = Saw(a.Advance(frequency)) + 0.5 * Square(b.Advance(frequency * 0.5));
        wave.At(frame, 0) = filter.Process(saw) * Gate(t, seconds, 0.003, 0.04);
    }
    return wave;
}

// A plucked pulse for the arpeggio.
CWave ArpNote(int note, double brightness) {
    CWave wave = CWave::Seconds(1, 0.3);
    CPhase phase;
    CBiquad filter(CBiquad::kLowPass, 2000.0, 1.5);
    const double frequency = NoteFrequency(note);
    for (std::size_t frame = 0; frame < wave.GetFrames(); ++frame) {
        const double t = static_cast<double>(frame) / CWave::kRate;
        filter.Tune(600.0 + 4000.0 * brightness * std::exp(-t / 0.05), 1.5);
        const double pulse = Square(phase.Advance(frequency), 0.3);
        wave.At(frame, 0) = filter.Process(pulse) * Pluck(t, 0.002, 0.07);
    }
    return wave;
}

// A soft chord tone: three detuned saws, slow to rise and fall.
CWave PadNote(int note, double seconds) {
    CWave wave = CWave::Seconds(1, seconds + 0.6);
    CPhase phases[3];
    const double detune[3] = {0.996, 1.0, 1.005};
    CBiquad filter(CBiquad::kLowPass, 1500.0, 0.7);
    const double frequency = NoteFrequency(note);
    for (std::size_t frame = 0; frame < wave.GetFrames(); ++frame) {
        const double t = static_cast<double>(frame) / CWave::kRate;
        double sum = 0.0;
        for (int i = 0; i < 3; ++i) {
            sum += Saw(phases[i].Advance(frequency * detune[i]));
        }
        wave.At(frame, 0) = filter.Process(sum / 3.0) * Gate(t, seconds, 0.35, 0.55);
    }
    return wave;
}

// The lead: saw and square an octave apart with a delayed vibrato; bell makes it a softer
// FM chime for the breakdown.
CWave LeadNote(int note, double seconds, bool bell) {
    CWave wave = CWave::Seconds(1, seconds + 0.3);
    CPhase phase;
    CPhase sub;
    CBiquad filter(CBiquad::kLowPass, 3200.0, 1.0);
    const double frequency = NoteFrequency(note);
    for (std::size_t frame = 0; frame < wave.GetFrames(); ++frame) {
        const double t = static_cast<double>(frame) / CWave::kRate;
        const double vibratoDepth = 0.006 * std::clamp((t - 0.15) / 0.2, 0.0, 1.0);
        const double vibrato = 1.0 + vibratoDepth * Sine(5.5 * t);
        const double cycles = phase.Advance(frequency * vibrato);
        double tone;
        if (bell) {
            tone =
                Sine(cycles + 0.6 * std::exp(-t / 0.3) * Sine(cycles * 3.5)) * Pluck(t, 0.003, 0.5);
        } else {
            tone = (Saw(cycles) * 0.7 + Square(sub.Advance(frequency * vibrato * 0.5)) * 0.3) *
                   Gate(t, seconds, 0.01, 0.12);
        }
        wave.At(frame, 0) = filter.Process(tone);
    }
    return wave;
}

struct SNote {
    double beat; // within the bar
    double length;
    int note;
};

// The theme, two bars a line, over the four chords twice.
const std::vector<std::vector<SNote>>& Theme() {
    static const std::vector<std::vector<SNote>> kBars = {
        {{0, 1.5, 76}, {1.5, 0.5, 74}, {2, 1, 72}, {3, 1, 69}},
        {{0, 1.5, 72}, {1.5, 0.5, 69}, {2, 1, 65}, {3, 1, 69}},
        {{0, 1, 67}, {1, 1, 72}, {2, 1.5, 76}, {3.5, 0.5, 74}},
        {{0, 2, 74}, {2, 1, 71}, {3, 1, 67}},
        {{0, 1, 76}, {1, 1, 79}, {2, 1.5, 81}, {3.5, 0.5, 79}},
        {{0, 1.5, 77}, {1.5, 0.5, 76}, {2, 1, 72}, {3, 1, 69}},
        {{0, 1, 72}, {1, 1, 76}, {2, 1, 79}, {3, 1, 76}},
        {{0, 2, 74}, {2, 1, 71}, {3, 0.5, 74}, {3.5, 0.5, 76}},
    };
    return kBars;
}

// Echoes of the sends, 3/8 of a beat apart and bouncing between the sides; run round the loop
// twice so the echoes of the end fall on the start.
void AddEcho(CWave& mix, const CWave& send, double feedback) {
    const std::size_t frames = send.GetFrames();
    const std::size_t delay = At(0.75);
    std::vector<double> left(frames, 0.0);
    std::vector<double> right(frames, 0.0);
    for (int pass = 0; pass < 2; ++pass) {
        for (std::size_t frame = 0; frame < frames; ++frame) {
            const std::size_t back = (frame + frames - delay) % frames;
            const double input = (send.At(frame, 0) + send.At(frame, 1)) * 0.5;
            // Left feeds right and right feeds left: a ping-pong.
            left[frame] = input + right[back] * feedback;
            right[frame] = left[back] * feedback;
            if (pass == 1) {
                mix.At(frame, 0) += left[back] * 0.5;
                mix.At(frame, 1) += right[back] * 0.5;
            }
        }
    }
}

class CArranger {
public:
    CArranger() : track(2, kLoopFrames), echoSend(2, kLoopFrames) {}

    CWave Arrange() {
        for (int bar = 0; bar < kBars; ++bar) {
            Drums(bar);
            Bass(bar);
            Harmony(bar);
            Melody(bar);
        }
        AddEcho(track, echoSend, 0.45);
        track.ScaleToPeak(0.42);
        return track;
    }

private:
    void Place(const CWave& sound, int bar, double beat, double gain, double pan,
               double echo = 0.0) {
        const std::size_t at = At(bar * 4.0 + beat);
        track.MixPanned(sound, at, gain, pan, true);
        if (echo > 0.0) {
            echoSend.MixPanned(sound, at, gain * echo, pan, true);
        }
    }

    void Drums(int bar) {
        const ESection section = SectionOf(bar);
        const bool quietBreak = section == ESection::kBreak && bar < 28;
        if (bar % 16 == 0) {
            Place(crash, bar, 0, 0.35, 0.3);
        }
        if (!quietBreak) {
            for (int beat = 0; beat < 4; ++beat) {
                Place(kick, bar, beat, 0.9, 0.0);
            }
        }
        if (section == ESection::kRise || section == ESection::kTheme) {
            Place(snare, bar, 1, 0.55, -0.1);
            Place(snare, bar, 3, 0.55, -0.1);
        }
        if (section == ESection::kBreak && bar >= 28) { // the build: a roll that doubles up
            const int hits = bar < 30 ? 4 : 8;
            for (int hit = 0; hit < hits; ++hit) {
                const double level = 0.25 + 0.35 * ((bar - 28) * hits + hit) / (4.0 * hits);
                Place(snare, bar, hit * 4.0 / hits, level, -0.1);
            }
        }
        const int hatsPerBeat = section == ESection::kTheme ? 4 : 2;
        if (!quietBreak) {
            for (int step = 0; step < 4 * hatsPerBeat; ++step) {
                const bool offbeat = step % hatsPerBeat == hatsPerBeat / 2;
                const double level = offbeat ? 0.3 : 0.14;
                Place(step == 4 * hatsPerBeat - hatsPerBeat / 2 ? openHat : closedHat, bar,
                      step / static_cast<double>(hatsPerBeat), level, 0.35);
            }
        }
    }

    void Bass(int bar) {
        if (SectionOf(bar) == ESection::kBreak && bar < 28) {
            return;
        }
        const int root = kChords[bar % 4].bass;
        // Root, root, octave on an eighth-note pulse with a push on the offbeats.
        static const int kOctave[8] = {0, 0, 12, 0, 0, 12, 0, 7};
        for (int step = 0; step < 8; ++step) {
            const double accent = step % 2 == 1 ? 1.0 : 0.4;
            Place(BassNote(root + kOctave[step], 0.2, accent), bar, step * 0.5, 0.55, 0.0);
        }
    }

    void Harmony(int bar) {
        const ESection section = SectionOf(bar);
        const SChord& chord = kChords[bar % 4];
        if (section != ESection::kGroove) {
            for (int i = 0; i < 3; ++i) {
                Place(PadNote(chord.tones[i], 4 * kBeatSeconds), bar, 0, 0.16, -0.5 + i * 0.5);
            }
        }
        if (section == ESection::kGroove && bar < 4) {
            return;
        }
        // Sixteenth-note arpeggio over the chord, two octaves, up and back.
        static const int kOrder[8] = {0, 1, 2, 3, 4, 3, 2, 1};
        const int tones[5] = {chord.tones[0] + 12, chord.tones[1] + 12, chord.tones[2] + 12,
                              chord.tones[0] + 24, chord.tones[1] + 24};
        const double brightness = section == ESection::kGroove ? 0.3 : 0.8;
        for (int step = 0; step < 16; ++step) {
            const int note = tones[kOrder[step % 8]];
            Place(ArpNote(note, brightness), bar, step * 0.25, 0.16, step % 2 == 0 ? -0.4 : 0.4,
                  0.5);
        }
    }

    void Melody(int bar) {
        const ESection section = SectionOf(bar);
        if (section != ESection::kTheme && !(section == ESection::kBreak && bar < 28)) {
            return;
        }
        const bool bell = section == ESection::kBreak;
        const std::vector<SNote>& notes = Theme()[bar % 8];
        for (const SNote& note : notes) {
            const int pitch = bell ? note.note + 12 : note.note;
            Place(LeadNote(pitch, note.length * kBeatSeconds, bell), bar, note.beat,
                  bell ? 0.28 : 0.26, 0.1, 0.6);
        }
    }

    CWave track;
    CWave echoSend;
    const CWave kick = Kick();
    const CWave snare = Snare(41);
    const CWave closedHat = HiHat(42, 0.03);
    const CWave openHat = HiHat(43, 0.16);
    const CWave crash = Crash(44);
};

} // namespace

CWave ComposeMusic() {
    return CArranger().Arrange();
}
