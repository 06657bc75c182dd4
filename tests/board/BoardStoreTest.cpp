#include "board/BoardStore.h"
#include "base/PlayerName.h"
#include "board/PostgresStore.h"
#include "board/SqliteStore.h"

#include "PostgresServer.h"
#include "ToneFiles.h"

#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace {

using SRun = CBoardStore::SRun;
using SWorld = CBoardStore::SWorld;

const SWorld kWorld{3, 512, 17};

SRun ARun(const std::string& id, const std::string& player, long long milliseconds,
          std::int64_t submittedAt, SWorld world = kWorld) {
    SRun run;
    run.id = std::string(64 - id.size(), '0') + id;
    run.player = player;
    run.world = world;
    run.milliseconds = milliseconds;
    run.splits = {milliseconds / 3, milliseconds / 2};
    run.submittedAt = submittedAt;
    run.recordedAt = submittedAt - 60;
    run.gameVersion = "1.2.0";
    run.replay = "ZRP bytes of " + id;
    run.flight = "flight of " + id;
    return run;
}

std::vector<std::string> Players(const std::vector<CBoardStore::SRankedRun>& ranked) {
    std::vector<std::string> players;
    for (const auto& [rank, run] : ranked) {
        players.push_back(std::to_string(rank) + " " + run.player);
    }
    return players;
}

// The same cases for every store: SQLite in a scratch file, PostgreSQL in a database of the
// case's own on the tests' server.
class BoardStore : public testing::TestWithParam<std::string> {
protected:
    void SetUp() override {
        url = GetParam() == "postgresql" ? CPostgresServer::Get().NewDatabase() : "";
        store = Make();
        std::string problem;
        ASSERT_TRUE(store->Open(problem)) << problem;
        for (const char* name : {"Ann", "Bo", "Cy"}) {
            ASSERT_EQ(
                store->ClaimName(name, CPlayerName::Key(name), std::string("token of ") + name),
                CBoardStore::EName::Claimed);
        }
    }
    std::unique_ptr<CBoardStore> Make() {
        if (!url.empty()) {
            return std::make_unique<CPostgresStore>(url);
        }
        return std::make_unique<CSqliteStore>(scratch.Join("board.sqlite3"));
    }

    const CScratchDirectory scratch; // first made, last gone
    std::string url;
    std::unique_ptr<CBoardStore> store;
};

} // namespace

TEST_P(BoardStore, ANameIsItsFirstTokensWhateverItsCase) {
    EXPECT_EQ(store->LookUpName("dee", "t"), CBoardStore::EName::Claimed) << "free";
    EXPECT_EQ(store->ClaimName("ANN", "ann", "token of Ann"), CBoardStore::EName::Owned);
    EXPECT_EQ(store->ClaimName("ANN", "ann", "another token"), CBoardStore::EName::Taken);
    EXPECT_EQ(store->LookUpName("ann", "another token"), CBoardStore::EName::Taken);
    const std::optional<SRun> none = store->FindRun(std::string(64, 'f'));
    EXPECT_FALSE(none.has_value());
}

TEST_P(BoardStore, EachPlayersBestCountsAndASlowerRunIsAnsweredButNotKept) {
    const auto first = store->Submit(ARun("a1", "Ann", 90000, 1000), "ann", "");
    EXPECT_TRUE(first.kept);
    EXPECT_EQ(first.rank, 1);
    EXPECT_EQ(first.players, 1);
    EXPECT_EQ(store->Submit(ARun("b1", "Bo", 80000, 1100), "bo", "").rank, 1);
    const auto slower = store->Submit(ARun("a2", "Ann", 95000, 1200), "ann", "");
    EXPECT_FALSE(slower.kept);
    EXPECT_EQ(slower.rank, 2) << "where it would have stood";
    EXPECT_EQ(slower.best.id, ARun("a1", "", 0, 0).id);
    EXPECT_FALSE(store->FindRun(ARun("a2", "", 0, 0).id).has_value()) << "not kept";
    const auto again = store->Submit(ARun("b1", "Bo", 80000, 1100), "bo", "");
    EXPECT_TRUE(again.known);
    EXPECT_TRUE(again.kept);
    EXPECT_EQ(store->Submit(ARun("a3", "Ann", 70000, 1300), "ann", "").rank, 1);
    EXPECT_FALSE(store->FindRun(ARun("a1", "", 0, 0).id).has_value()) << "the slower best goes";
    // Equal times share a rank; the earlier submission is listed first.
    EXPECT_EQ(store->Submit(ARun("c1", "Cy", 70000, 1250), "cy", "").rank, 1);
    store->Submit(ARun("c2", "Cy", 1000, 1400, SWorld{3, 512, 18}), "cy", "");

    EXPECT_EQ(Players(store->GetBoard(kWorld, 0, 10)),
              (std::vector<std::string>{"1 Cy", "1 Ann", "3 Bo"}));
    EXPECT_EQ(Players(store->GetBoard(kWorld, 1, 2)), (std::vector<std::string>{"1 Ann", "3 Bo"}));
    EXPECT_EQ(store->CountBoard(kWorld), 3);
    const std::optional<SRun> kept = store->FindRun(ARun("a3", "", 0, 0).id);
    ASSERT_TRUE(kept.has_value());
    EXPECT_EQ(kept->replay, "ZRP bytes of a3");
    EXPECT_EQ(kept->splits, (std::vector<long long>{23333, 35000}));
    const std::vector<SRun> latest = store->GetLatest(2);
    ASSERT_EQ(latest.size(), 2u);
    EXPECT_EQ(latest[0].player, "Cy");
    EXPECT_EQ(latest[0].world.seed, 18u);
    EXPECT_EQ(latest[1].player, "Ann");
}

