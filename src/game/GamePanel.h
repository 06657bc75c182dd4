#pragma once

#include "fx/Hud.h"
#include "game/RunResults.h"
#include "game/TitleCard.h"
#include "world/WorldIdentity.h"

#include <cstddef>
#include <string>
#include <vector>

class CBoardLink;
class CRunBook;

// What the HUD's panel and title box show, decided in this one place in this order: the menu's
// lines, the Tab records table, the results of the run just finished, the title card (in a box
// of its own); whatever comes first hides the rest. It only reads the game and draws nothing
// itself: Update hands the HUD the lines, made again only when something they show may have
// changed.
class CGamePanel {
public:
    // The world flown, as the records table and the title card name it.
    struct SWorld {
        CWorldIdentity identity;
        std::string dailyDate; // "2026-12-08" for the world of the day, else ""
    };

    explicit CGamePanel(const CRunBook& book);              // kept by the caller
    void SetBoard(const CBoardLink* link) { board = link; } // kept by the caller; may be null

    void SetMenu(std::vector<CHud::SPanelLine> lines); // empty: no menu; opening one ends the
                                                       // title card and the results
    void ToggleRecordsTable();
    bool IsRecordsTableShown() const { return recordsTableShown; }
    // The table's lines: the world being flown with its best time and the ghost's, then up to
    // ten other worlds, the most recently improved first, then the board's; "RECORDS OFF"
    // without records.
    std::vector<std::string> GetRecordsTableLines(const SWorld& world) const;

    void SetTitleKeys(std::vector<std::string> lines) { title.SetKeys(std::move(lines)); }
    void BeginRun();  // a run of the player sets out: the results go, the title card comes
    void HideTitle(); // the ship moved, or the menu opened
    // The player's run finished now, at that course clock, seconds, as the book has it;
    // boardAnswers: it went to a board, whose answer is awaited.
    void ShowResults(double clock, bool boardAnswers);
    void TakeBoardAnswer(const std::string& answer); // to the run the results show
    void Changed() { ++version; } // the records, the ghost or the world may have changed

    void Update(CHud& hud, const SWorld& world); // once a frame, before the HUD draws

private:
    CTitleCard::SFacts TitleFacts(const SWorld& world) const;
    std::vector<CHud::SPanelLine> PanelLines(const SWorld& world) const;

    const CRunBook& book;
    const CBoardLink* board = nullptr;
    std::vector<CHud::SPanelLine> menu;
    bool recordsTableShown = false;
    CRunResults results;
    CTitleCard title;
    int version = 0; // moves on whenever what shows may have changed
    int drawnVersion = -1;
    int drawnRecordsChanges = -1; // the records' own count: a save may merge another game's
    int drawnBoardChanges = -1;
};
