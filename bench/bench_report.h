// The table every benchmark prints: what was measured, our figure, the baseline measured in
// the same run, their ratio, the goal on that ratio and whether the run met it.
#pragma once

#include <string>
#include <vector>

namespace bench {

struct Goal {
    enum Kind { kAtLeast, kAtMost, kBelow, kNone } kind;
    double bound;
};

inline constexpr Goal AtLeast(double bound) {
    return {Goal::kAtLeast, bound};
}
inline constexpr Goal AtMost(double bound) {
    return {Goal::kAtMost, bound};
}
inline constexpr Goal Below(double bound) {
    return {Goal::kBelow, bound};
}
// A row that only informs: its ratio has no goal.
inline constexpr Goal NoGoal() {
    return {Goal::kNone, 0};
}

struct Row {
    std::string measured;
    std::string ours;
    std::string baseline;
    double ratio;
    Goal goal;
};

std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));

void PrintTable(const std::string& title, const std::vector<Row>& rows);

}  // namespace bench
