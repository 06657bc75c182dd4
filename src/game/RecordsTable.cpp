#include "game/RecordsTable.h"

#include "game/DailyWorld.h"

#include <algorithm>
#include <cstdio>
#include <utility>

namespace {

std::string Padded(std::string text, std::size_t width) {
    text.resize(std::max(text.size(), width), ' ');
    return text;
}

} // namespace

std::string CRecordsTable::WorldName(const CRecords::SWorld& world) {
    char text[64];
    std::string date;
    if (CDailyWorld::IsDaily(world.seed, world.difficulty, world.nodes, date)) {
        std::replace(date.begin(), date.end(), '-', '.');
        std::snprintf(text, sizeof text, "D %d  N %d  DAILY %s", world.difficulty, world.nodes,
                      date.c_str());
    } else {
        std::snprintf(text, sizeof text, "D %d  N %d  SEED %u", world.difficulty, world.nodes,
                      world.seed);
    }
    return text;
}

std::vector<std::string> CRecordsTable::GetLines(const CRecords::Table* records,
                                                 const CRecords::SWorld& flown,
                                                 long long ghostMilliseconds) {
    if (records == nullptr) {
        return {"RECORDS OFF"};
    }
    const auto flownRecord = records->find(flown);
    const long long best = flownRecord == records->end() ? -1 : flownRecord->second.milliseconds;
    std::string bestLine = "BEST " + (best < 0 ? std::string("NONE") : CRecords::FormatTime(best));
    if (ghostMilliseconds != kNoGhost) {
        bestLine += "  GHOST " + CRecords::FormatTime(ghostMilliseconds);
    }
    std::vector<std::string> lines = {"RECORDS", "THIS WORLD  " + WorldName(flown), bestLine};
    std::vector<std::pair<CRecords::SWorld, CRecords::SRecord>> others;
    for (const auto& entry : *records) {
        if (!(entry.first == flown)) {
            others.push_back(entry);
        }
    }
    std::stable_sort(others.begin(), others.end(),
                     [](const auto& a, const auto& b) { return a.second.setAt > b.second.setAt; });
    if (!others.empty()) {
        lines.push_back("");
    }
    for (std::size_t i = 0; i < others.size() && i < kOtherWorlds; ++i) {
        lines.push_back(Padded(WorldName(others[i].first), 32) +
                        CRecords::FormatTime(others[i].second.milliseconds));
    }
    return lines;
}
