#include "Sounds.h"

#include "Synth.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kLaserPeak = 0.18; // many shots may overlap
constexpr double kBlastPeak = 0.38;
constexpr double kSignalPeak = 0.3;

double Time(std::size_t frame) {
    return static_cast<double>(frame) / CWave::kRate;
}

// A falling burst of filtered noise with a sub-bass drop: the body of both explosions.
void AddBlast(CWave& wave, std::uint64_t seed, double boomFrom, double boomTo, double noiseDecay,
              double brightness) {
    CWhiteNoise noise(seed);
    CBiquad rumble(CBiquad::kLowPass, 3000.0, 0.8);
    CPhase boom;
    for (std::size_t frame = 0; frame < wave.GetFrames(); ++frame) {
        const double t = Time(frame);
        const double cutoff = 150.0 + brightness * std::exp(-t / 0.25);
        rumble.Tune(cutoff, 0.9);
        const double body = rumble.Process(noise.Next()) * Pluck(t, 0.004, noiseDecay);
        const double pitch = boomTo + (boomFrom - boomTo) * std::exp(-t / 0.18);
        const double sub = Sine(boom.Advance(pitch)) * Pluck(t, 0.003, 0.35) * 0.9;
        wave.At(frame, 0) += std::tanh(1.6 * (body * 1.4 + sub));
    }
}

// Sparse clicks through a band-pass: burning debris.
void AddCrackle(CWave& wave, std::uint64_t seed, double density, double centre) {
    CRandom random(seed);
    CBiquad band(CBiquad::kBandPass, centre, 2.5);
    for (std::size_t frame = 0; frame < wave.GetFrames(); ++frame) {
        const double t = Time(frame);
        const double chance = density * std::exp(-t / 0.5) / CWave::kRate;
        const double impulse = random.Uniform() < chance ? random.Range(-1.0, 1.0) : 0.0;
        wave.At(frame, 0) += band.Process(impulse * 6.0);
    }
}

// Short inharmonic rings, like bits of hull hitting each other.
void AddDebris(CWave& wave, std::uint64_t seed, int pieces) {
    CRandom random(seed);
    for (int piece = 0; piece < pieces; ++piece) {
        const double start = random.Range(0.05, 0.7);
        const double frequency = random.Range(900.0, 3200.0);
        const double level = random.Range(0.04, 0.1);
        const std::size_t first = static_cast<std::size_t>(start * CWave::kRate);
        for (std::size_t frame = first; frame < wave.GetFrames(); ++frame) {
            const double t = Time(frame - first);
            if (t > 0.4) {
                break;
            }
            const double ring = Sine(frequency * t) + 0.5 * Sine(frequency * 2.76 * t);
            wave.At(frame, 0) += ring * level * Pluck(t, 0.001, 0.06);
        }
    }
}

// A beep with soft ends.
void AddBeep(CWave& wave, double start, double length, double frequency, double level) {
    const std::size_t first = static_cast<std::size_t>(start * CWave::kRate);
    const std::size_t count = static_cast<std::size_t>((length + 0.02) * CWave::kRate);
    for (std::size_t i = 0; i < count && first + i < wave.GetFrames(); ++i) {
        const double t = Time(i);
        const double tone = SoftSquare(frequency * t, 2.5) + 0.3 * Sine(2.0 * frequency * t);
        wave.At(first + i, 0) += tone * level * Gate(t, length, 0.006, 0.02);
    }
}

} // namespace

CWave MakeLaserSound() {
    CWave wave = CWave::Seconds(1, 0.3);
    CPhase phase;
    CPhase ring;
    CWhiteNoise noise(7);
    CBiquad click(CBiquad::kHighPass, 3000.0, 0.7);
    for (std::size_t frame = 0; frame < wave.GetFrames(); ++frame) {
        const double t = Time(frame);
        const double pitch = 260.0 + 1700.0 * std::exp(-t / 0.045);
        const double tone =
            SoftSquare(phase.Advance(pitch), 2.0) * 0.7 + Sine(ring.Advance(pitch * 1.5)) * 0.3;
        const double zap = tone * Pluck(t, 0.002, 0.07);
        const double snap = click.Process(noise.Next()) * Pluck(t, 0.0005, 0.006) * 0.6;
        wave.At(frame, 0) = zap + snap;
    }
    wave.ScaleToPeak(kLaserPeak);
    return wave;
}

