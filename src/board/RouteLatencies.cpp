#include "board/RouteLatencies.h"

#include <cstdio>

namespace {

// Each route: its name, the method and the path's start that pick it; the first that fits.
struct SRouteName {
    std::string_view name;
    std::string_view method;
    std::string_view start;
    bool exact;
};
constexpr SRouteName kRouteNames[] = {
    {"/api/runs", "POST", "/api/runs", true},
    {"/api/runs/ID/replay", "GET", "/api/runs/", false}, // told apart by its end below
    {"/api/runs/ID", "GET", "/api/runs/", false},
    {"/api/worlds/D-N-S", "GET", "/api/worlds/", false},
    {"/api/days/DATE", "GET", "/api/days/", false},
    {"/", "GET", "/", true},
    {"/worlds/D-N-S", "GET", "/worlds/", false},
    {"/days/DATE", "GET", "/days/", false},
    {"/runs/ID", "GET", "/runs/", false},
    {"/healthz", "GET", "/healthz", true},
    {"/metrics", "GET", "/metrics", true},
    {"other", "", "", false},
};
constexpr std::size_t kOther = std::size(kRouteNames) - 1;
static_assert(std::size(kRouteNames) == CRouteLatencies::kRoutes);

bool EndsWith(std::string_view text, std::string_view end) {
    return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

std::size_t IndexOf(std::string_view method, std::string_view path) {
    method = method == "HEAD" ? "GET" : method;
    for (std::size_t i = 0; i < kOther; ++i) {
        const SRouteName& route = kRouteNames[i];
        const bool fits = route.exact ? path == route.start : path.rfind(route.start, 0) == 0;
        if (method == route.method && fits &&
            (route.name != "/api/runs/ID/replay" || EndsWith(path, "/replay"))) {
            return i;
        }
    }
    return kOther;
}

} // namespace

std::string_view CRouteLatencies::RouteOf(std::string_view method, std::string_view path) {
    return kRouteNames[IndexOf(method, path)].name;
}

void CRouteLatencies::Count(std::string_view method, std::string_view path, double milliseconds) {
    SRoute& route = routes[IndexOf(method, path)];
    std::size_t bucket = 0;
    while (bucket < kBounds.size() && milliseconds > kBounds[bucket]) {
        ++bucket;
    }
    route.buckets[bucket].fetch_add(1, std::memory_order_relaxed);
    route.microseconds.fetch_add(static_cast<std::uint64_t>(milliseconds * 1000.0),
                                 std::memory_order_relaxed);
}

std::string CRouteLatencies::Text() const {
    std::string text = "# HELP zelkora_board_request_seconds Time to answer a request, by route.\n"
                       "# TYPE zelkora_board_request_seconds histogram\n";
    char line[160];
    for (std::size_t i = 0; i <= kOther; ++i) {
        const std::string_view name = kRouteNames[i].name;
        const int length = static_cast<int>(name.size());
        std::uint64_t below = 0;
        for (std::size_t bucket = 0; bucket <= kBounds.size(); ++bucket) {
            below += routes[i].buckets[bucket].load(std::memory_order_relaxed);
            char bound[16] = "+Inf";
            if (bucket < kBounds.size()) {
                std::snprintf(bound, sizeof bound, "%g", kBounds[bucket] / 1000.0);
            }
            std::snprintf(line, sizeof line,
                          "zelkora_board_request_seconds_bucket{route=\"%.*s\",le=\"%s\"} %llu\n",
                          length, name.data(), bound, static_cast<unsigned long long>(below));
            text += line;
        }
        std::snprintf(line, sizeof line,
                      "zelkora_board_request_seconds_sum{route=\"%.*s\"} %.6f\n"
                      "zelkora_board_request_seconds_count{route=\"%.*s\"} %llu\n",
                      length, name.data(), static_cast<double>(routes[i].microseconds.load()) / 1e6,
                      length, name.data(), static_cast<unsigned long long>(below));
        text += line;
    }
    return text;
}
