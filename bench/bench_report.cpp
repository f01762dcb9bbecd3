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

void PrintTable(const std::string& title, const std::vector<Row>& rows) {
    std::printf("%s\n", title.c_str());
    std::printf("  %-42s %-26s %-14s %-9s %-9s %s\n", "measured", "ours", "baseline", "ratio",
                "goal", "result");
    for (const Row& row : rows) {
        const bool met =
            row.goal.atLeast ? row.ratio >= row.goal.bound : row.ratio < row.goal.bound;
        const std::string goal = Format("%s %g", row.goal.atLeast ? ">=" : "<", row.goal.bound);
        std::printf("  %-42s %-26s %-14s %-#9.3g %-9s %s\n", row.measured.c_str(), row.ours.c_str(),
                    row.baseline.c_str(), row.ratio, goal.c_str(), met ? "PASS" : "MISS");
    }
    std::printf("\n");
    std::fflush(stdout);
}

}  // namespace bench
