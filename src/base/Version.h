#pragma once

// The game's version, "1.3.0": the project's, as the package's is. Replays carry it, and a
// replay is checked only by a game whose rules are the same.
const char* GetGameVersion();