// A day's board keeps the runs of that day, whatever the player flew in its world afterwards.
TEST_P(BoardStore, ADaysBoardKeepsItsOwnBestsAndTheOperatorRemoves) {
    store->Submit(ARun("a1", "Ann", 90000, 1000), "ann", "2026-12-08");
    store->Submit(ARun("b1", "Bo", 95000, 1000), "bo", "2026-12-08");
    store->Submit(ARun("a2", "Ann", 60000, 90000), "ann", ""); // the next day, in the same world
    EXPECT_EQ(Players(store->GetDayBoard("2026-12-08", 0, 10)),
              (std::vector<std::string>{"1 Ann", "2 Bo"}));
    EXPECT_EQ(store->GetDayBoard("2026-12-08", 0, 10)[0].run.milliseconds, 90000);
    EXPECT_EQ(store->GetBoard(kWorld, 0, 10)[0].run.milliseconds, 60000);
    EXPECT_EQ(store->CountDayBoard("2026-12-08"), 2);
    EXPECT_EQ(store->GetDays(5), (std::vector<std::string>{"2026-12-08"}));

    EXPECT_TRUE(store->RemoveRun(ARun("b1", "", 0, 0).id));
    EXPECT_FALSE(store->RemoveRun(ARun("b1", "", 0, 0).id));
    EXPECT_EQ(Players(store->GetDayBoard("2026-12-08", 0, 10)),
              (std::vector<std::string>{"1 Ann"}));
    EXPECT_TRUE(store->RemoveName("ann"));
    EXPECT_EQ(store->CountBoard(kWorld), 0);
    EXPECT_EQ(store->CountDayBoard("2026-12-08"), 0);
    EXPECT_EQ(store->LookUpName("ann", "token of Ann"), CBoardStore::EName::Claimed);
}

TEST_P(BoardStore, AStandingIsThePlayersBestWithItsRank) {
    store->Submit(ARun("a1", "Ann", 90000, 1000), "ann", "");
    store->Submit(ARun("b1", "Bo", 80000, 1100), "bo", "");
    store->Submit(ARun("c1", "Cy", 90000, 900), "cy", ""); // equal: one rank for both
    const auto ann = store->GetStanding(kWorld, "ann");
    ASSERT_TRUE(ann.has_value());
    EXPECT_EQ(ann->rank, 2);
    EXPECT_EQ(store->GetStanding(kWorld, "cy")->rank, 2);
    EXPECT_EQ(ann->run.id, ARun("a1", "", 0, 0).id);
    EXPECT_EQ(store->GetStanding(kWorld, "bo")->rank, 1);
    EXPECT_FALSE(store->GetStanding(SWorld{3, 512, 18}, "ann").has_value());
}

// A flight belongs to the first name that sent it, also once a faster run replaced it.
TEST_P(BoardStore, AFlightIsItsFirstPlayersForGood) {
    SRun copy = ARun("b1", "Bo", 90000, 1100);
    copy.flight = ARun("a1", "", 0, 0).flight;
    store->Submit(ARun("a1", "Ann", 90000, 1000), "ann", "");
    EXPECT_EQ(store->Submit(copy, "bo", "").flightOwner, "Ann");
    store->Submit(ARun("a2", "Ann", 80000, 1200), "ann", "");
    ASSERT_FALSE(store->FindRun(ARun("a1", "", 0, 0).id).has_value()) << "replaced";
    const auto taken = store->Submit(copy, "bo", "2026-12-08");
    EXPECT_EQ(taken.flightOwner, "Ann");
    EXPECT_FALSE(taken.kept);
    EXPECT_EQ(store->CountBoard(kWorld), 1);
    EXPECT_EQ(store->CountDayBoard("2026-12-08"), 0);
    const auto owner = store->FindFlight(copy.flight);
    ASSERT_TRUE(owner.has_value());
    EXPECT_EQ(owner->nameKey, "ann");
    EXPECT_EQ(owner->runId, ARun("a1", "", 0, 0).id);
    EXPECT_TRUE(store->Submit(ARun("a1", "Ann", 90000, 1000), "ann", "").known) << "her own";
    EXPECT_FALSE(store->FindFlight("flight of nothing").has_value());
}

// Servers sharing a database share one allowance: two stores on it count together.
TEST_P(BoardStore, AllowancesAreCountedInTheDatabaseAndEachMinuteAnew) {
    std::unique_ptr<CBoardStore> other = Make();
    std::string problem;
    ASSERT_TRUE(other->Open(problem)) << problem;
    EXPECT_TRUE(store->CountSubmission("player ann", 100, 3));
    EXPECT_TRUE(other->CountSubmission("player ann", 100, 3));
    EXPECT_TRUE(store->CountSubmission("player bo", 100, 3)) << "another key";
    EXPECT_TRUE(other->CountSubmission("player ann", 100, 3));
    EXPECT_FALSE(store->CountSubmission("player ann", 100, 3));
    EXPECT_TRUE(store->CountSubmission("player ann", 101, 3)) << "a new minute";
}

TEST_P(BoardStore, AStoreOpensAgainWithWhatItHeld) {
    store->Submit(ARun("a1", "Ann", 90000, 1000), "ann", "");
    store = Make();
    std::string problem;
    ASSERT_TRUE(store->Open(problem)) << problem;
    EXPECT_EQ(store->CountBoard(kWorld), 1);
}

INSTANTIATE_TEST_SUITE_P(Databases, BoardStore, testing::Values("sqlite", "postgresql"),
                         [](const testing::TestParamInfo<std::string>& info) {
                             return info.param;
                         });
