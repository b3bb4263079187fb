#include "relay/CoastSteps.h"

#include <algorithm>
#include <cmath>

#include "world/Torus.h"

namespace {

constexpr std::uint64_t kStepMs = 100;
// A coast shorter than this many steps says little of its median, and one
// slower than this many units a step is a ship at rest, near enough.
constexpr std::size_t kShortestCoast = 5;
constexpr double kSlowestStep = 10.0;
// A frame this late is this machine halting the program, not the network;
// the drawing is left out until the reports' pace is found again.
constexpr std::uint32_t kHaltMs = 150;
constexpr std::uint32_t kSettleMs = 1500;

double Median(std::vector<double> values)
{
    std::nth_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2), values.end());
    return values[values.size() / 2];
}

double Quantile(const std::vector<double>& sorted, double share)
{
    return sorted[std::min(sorted.size() - 1, static_cast<std::size_t>(share * static_cast<double>(sorted.size())))];
}

} // namespace

void CoastSteps::Drawn(int id, std::uint64_t worldMs, std::uint32_t wallMs, const Vector3& position, bool coasting)
{
    auto& ship = runs[id];
    if (drawing[id] && !ship.back().empty() && wallMs - ship.back().back().wallMs > kHaltMs)
        settleUntil[id] = wallMs + kSettleMs;
    if (settleUntil.count(id) && static_cast<std::int32_t>(settleUntil[id] - wallMs) > 0) {
        drawing[id] = false;
        return;
    }
    if (!drawing[id])
        ship.emplace_back();
    drawing[id] = true;
    ship.back().push_back({worldMs, wallMs, position, coasting});
}

void CoastSteps::Gone(int id)
{
    drawing[id] = false;
}

CoastSteps::Figures CoastSteps::Measure(const Steady& steady, std::uint32_t before, std::uint32_t after, double width,
                                        double height, double grace) const
{
    std::vector<double> all, relative;
    std::size_t coasts = 0;
    const auto close = [&](std::vector<double>& coast) {
        const double median = coast.size() >= kShortestCoast ? Median(coast) : 0.0;
        if (median >= kSlowestStep) {
            for (const double step : coast) {
                const double off = std::max(0.0, std::fabs(step - median) - grace);
                relative.push_back(std::copysign(off, step - median) / median);
            }
            all.insert(all.end(), coast.begin(), coast.end());
            ++coasts;
        }
        coast.clear();
    };
    for (const auto& [id, ship] : runs) {
        for (const std::vector<Frame>& run : ship) {
            std::vector<double> coast;
            std::size_t from = 0;
            for (std::size_t to = 0; to < run.size(); ++to) {
                while (from + 1 < to && run[to].worldMs - run[from + 1].worldMs >= kStepMs)
                    ++from;
                const Frame& a = run[from];
                const Frame& b = run[to];
                const bool quiet = std::all_of(run.begin() + static_cast<std::ptrdiff_t>(from),
                                               run.begin() + static_cast<std::ptrdiff_t>(to) + 1,
                                               [](const Frame& frame) { return frame.coasting; });
                if (b.worldMs - a.worldMs < kStepMs || !quiet || !steady(id, a.wallMs - before, b.wallMs + after)) {
                    close(coast);
                    continue;
                }
                const double dx = FoldDifference(b.position.x - a.position.x, width);
                const double dy = FoldDifference(b.position.y - a.position.y, height);
                coast.push_back(std::hypot(dx, dy) * static_cast<double>(kStepMs) /
                                static_cast<double>(b.worldMs - a.worldMs));
            }
            close(coast);
        }
    }
    Figures figures;
    if (all.empty())
        return figures;
    std::sort(relative.begin(), relative.end());
    figures.coasts = coasts;
    figures.steps = all.size();
    figures.medianStep = Median(all);
    figures.lowest = relative.front();
    figures.low5 = Quantile(relative, 0.05);
    figures.high95 = Quantile(relative, 0.95);
    figures.highest = relative.back();
    return figures;
}
