#pragma once

#include "board/BoardService.h"
#include "board/SqliteStore.h"

#include "BoardServer.h"
#include "ToneFiles.h"

#include <atomic>
#include <gtest/gtest.h>
#include <httplib.h>
#include <memory>
#include <string>
#include <thread>

// Monday 7 December 2026, 12:00 UTC.
constexpr std::int64_t kMonday = 1796644800;
inline const std::string kToken = "Zk3v9QpL2mXw8RtY4uHb7NcE1sDf6GaJ0oKi5lVnTr";

// A board service in this process on loopback with a scratch SQLite file, checking with
// verifier, its clock at now. Allowances left at their defaults are raised out of the way.
class CInProcessBoard {
public:
    explicit CInProcessBoard(CBoardService::SSettings settings = {},
                             std::string verifier = ZELKORA_GAME_BINARY)
        : store(scratch.Join("board.sqlite3")),
          checker(std::move(verifier), scratch.GetPath(), CRunChecker::SLimits{}),
          days(std::string(64, 'd')) {
        std::string problem;
        EXPECT_TRUE(store.Open(problem)) << problem;
        settings.perMinute = settings.perMinute == 10 ? 100 : settings.perMinute;
        settings.namesPerHour = settings.namesPerHour == 5 ? 100 : settings.namesPerHour;
        service = std::make_unique<CBoardService>(store, checker, days, settings,
                                                  [this] { return now.load(); });
        EXPECT_TRUE(service->Bind("127.0.0.1", 0, problem)) << problem;
        serving = std::thread([this] { service->Serve(); });
        client = std::make_unique<httplib::Client>("127.0.0.1", service->GetPort());
        client->set_read_timeout(120, 0);
    }
    ~CInProcessBoard() {
        service->Stop();
        serving.join();
    }

    httplib::Result Submit(const std::string& name, const std::string& bytes,
                           const std::string& token = kToken, const std::string& from = "") {
        return PostRun(service->GetPort(), name, bytes, token, from);
    }

    const CScratchDirectory scratch; // first made, last gone
    CSqliteStore store;
    CRunChecker checker;
    CBoardDays days;
    std::atomic<std::int64_t> now{kMonday};
    std::unique_ptr<CBoardService> service;
    std::thread serving;
    std::unique_ptr<httplib::Client> client;
};
