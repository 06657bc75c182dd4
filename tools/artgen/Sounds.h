#pragma once

#include "Wave.h"

// The sound effects, mono. Peaks stay well below full scale so that a few effects and the music
// together do not clip in the mix.
CWave MakeLaserSound();                // a short zap, 0.3 s
CWave MakeExplosionSound(int variant); // 1: a deep boom, 2: a crunching blast
CWave MakeSqueakySound();              // a rubbery squeal of twisted metal
CWave MakeStartSound();                // engines spooling up to a bright chord
CWave MakeEnergyWarningSound();        // three falling double beeps
CWave MakeEnergyAlertSound();          // a klaxon, exactly 1 s, that loops without a seam
CWave MakeSelfDestructSound();         // a falling siren, ticks, a rumble
CWave MakeDroidChirp(int number);      // 1 to 5: different droid-like chirps