CWave MakeExplosionSound(int variant) {
    if (variant == 1) {
        CWave wave = CWave::Seconds(1, 1.8);
        AddBlast(wave, 101, 95.0, 32.0, 0.55, 4000.0);
        AddCrackle(wave, 102, 260.0, 2400.0);
        wave.ScaleToPeak(kBlastPeak);
        return wave;
    }
    CWave wave = CWave::Seconds(1, 1.4);
    AddBlast(wave, 201, 140.0, 45.0, 0.32, 7000.0);
    AddCrackle(wave, 202, 500.0, 3600.0);
    AddDebris(wave, 203, 9);
    wave.ScaleToPeak(kBlastPeak);
    return wave;
}

CWave MakeSqueakySound() {
    CWave wave = CWave::Seconds(1, 0.65);
    CPhase phase;
    CBiquad formant(CBiquad::kBandPass, 1800.0, 4.0);
    for (std::size_t frame = 0; frame < wave.GetFrames(); ++frame) {
        const double t = Time(frame);
        // Pitch wobbles and climbs, the way stressed metal squeals.
        const double pitch =
            900.0 + 900.0 * (t / 0.65) + 260.0 * Sine(17.0 * t) + 90.0 * Sine(53.0 * t);
        const double saw = Saw(phase.Advance(pitch));
        formant.Tune(pitch * 1.9, 3.0);
        const double bursts = 0.55 + 0.45 * Sine(9.0 * t + 0.25);
        const double level = Gate(t, 0.5, 0.02, 0.15) * bursts;
        wave.At(frame, 0) = (formant.Process(saw) * 2.5 + saw * 0.15) * level;
    }
    wave.ScaleToPeak(kSignalPeak);
    return wave;
}

CWave MakeStartSound() {
    CWave wave = CWave::Seconds(1, 2.6);
    CPhase sweepA;
    CPhase sweepB;
    CBiquad filter(CBiquad::kLowPass, 200.0, 4.0);
    CWhiteNoise noise(31);
    CBiquad whoosh(CBiquad::kBandPass, 500.0, 1.2);
    for (std::size_t frame = 0; frame < wave.GetFrames(); ++frame) {
        const double t = Time(frame);
        const double rise = std::min(t / 1.3, 1.0);
        const double pitch = 55.0 * std::pow(2.0, rise * 3.0); // up three octaves
        const double saw = Saw(sweepA.Advance(pitch)) + Saw(sweepB.Advance(pitch * 1.007));
        filter.Tune(200.0 + 5000.0 * rise * rise, 5.0);
        const double spool = filter.Process(saw) * 0.35 * Gate(t, 1.3, 0.05, 0.25);
        whoosh.Tune(300.0 + 3000.0 * rise, 1.2);
        const double air = whoosh.Process(noise.Next()) * 0.5 * Gate(t, 1.2, 0.4, 0.3);
        wave.At(frame, 0) = spool + air;
    }
    // The chord the engines arrive at: A, C sharp, E, A rolled upward.
    const double notes[] = {57.0, 61.0, 64.0, 69.0, 73.0};
    for (int i = 0; i < 5; ++i) {
        const double start = 1.3 + i * 0.05;
        const double frequency = NoteFrequency(notes[i] + 12.0);
        const std::size_t first = static_cast<std::size_t>(start * CWave::kRate);
        for (std::size_t frame = first; frame < wave.GetFrames(); ++frame) {
            const double t = Time(frame - first);
            const double tone = Sine(frequency * t) + 0.35 * Sine(2.0 * frequency * t) +
                                0.15 * Saw(frequency * t * 1.003);
            wave.At(frame, 0) += tone * 0.16 * Pluck(t, 0.004, 0.45);
        }
    }
    wave.ScaleToPeak(0.36);
    return wave;
}

CWave MakeEnergyWarningSound() {
    CWave wave = CWave::Seconds(1, 1.35);
    for (int pair = 0; pair < 3; ++pair) {
        const double start = pair * 0.42;
        AddBeep(wave, start, 0.13, 988.0, 0.5);
        AddBeep(wave, start + 0.17, 0.13, 740.0, 0.5);
    }
    wave.ScaleToPeak(kSignalPeak);
    return wave;
}

