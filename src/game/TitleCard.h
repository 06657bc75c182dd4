#pragma once

#include "fx/Hud.h"

#include <string>
#include <utility>
#include <vector>

// The card over the start of a run until the ship moves: the game's name and version, the
// world, the best times known of it and the keys a newcomer needs. It only draws; whether it
// shows is the game's to say.
class CTitleCard {
public:
    struct SFacts {
        std::string world;                    // "WORLD 17" or "DAILY 2026-12-08"
        long long bestMilliseconds = -1;      // the player's best of the world; -1 for none
        long long boardBestMilliseconds = -1; // the board's; -1 while not known
    };

    // The default bindings' lines, used until SetKeys: fly, steer, fire and the menu.
    static const std::vector<std::string>& DefaultKeys();
    // The key lines of the bindings in force, one a command, shown in this order.
    void SetKeys(std::vector<std::string> lines) { keys = std::move(lines); }

    void Show() { shown = true; }
    bool Hide(); // true when it was shown
    bool IsShown() const { return shown; }

    // The name and version, the world, the best times, then the key lines two to a row when
    // they fit side by side.
    std::vector<CHud::SPanelLine> GetLines(const SFacts& facts) const;

private:
    std::vector<std::string> keys = DefaultKeys();
    bool shown = false;
};
