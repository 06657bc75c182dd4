#include "board/BoardPages.h"

#include "board/SplitChart.h"
#include "runs/Records.h"
#include "runs/RecordsFile.h"

#include <cstdio>

namespace {

const char* const kStyle =
    "body{font-family:sans-serif;max-width:56em;margin:1em auto;padding:0 1em;color:#123}"
    "table{border-collapse:collapse;width:100%}th,td{text-align:left;padding:.2em .6em}"
    "tr:nth-child(even){background:#eef3fa}td.time{font-variant-numeric:tabular-nums}"
    "h1 a{color:inherit;text-decoration:none}svg{width:100%;height:auto}";

std::string Page(const std::string& title, const std::string& body) {
    return "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\">"
           "<meta name=\"viewport\" content=\"width=device-width\"><title>" +
           CBoardPages::Escape(title) + "</title><style>" + kStyle +
           "</style></head><body><h1><a href=\"/\">Zelkora board</a></h1>\n" + body +
           "</body></html>\n";
}

std::string Link(const std::string& path, const std::string& text) {
    return "<a href=\"" + CBoardPages::Escape(path) + "\">" + CBoardPages::Escape(text) + "</a>";
}

std::string Splits(const std::vector<long long>& splits) {
    std::string text;
    for (const long long split : splits) {
        text += (text.empty() ? "" : " ") + CRecords::FormatTime(split);
    }
    return text;
}

std::string RankTable(const std::vector<CBoardStore::SRankedRun>& ranked) {
    if (ranked.empty()) {
        return "<p>No runs yet.</p>\n";
    }
    std::string html = "<table><tr><th>Rank</th><th>Player</th><th>Time</th><th>Date</th>"
                       "<th>Splits</th><th>Replay</th></tr>\n";
    for (const auto& [rank, run] : ranked) {
        html += "<tr><td>" + std::to_string(rank) + "</td><td class=\"player\">" +
                CBoardPages::Escape(run.player) + "</td><td class=\"time\">" +
                Link(CBoardPages::RunPath(run.id), CRecords::FormatTime(run.milliseconds)) +
                "</td><td>" + CRecordsFile::FormatDate(run.submittedAt).substr(0, 10) +
                "</td><td class=\"time\">" + Splits(run.splits) + "</td><td>" +
                Link(CBoardPages::ReplayPath(run.id), "replay") + "</td></tr>\n";
    }
    return html + "</table>\n";
}

std::string Pager(const std::string& path, int page, int pages) {
    std::string html = "<p>";
    if (page > 1) {
        html += Link(path + "?page=" + std::to_string(page - 1), "previous") + " ";
    }
    html += "page " + std::to_string(page) + " of " + std::to_string(pages < 1 ? 1 : pages);
    if (page < pages) {
        html += " " + Link(path + "?page=" + std::to_string(page + 1), "next");
    }
    return html + "</p>\n";
}

} // namespace

std::string CBoardPages::Escape(const std::string& text) {
    std::string escaped;
    for (const char c : text) {
        const unsigned char byte = static_cast<unsigned char>(c);
        switch (c) {
        case '&':
            escaped += "&amp;";
            break;
        case '<':
            escaped += "&lt;";
            break;
        case '>':
            escaped += "&gt;";
            break;
        case '"':
            escaped += "&quot;";
            break;
        case '\'':
            escaped += "&#39;";
            break;
        default:
            if (byte < 0x20 || byte == 0x7f) {
                escaped += "&#xfffd;"; // no control byte reaches the page
            } else {
                escaped += c;
            }
        }
    }
    return escaped;
}

std::string CBoardPages::WorldPath(const CBoardStore::SWorld& world) {
    return "/worlds/" + std::to_string(world.difficulty) + "-" + std::to_string(world.nodes) + "-" +
           std::to_string(world.seed);
}

std::string CBoardPages::RunPath(const std::string& id) {
    return "/runs/" + id;
}

std::string CBoardPages::ReplayPath(const std::string& id) {
    return "/api/runs/" + id + "/replay";
}

std::string CBoardPages::ReplayFileName(const CBoardStore::SRun& run) {
    static const std::string kKept = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ"
                                     "0123456789-_";
    std::string name = run.player;
    for (char& c : name) {
        c = kKept.find(c) == std::string::npos ? '_' : c;
    }
    return "zelkora-" + std::to_string(run.world.difficulty) + "-" +
           std::to_string(run.world.nodes) + "-" + std::to_string(run.world.seed) + "-" + name +
           ".zrp";
}

std::string CBoardPages::WorldName(const CBoardStore::SWorld& world) {
    return "difficulty " + std::to_string(world.difficulty) + ", " + std::to_string(world.nodes) +
           " nodes, seed " + std::to_string(world.seed);
}

