#pragma once

#include "Wave.h"

// The game's music: 32 bars at 120 beats a minute in A minor, stereo, exactly 64 s, made to
// loop: every tail that rings past the end is folded back onto the start.
CWave ComposeMusic();

constexpr double kMusicSeconds = 64.0;
