#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// How long the board took to answer, per route, as a Prometheus histogram. Counted from any
// thread without a lock, since every request passes here, the ones answered from memory too.
class CRouteLatencies {
public:
    // The route a path is answered by, named as the README's routes are: "/api/worlds/D-N-S".
    static std::string_view RouteOf(std::string_view method, std::string_view path);

    void Count(std::string_view method, std::string_view path, double milliseconds);
    std::string Text() const; // the histogram's lines for /metrics

    static constexpr std::size_t kRoutes = 12;

private:
    static constexpr std::array<double, 12> kBounds = {0.5, 1,   2,   5,    10,   20,
                                                       50,  100, 250, 1000, 5000, 30000}; // ms
    struct SRoute {
        std::array<std::atomic<std::uint64_t>, kBounds.size() + 1> buckets{}; // the last: +Inf
        std::atomic<std::uint64_t> microseconds{0};
    };
    std::array<SRoute, kRoutes> routes;
};
