#pragma once

#include "base/PlayerName.h"
#include "board/BoardStore.h"

#include <string>
#include <vector>

// A run put straight into store, as a board keeps one, with no check flown: its player's name
// claimed first, on the board of day too unless day is "", sent and flown on 7 December 2026.
// id: the id's last hex digits, zeros before them; its replay and flight are marked with it.
inline std::string KeepRun(CBoardStore& store, const std::string& id, const std::string& player,
                           const CBoardStore::SWorld& world, long long milliseconds,
                           const std::string& day, const std::vector<long long>& splits = {}) {
    CBoardStore::SRun run;
    run.id = std::string(64 - id.size(), '0') + id;
    run.player = player;
    run.world = world;
    run.milliseconds = milliseconds;
    run.splits = splits;
    run.submittedAt = run.recordedAt = 1796644200;
    run.replay = "ZRP " + run.id;
    run.flight = "flight " + run.id;
    store.ClaimName(player, CPlayerName::Key(player), "token");
    store.Submit(run, CPlayerName::Key(player), day);
    return run.id;
}
