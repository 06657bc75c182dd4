#pragma once

// Phase that follows a frequency given per sample, so glides stay continuous.
class CPhase {
public:
    double Advance(double frequency); // returns the phase in cycles before the step
    double Get() const { return phase; }

private:
    double phase = 0.0;
};