std::string CBoardPages::Home(const SDay& today, const std::vector<CBoardStore::SRun>& latest,
                              const std::vector<std::string>& days) {
    std::string body = "<h2>Today, " + Escape(today.date) + "</h2>\n<p>" +
                       Link(WorldPath(today.world), WorldName(today.world)) +
                       " &middot; fly it with <code>zelkora --daily</code></p>\n" +
                       RankTable(today.top) + "<h2>Latest runs</h2>\n";
    if (latest.empty()) {
        body += "<p>No runs yet.</p>\n";
    } else {
        body += "<table><tr><th>Player</th><th>Time</th><th>World</th><th>Date</th></tr>\n";
        for (const CBoardStore::SRun& run : latest) {
            body += "<tr><td class=\"player\">" + Escape(run.player) + "</td><td class=\"time\">" +
                    Link(RunPath(run.id), CRecords::FormatTime(run.milliseconds)) + "</td><td>" +
                    Link(WorldPath(run.world), WorldName(run.world)) + "</td><td>" +
                    CRecordsFile::FormatDate(run.submittedAt) + "</td></tr>\n";
        }
        body += "</table>\n";
    }
    body += "<h2>Days before</h2>\n<ul>\n";
    for (const std::string& day : days) {
        body += "<li>" + Link("/days/" + day, day) + "</li>\n";
    }
    return Page("Zelkora board", body + "</ul>\n");
}

std::string CBoardPages::World(const CBoardStore::SWorld& world,
                               const std::vector<CBoardStore::SRankedRun>& ranked, int page,
                               int pages, const std::vector<CBoardStore::SRankedRun>& top) {
    std::string chart;
    if (!top.empty()) {
        chart = "<h3>The fastest runs, disc by disc</h3>\n<p>Each line: how far a run was ahead "
                "of the fastest (above) or behind it (below) at each disc.</p>\n" +
                CSplitChart::Svg(top);
    }
    return Page("Zelkora: " + WorldName(world),
                "<h2>" + Escape(WorldName(world)) +
                    "</h2>\n<p>Fly it with <code>zelkora "
                    "--difficulty " +
                    std::to_string(world.difficulty) + " --seed " + std::to_string(world.seed) +
                    "</code> and the length that builds " + std::to_string(world.nodes) +
                    " nodes.</p>\n" + chart + RankTable(ranked) +
                    Pager(WorldPath(world), page, pages));
}

std::string CBoardPages::Run(const CBoardStore::SRun& run, int rank, int players) {
    const std::string standing =
        rank > 0 ? std::to_string(rank) + " of " + std::to_string(players) + " players"
                 : "off the board: a faster run of this player's stands there";
    std::string splits = "<table><tr><th>Disc</th><th>Time</th></tr>\n";
    for (std::size_t disc = 0; disc < run.splits.size(); ++disc) {
        splits += "<tr><td>" + std::to_string(disc + 1) + "</td><td class=\"time\">" +
                  CRecords::FormatTime(run.splits[disc]) + "</td></tr>\n";
    }
    splits += "<tr><td>finish</td><td class=\"time\">" + CRecords::FormatTime(run.milliseconds) +
              "</td></tr>\n</table>\n";
    return Page("Zelkora: " + run.player + "'s run",
                "<h2>" + Escape(run.player) + "&#39;s run of " +
                    Link(WorldPath(run.world), WorldName(run.world)) +
                    "</h2>\n<table>\n<tr><th>Player</th><td class=\"player\">" +
                    Escape(run.player) + "</td></tr>\n<tr><th>Time</th><td class=\"time\">" +
                    CRecords::FormatTime(run.milliseconds) + "</td></tr>\n<tr><th>Rank</th><td>" +
                    standing + "</td></tr>\n<tr><th>Sent</th><td>" +
                    CRecordsFile::FormatDate(run.submittedAt) +
                    "</td></tr>\n<tr><th>Flown</th><td>" +
                    CRecordsFile::FormatDate(run.recordedAt) + "</td></tr>\n<tr><th>Game</th><td>" +
                    Escape(run.gameVersion) + "</td></tr>\n</table>\n<h3>Splits</h3>\n" + splits +
                    "<p><a href=\"" + Escape(ReplayPath(run.id)) + "\" download=\"" +
                    Escape(ReplayFileName(run)) +
                    "\">Download the replay</a>, which <code>zelkora --replay FILE</code> "
                    "plays.</p>\n");
}

std::string CBoardPages::Day(const SDay& day, int page, int pages) {
    return Page("Zelkora: " + day.date, "<h2>The world of " + Escape(day.date) + "</h2>\n<p>" +
                                            Link(WorldPath(day.world), WorldName(day.world)) +
                                            "</p>\n" + RankTable(day.top) +
                                            Pager("/days/" + day.date, page, pages));
}

std::string CBoardPages::NotFound(const std::string& what) {
    return Page("Zelkora: not found", "<p>" + Escape(what) + "</p>\n");
}
