#include "bench/bench_report.h"

#include <cstdarg>
#include <cstdio>

namespace bench {

std::string Format(const char* format, ...) {
    char text[256];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    return text;
}

namespace {

const char* Verdict(const Row& row) {
    switch (row.goal.kind) {
        case Goal::kAtLeast:
            return row.ratio >= row.goal.bound ? "PASS" : "MISS";
        case Goal::kAtMost:
            return row.ratio <= row.goal.bound ? "PASS" : "MISS";
        case Goal::kBelow:
            return row.ratio < row.goal.bound ? "PASS" : "MISS";
        case Goal::kNone:
            break;
    }
    return "-";
}

std::string GoalText(const Goal& goal) {
    static const char* const kSigns[] = {">=", "<=", "<"};
    return goal.kind == Goal::kNone ? "-" : Format("%s %g", kSigns[goal.kind], goal.bound);
}

}  // namespace

void PrintTable(const std::string& title, const std::vector<Row>& rows) {
    std::printf("%s\n", title.c_str());
    std::printf("  %-42s %-26s %-26s %-9s %-9s %s\n", "measured", "ours", "baseline", "ratio",
                "goal", "result");
    for (const Row& row : rows) {
        std::printf("  %-42s %-26s %-26s %-#9.3g %-9s %s\n", row.measured.c_str(), row.ours.c_str(),
                    row.baseline.c_str(), row.ratio, GoalText(row.goal).c_str(), Verdict(row));
    }
    std::printf("\n");
    std::fflush(stdout);
}

}  // namespace bench
