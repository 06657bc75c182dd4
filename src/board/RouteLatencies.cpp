#include "board/RouteLatencies.h"

#include <algorithm>
#include <cstdio>
#include <utility>

void CRouteLatencies::SetRoutes(std::vector<std::string> routeNames) {
    routeNames.resize(std::min(routeNames.size(), kRoutes));
    routeNames.emplace_back("other");
    names = std::move(routeNames);
}

void CRouteLatencies::Count(int route, double milliseconds) {
    const std::size_t other = names.size() - 1;
    const std::size_t index = route >= 0 && static_cast<std::size_t>(route) < other
                                  ? static_cast<std::size_t>(route)
                                  : other;
    SRoute& counted = routes[index];
    std::size_t bucket = 0;
    while (bucket < kBounds.size() && milliseconds > kBounds[bucket]) {
        ++bucket;
    }
    counted.buckets[bucket].fetch_add(1, std::memory_order_relaxed);
    counted.microseconds.fetch_add(static_cast<std::uint64_t>(milliseconds * 1000.0),
                                   std::memory_order_relaxed);
}

std::string CRouteLatencies::Text() const {
    std::string text = "# HELP zelkora_board_request_seconds Time to answer a request, by route.\n"
                       "# TYPE zelkora_board_request_seconds histogram\n";
    char line[160];
    for (std::size_t i = 0; i < names.size(); ++i) {
        const std::string& name = names[i];
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
