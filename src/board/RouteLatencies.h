#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// How long the board took to answer, per route, as a Prometheus histogram. Counted from any
// thread without a lock, since every request passes here, the ones answered from memory too.
class CRouteLatencies {
public:
    static constexpr std::size_t kRoutes = 16; // and "other": beyond them, or no route at all

    // The server's route names, in its order, before the first Count.
    void SetRoutes(std::vector<std::string> names);
    // route: the server's number for the route that answered (-1 for none).
    void Count(int route, double milliseconds);
    std::string Text() const; // the histogram's lines for /metrics

private:
    static constexpr std::array<double, 12> kBounds = {0.5, 1,   2,   5,    10,   20,
                                                       50,  100, 250, 1000, 5000, 30000}; // ms
    struct SRoute {
        std::array<std::atomic<std::uint64_t>, kBounds.size() + 1> buckets{}; // the last: +Inf
        std::atomic<std::uint64_t> microseconds{0};
    };
    std::vector<std::string> names{"other"}; // the last is "other"
    std::array<SRoute, kRoutes + 1> routes;
};
