#include "Phase.h"

#include "Wave.h"

#include <cmath>

double CPhase::Advance(double frequency) {
    const double before = phase;
    phase += frequency / CWave::kRate;
    phase -= std::floor(phase);
    return before;
}