CWave MakeEnergyAlertSound() {
    // Render two rounds and keep the second, so the filter has settled into the loop; every
    // tone runs a whole number of cycles per round, so the end meets the start.
    const std::size_t round = CWave::kRate; // 1 s
    CWave twice(1, 2 * round);
    CPhase phase;
    CBiquad filter(CBiquad::kLowPass, 2400.0, 0.9);
    for (std::size_t frame = 0; frame < twice.GetFrames(); ++frame) {
        const double t = Time(frame % round);
        const bool high = t < 0.5;
        const double pitch = high ? 660.0 : 494.0;
        const double local = high ? t : t - 0.5;
        const double level = Gate(local, 0.42, 0.01, 0.04);
        const double tone = SoftSquare(phase.Advance(pitch), 3.0) * (0.8 + 0.2 * Sine(24.0 * t));
        twice.At(frame, 0) = filter.Process(tone * level);
    }
    CWave wave(1, round);
    for (std::size_t frame = 0; frame < round; ++frame) {
        wave.At(frame, 0) = twice.At(round + frame, 0);
    }
    wave.ScaleToPeak(0.26);
    return wave;
}

CWave MakeSelfDestructSound() {
    CWave wave = CWave::Seconds(1, 3.0);
    CPhase siren;
    for (std::size_t frame = 0; frame < wave.GetFrames(); ++frame) {
        const double t = Time(frame);
        const double fall = std::min(t / 2.0, 1.0);
        const double pitch = 1300.0 * std::pow(0.16, fall);
        const double tone = SoftSquare(siren.Advance(pitch), 2.0) * (0.75 + 0.25 * Sine(7.0 * t));
        wave.At(frame, 0) = tone * 0.35 * Gate(t, 1.9, 0.02, 0.4);
    }
    for (int tick = 0; tick < 3; ++tick) {
        AddBeep(wave, 0.2 + tick * 0.55, 0.05, 1760.0, 0.4);
    }
    CWave rumble = CWave::Seconds(1, 1.4);
    AddBlast(rumble, 301, 70.0, 28.0, 0.5, 1500.0);
    wave.Mix(rumble, static_cast<std::size_t>(1.6 * CWave::kRate), 0.5);
    wave.ScaleToPeak(0.36);
    return wave;
}

CWave MakeDroidChirp(int number) {
    // Each chirp is a string of gliding whistles; the character decides range and shape.
    struct SCharacter {
        int notes;
        double low, high; // pitch range
        double warble;    // depth of the fast wobble, in hertz
        double trend;     // pitch drift over the phrase: up > 0, down < 0
    };
    static const SCharacter kCharacters[5] = {
        {7, 1100.0, 2600.0, 0.0, 0.5},  // cheerful, rising
        {6, 700.0, 1800.0, 220.0, 0.0}, // warbling
        {5, 900.0, 2000.0, 60.0, 0.9},  // a question
        {12, 1400.0, 3200.0, 0.0, 0.0}, // rapid burble
        {5, 500.0, 1500.0, 80.0, -0.7}, // sad, falling
    };
    const SCharacter& character = kCharacters[(number - 1) % 5];
    CRandom random(500 + number);
    double start = 0.02;
    std::vector<std::pair<double, double>> spans; // start and length of each whistle
    for (int note = 0; note < character.notes; ++note) {
        const double length = number == 4 ? random.Range(0.03, 0.06) : random.Range(0.05, 0.14);
        spans.push_back({start, length});
        start += length + random.Range(0.01, 0.05);
    }
    CWave wave = CWave::Seconds(1, start + 0.1);
    for (int note = 0; note < character.notes; ++note) {
        const double position = character.notes > 1 ? note / (character.notes - 1.0) : 0.0;
        const double centre = 0.5 + character.trend * (position - 0.5);
        const double base =
            character.low + (character.high - character.low) *
                                std::clamp(centre + random.Range(-0.3, 0.3), 0.0, 1.0);
        const double glide = random.Range(-0.35, 0.45) * base;
        const double warbleRate = random.Range(18.0, 34.0);
        const auto [noteStart, length] = spans[note];
        CPhase phase;
        const std::size_t first = static_cast<std::size_t>(noteStart * CWave::kRate);
        const std::size_t count = static_cast<std::size_t>((length + 0.015) * CWave::kRate);
        for (std::size_t i = 0; i < count && first + i < wave.GetFrames(); ++i) {
            const double t = Time(i);
            const double along = std::min(t / length, 1.0);
            const double pitch =
                base + glide * along * along + character.warble * Sine(warbleRate * t);
            const double cycles = phase.Advance(pitch);
            const double tone = Sine(cycles) * 0.8 + SoftSquare(cycles, 1.5) * 0.2;
            wave.At(first + i, 0) += tone * Gate(t, length, 0.004, 0.012);
        }
    }
    wave.ScaleToPeak(kSignalPeak);
    return wave;
}
