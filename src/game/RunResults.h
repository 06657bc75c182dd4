#pragma once

#include "fx/Hud.h"

#include <string>
#include <vector>

class CGhost;

// The results of the player's run that just finished, as the panel shows them: its time
// against the world's best before it, each split against the best run's (faster green, slower
// red, a bar each, the longest gap filling its bar), the board's answer once it comes, and the
// keys for what next. It only draws; whether it shows is the game's to say.
class CRunResults {
public:
    static constexpr const char* kKeysLine = "ENTER MENU  R AGAIN  N NEW WORLD"; // the last line
    static constexpr const char* kBoardWaiting = "BOARD ...";
    // The smallest gap, seconds, that fills a bar: closer runs show short bars.
    static constexpr double kLeastFullBar = 0.5;

    struct SRun {
        double finishClock = 0.0;     // the run's course time, seconds
        std::vector<double> splits;   // its course clock at each disc before the finish
        bool newBest = false;         // it set the world's record
        long long bestBefore = -1;    // the world's best time before it, milliseconds; -1 none
        const CGhost* best = nullptr; // the best run, whose splits it is measured against; read
                                      // by Show only
    };

    // boardAnswers: the run went to a board, whose answer is awaited.
    void Show(const SRun& run, bool boardAnswers);
    void Hide() { shown = false; }
    bool IsShown() const { return shown; }
    // The board's answer to the run shown ("BOARD #3 OF 41"): in place of kBoardWaiting.
    void TakeBoardAnswer(const std::string& answer);
    const std::vector<CHud::SPanelLine>& GetLines() const { return lines; }

private:
    static CHud::SPanelLine Gap(std::string label, double seconds, double fullBar);

    std::vector<CHud::SPanelLine> lines;
    std::size_t boardLine = 0; // its index; 0 when no answer is awaited
    bool shown = false;
};
