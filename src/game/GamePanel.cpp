#include "game/GamePanel.h"

#include "game/Ghost.h"
#include "game/RecordsTable.h"
#include "game/RunBook.h"
#include "online/BoardLink.h"
#include "runs/Records.h"

#include <utility>

CGamePanel::CGamePanel(const CRunBook& book) : book(book) {}

void CGamePanel::SetMenu(std::vector<CHud::SPanelLine> lines) {
    if (!lines.empty()) {
        title.Hide();
        results.Hide();
    }
    menu = std::move(lines);
    Changed();
}

void CGamePanel::ToggleRecordsTable() {
    recordsTableShown = !recordsTableShown;
    Changed();
}

void CGamePanel::BeginRun() {
    results.Hide();
    title.Show();
    Changed();
}

void CGamePanel::HideTitle() {
    if (title.Hide()) {
        Changed();
    }
}

void CGamePanel::ShowResults(double clock, bool boardAnswers) {
    CRunResults::SRun run;
    run.finishClock = clock;
    run.splits = book.GetCourseSplits();
    run.newBest = book.IsNewBest();
    run.bestBefore = book.GetPreviousBest();
    run.best = book.GetGhost(); // the best run's until the restart brings a new one
    results.Show(run, boardAnswers);
    Changed();
}

void CGamePanel::TakeBoardAnswer(const std::string& answer) {
    results.TakeBoardAnswer(answer);
    Changed();
}

std::vector<std::string> CGamePanel::GetRecordsTableLines(const SWorld& world) const {
    const CGhost* ghost = book.GetGhost();
    const long long ghostTime = ghost != nullptr ? CRecords::ToMilliseconds(ghost->GetFinishClock())
                                                 : CRecordsTable::kNoGhost;
    const CRecords* records = book.GetRecords();
    std::vector<std::string> lines;
    if (records == nullptr) {
        lines = CRecordsTable::GetLines(nullptr, {}, ghostTime);
    } else {
        const CRecords::Table table = records->GetTable(); // a copy: a save may change it
        lines = CRecordsTable::GetLines(&table, CRecords::SWorld::Of(world.identity), ghostTime,
                                        world.dailyDate);
    }
    if (board != nullptr) {
        const std::vector<std::string> boardLines =
            CRecordsTable::GetBoardLines(board->GetStanding(), board->CanSend());
        lines.push_back("");
        lines.insert(lines.end(), boardLines.begin(), boardLines.end());
    }
    return lines;
}

CTitleCard::SFacts CGamePanel::TitleFacts(const SWorld& world) const {
    CTitleCard::SFacts facts;
    facts.world = world.dailyDate.empty() ? "WORLD " + std::to_string(world.identity.seed)
                                          : "DAILY " + world.dailyDate;
    if (const CRecords* records = book.GetRecords()) {
        facts.bestMilliseconds = records->GetBest(CRecords::SWorld::Of(world.identity));
    }
    if (board != nullptr) {
        const CBoardLink::SStanding standing = board->GetStanding();
        if (standing.state == CBoardLink::SStanding::EState::Fetched &&
            standing.world.IsSameWorld(world.identity) && !standing.board.top.empty()) {
            facts.boardBestMilliseconds = standing.board.top.front().milliseconds;
        }
    }
    return facts;
}

std::vector<CHud::SPanelLine> CGamePanel::PanelLines(const SWorld& world) const {
    if (!menu.empty()) {
        return menu;
    }
    if (recordsTableShown) {
        std::vector<CHud::SPanelLine> table;
        for (std::string& line : GetRecordsTableLines(world)) {
            table.push_back({std::move(line)});
        }
        return table;
    }
    return results.IsShown() ? results.GetLines() : std::vector<CHud::SPanelLine>();
}

void CGamePanel::Update(CHud& hud, const SWorld& world) {
    const CRecords* records = book.GetRecords();
    const int recordsChanges = records != nullptr ? records->GetChangeCount() : 0;
    const int boardChanges = board != nullptr ? board->GetChangeCount() : 0;
    if (drawnVersion == version && drawnRecordsChanges == recordsChanges &&
        drawnBoardChanges == boardChanges) {
        return;
    }
    drawnVersion = version;
    drawnRecordsChanges = recordsChanges;
    drawnBoardChanges = boardChanges;
    std::vector<CHud::SPanelLine> lines = PanelLines(world);
    const bool titleShown = lines.empty() && title.IsShown();
    hud.SetTitle(titleShown ? title.GetLines(TitleFacts(world)) : std::vector<CHud::SPanelLine>());
    hud.SetPanel(std::move(lines));
}
