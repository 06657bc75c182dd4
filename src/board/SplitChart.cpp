#include "board/SplitChart.h"

#include "board/BoardPages.h"
#include "runs/Records.h"

#include <algorithm>
#include <cstdio>

namespace {

// The plot's frame, SVG user units; the legend stands to its right.
constexpr double kLeft = 70.0;
constexpr double kRight = 520.0;
constexpr double kTop = 20.0;
constexpr double kBottom = 230.0;
constexpr double kLegendLeft = 540.0;
constexpr double kLegendStep = 22.0;
constexpr double kEmptySpan = 1000.0; // ms below a lone line, so that it has a scale

// Ten colours told apart also by most colour-blind eyes, one a rank.
const char* const kColours[CSplitChart::kRuns] = {"#4e79a7", "#f28e2b", "#e15759", "#76b7b2",
                                                  "#59a14f", "#edc948", "#b07aa1", "#ff9da7",
                                                  "#9c755f", "#7f7f7f"};

struct SPoint {
    int at = 0;       // 0 the start, then each disc, the last the finish
    double gap = 0.0; // milliseconds behind the fastest; negative ahead
};

struct SScale {
    double ahead = 0.0;  // milliseconds of the largest lead, at the top edge
    double behind = 0.0; // milliseconds of the largest loss, at the bottom edge
    int last = 1;        // the finish's point
};

std::string Number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", value);
    return text;
}

std::string Seconds(double milliseconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%+.2f s", milliseconds / 1000.0);
    return text;
}

double X(int at, const SScale& scale) {
    return kLeft + (kRight - kLeft) * at / scale.last;
}

double Y(double gap, const SScale& scale) {
    return kTop + (kBottom - kTop) * (gap + scale.ahead) / (scale.ahead + scale.behind);
}

// Subtracted as doubles: even a damaged store's times cannot overflow.
double Gap(long long time, long long fastest) {
    return static_cast<double>(time) - static_cast<double>(fastest);
}

std::vector<SPoint> GapsOf(const CBoardStore::SRun& run, const CBoardStore::SRun& fastest) {
    std::vector<SPoint> points{{0, 0.0}};
    const std::size_t discs = std::min(run.splits.size(), fastest.splits.size());
    for (std::size_t disc = 0; disc < discs; ++disc) {
        points.push_back({static_cast<int>(disc) + 1, Gap(run.splits[disc], fastest.splits[disc])});
    }
    points.push_back(
        {static_cast<int>(fastest.splits.size()) + 1, Gap(run.milliseconds, fastest.milliseconds)});
    return points;
}

SScale ScaleOf(const std::vector<std::vector<SPoint>>& lines) {
    SScale scale;
    for (const std::vector<SPoint>& line : lines) {
        for (const SPoint& point : line) {
            scale.ahead = std::max(scale.ahead, -point.gap);
            scale.behind = std::max(scale.behind, point.gap);
            scale.last = std::max(scale.last, point.at);
        }
    }
    if (scale.ahead + scale.behind < 1.0) { // every run level with the fastest
        scale.behind = kEmptySpan;
    }
    return scale;
}

std::string Text(double x, double y, const std::string& anchor, const std::string& text) {
    return "<text x=\"" + Number(x) + "\" y=\"" + Number(y) + "\" text-anchor=\"" + anchor + "\">" +
           CBoardPages::Escape(text) + "</text>";
}

std::string Axes(const SScale& scale) {
    const double zero = Y(0.0, scale);
    std::string svg = "<line x1=\"" + Number(kLeft) + "\" y1=\"" + Number(zero) + "\" x2=\"" +
                      Number(kRight) + "\" y2=\"" + Number(zero) + "\" stroke=\"#123\"/>" +
                      Text(kLeft - 6, zero + 4, "end", "fastest") +
                      Text(kLeft - 6, kBottom + 4, "end", Seconds(scale.behind));
    if (scale.ahead > 0.0) {
        svg += Text(kLeft - 6, kTop + 4, "end", Seconds(-scale.ahead));
    }
    return svg + Text(kLeft, kBottom + 20, "start", "start") +
           Text(kRight, kBottom + 20, "end", "finish");
}

std::string Line(const std::vector<SPoint>& points, const SScale& scale, const char* colour,
                 const std::string& label) {
    std::string coordinates;
    for (const SPoint& point : points) {
        coordinates += (coordinates.empty() ? "" : " ") + Number(X(point.at, scale)) + "," +
                       Number(Y(point.gap, scale));
    }
    return "<polyline fill=\"none\" stroke-width=\"2\" stroke=\"" + std::string(colour) +
           "\" points=\"" + coordinates + "\"><title>" + CBoardPages::Escape(label) +
           "</title></polyline>\n";
}

std::string LegendEntry(std::size_t index, const char* colour, const std::string& label) {
    const double y = kTop + kLegendStep * static_cast<double>(index);
    return "<rect x=\"" + Number(kLegendLeft) + "\" y=\"" + Number(y) +
           "\" width=\"12\" height=\"12\" fill=\"" + colour + "\"/>" +
           Text(kLegendLeft + 18, y + 11, "start", label) + "\n";
}

} // namespace

std::string CSplitChart::Svg(const std::vector<CBoardStore::SRankedRun>& ranked) {
    if (ranked.empty()) {
        return "";
    }
    const std::size_t drawn = std::min(ranked.size(), kRuns);
    std::vector<std::vector<SPoint>> lines;
    for (std::size_t index = 0; index < drawn; ++index) {
        lines.push_back(GapsOf(ranked[index].run, ranked.front().run));
    }
    const SScale scale = ScaleOf(lines);
    std::string svg = "<svg xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"0 0 " +
                      std::to_string(kWidth) + " " + std::to_string(kHeight) +
                      "\" role=\"img\" aria-label=\"Splits of the fastest runs\" "
                      "font-size=\"12\">\n" +
                      Axes(scale) + "\n";
    for (std::size_t index = 0; index < drawn; ++index) {
        const CBoardStore::SRankedRun& entry = ranked[index];
        const std::string label = std::to_string(entry.rank) + ". " + entry.run.player + " " +
                                  CRecords::FormatTime(entry.run.milliseconds);
        svg += Line(lines[index], scale, kColours[index], label) +
               LegendEntry(index, kColours[index], label);
    }
    return svg + "</svg>\n";
}
