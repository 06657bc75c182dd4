#include "game/TitleCard.h"

#include "base/Version.h"
#include "runs/Records.h"

namespace {

constexpr std::size_t kKeyColumn = CHud::kPanelColumns / 2; // the second key of a row

std::string BestTimes(const CTitleCard::SFacts& facts) {
    std::string best =
        "BEST " + (facts.bestMilliseconds < 0 ? std::string("NONE")
                                              : CRecords::FormatTime(facts.bestMilliseconds));
    if (facts.boardBestMilliseconds >= 0) {
        best += "  BOARD " + CRecords::FormatTime(facts.boardBestMilliseconds);
    }
    return best;
}

} // namespace

const std::vector<std::string>& CTitleCard::DefaultKeys() {
    static const std::vector<std::string> keys = {"SPACE FLY", "ARROWS STEER", "Y FIRE",
                                                  "ENTER MENU"};
    return keys;
}

bool CTitleCard::Hide() {
    const bool wasShown = shown;
    shown = false;
    return wasShown;
}

std::vector<CHud::SPanelLine> CTitleCard::GetLines(const SFacts& facts) const {
    std::vector<CHud::SPanelLine> lines = {
        {std::string("ZELKORA ") + GetGameVersion(), CHud::EColour::Yellow},
        {facts.world},
        {BestTimes(facts)},
    };
    for (std::size_t i = 0; i < keys.size(); ++i) {
        std::string row = keys[i];
        const bool pairFits = i + 1 < keys.size() && row.size() < kKeyColumn &&
                              keys[i + 1].size() <= CHud::kPanelColumns - kKeyColumn;
        if (pairFits) {
            row.resize(kKeyColumn, ' ');
            row += keys[++i];
        }
        lines.push_back({row, CHud::EColour::Grey});
    }
    return lines;
}
