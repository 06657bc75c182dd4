#include "game/RunResults.h"

#include "game/Ghost.h"
#include "runs/Records.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr std::size_t kLabelColumns = 10;
constexpr std::size_t kTimeColumns = 10;

std::string Padded(std::string text, std::size_t width) {
    text.resize(std::max(text.size(), width), ' ');
    return text;
}

std::string Time(double seconds) {
    return CRecords::FormatTime(CRecords::ToMilliseconds(seconds));
}

// Each gap of the run to the best, seconds: the finish's first, then the splits' the best
// run has. Missing ones are NaN.
std::vector<double> Gaps(const CRunResults::SRun& run) {
    std::vector<double> gaps;
    gaps.push_back(run.bestBefore < 0
                       ? std::nan("")
                       : run.finishClock - static_cast<double>(run.bestBefore) / 1000.0);
    for (std::size_t disc = 0; disc < run.splits.size(); ++disc) {
        const double best = run.best != nullptr ? run.best->GetSplit(disc) : -1.0;
        gaps.push_back(best < 0.0 ? std::nan("") : run.splits[disc] - best);
    }
    return gaps;
}

double FullBar(const std::vector<double>& gaps) {
    double longest = CRunResults::kLeastFullBar;
    for (const double gap : gaps) {
        if (!std::isnan(gap)) {
            longest = std::max(longest, std::fabs(gap));
        }
    }
    return longest;
}

} // namespace

CHud::SPanelLine CRunResults::Gap(std::string label, double seconds, double fullBar) {
    if (std::isnan(seconds)) {
        return {label};
    }
    const CHud::EColour colour = seconds < 0.0   ? CHud::EColour::Green
                                 : seconds > 0.0 ? CHud::EColour::Red
                                                 : CHud::EColour::White;
    return {Padded(std::move(label), kLabelColumns + kTimeColumns) + CGhost::FormatSplit(seconds),
            colour, static_cast<float>(seconds / fullBar)};
}

void CRunResults::Show(const SRun& run, bool boardAnswers) {
    const std::vector<double> gaps = Gaps(run);
    const double fullBar = FullBar(gaps);
    lines = {
        {Padded("TIME", kLabelColumns) + Time(run.finishClock) + (run.newBest ? "  NEW BEST" : ""),
         run.newBest ? CHud::EColour::Yellow : CHud::EColour::White}};
    const std::string best =
        run.bestBefore < 0 ? std::string("NONE") : CRecords::FormatTime(run.bestBefore);
    lines.push_back(Gap(Padded("BEST", kLabelColumns) + best, gaps[0], fullBar));
    lines.push_back({""});
    for (std::size_t disc = 0; disc < run.splits.size(); ++disc) {
        const std::string label = Padded("DISC " + std::to_string(disc), kLabelColumns);
        lines.push_back(Gap(label + Time(run.splits[disc]), gaps[disc + 1], fullBar));
    }
    lines.push_back({""});
    boardLine = 0;
    if (boardAnswers) {
        boardLine = lines.size();
        lines.push_back({kBoardWaiting});
    }
    lines.push_back({kKeysLine, CHud::EColour::Grey});
    shown = true;
}

void CRunResults::TakeBoardAnswer(const std::string& answer) {
    if (shown && boardLine != 0) {
        lines[boardLine].text = answer;
    }
}
