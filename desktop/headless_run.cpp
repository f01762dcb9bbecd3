#include "desktop/headless_run.h"

#include <signal.h>

#include <charconv>
#include <chrono>
#include <cmath>
#include <cstring>
#include <limits>
#include <string_view>

#include "desktop/frm_main_layout.h"
#include "desktop/mod_test.h"
#include "desktop/number_text.h"

namespace haberon {

namespace {

static_assert(std::atomic<bool>::is_always_lock_free, "the interrupt handler sets the flag");

extern "C" void StopOnInterrupt(int) {
    state.stopRequested = true;
}

// Ctrl+C or a termination request ends the run at the next port, as Stop does.
void StopOnInterrupts() {
    struct sigaction action {};
    action.sa_handler = StopOnInterrupt;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

// A whole number from `low` to `high`, written as nothing else.
template <typename Integer>
bool ParseWhole(std::string_view text, Integer low, Integer high, Integer* value) {
    long long number = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || number < low ||
        number > high) {
        return false;
    }
    *value = static_cast<Integer>(number);
    return true;
}

}  // namespace

void PrintUsage(std::FILE* out) {
    std::fprintf(out,
                 "Usage: haberon                       (the window)\n"
                 "       haberon --lower N --upper M [--baud RATE] [--passes N | --seconds S] "
                 "[--progress]\n"
                 "Runs loopback passes over the ports COM<N> to COM<M> without a window: 128 "
                 "random bytes\n"
                 "written, read back and compared per port and pass. --baud defaults to 9600. "
                 "Without\n"
                 "--passes or --seconds it runs until interrupted (Ctrl+C). --progress prints "
                 "the table\n"
                 "after every pass. Exit status: 0 every port opened and passed, 1 a failure "
                 "was counted,\n"
                 "2 bad options.\n");
}

ParseOutcome ParseRunOptions(std::span<const char* const> args, RunOptions* options,
                             std::string* error) {
    bool haveLower = false;
    bool haveUpper = false;
    bool havePasses = false;
    bool haveSeconds = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string_view name = args[i];
        std::string_view value;
        bool inlineValue = false;
        if (const std::size_t equals = name.find('=');
            name.starts_with("--") && equals != std::string_view::npos) {
            value = name.substr(equals + 1);
            name = name.substr(0, equals);
            inlineValue = true;
        }
        if (name == "--help" || name == "-h") {
            return ParseOutcome::kHelp;
        }
        if (name == "--progress" && !inlineValue) {
            options->progress = true;
            continue;
        }
        if (name != "--lower" && name != "--upper" && name != "--baud" && name != "--passes" &&
            name != "--seconds") {
            *error = "unknown option '" + std::string(args[i]) + "'";
            return ParseOutcome::kBad;
        }
        if (!inlineValue) {
            if (i + 1 == args.size()) {
                *error = std::string(name) + " needs a value";
                return ParseOutcome::kBad;
            }
            value = args[++i];
        }
        std::string quoted = "'";
        quoted.append(value).append("'");
        if (name == "--lower" || name == "--upper") {
            std::int16_t port = 0;
            if (!ParseWhole<std::int16_t>(value, std::numeric_limits<std::int16_t>::min(),
                                          std::numeric_limits<std::int16_t>::max(), &port)) {
                *error =
                    std::string(name) + " takes a port number from -32768 to 32767, not " + quoted;
                return ParseOutcome::kBad;
            }
            (name == "--lower" ? options->lower : options->upper) = port;
            (name == "--lower" ? haveLower : haveUpper) = true;
        } else if (name == "--baud") {
            if (!ParseWhole<std::int32_t>(value, 1, std::numeric_limits<std::int32_t>::max(),
                                          &options->baud)) {
                *error = "--baud takes a rate from 1 to 2147483647, not " + quoted;
                return ParseOutcome::kBad;
            }
        } else if (name == "--passes") {
            if (!ParseWhole<long>(value, 1, std::numeric_limits<long>::max(), &options->passes)) {
                *error = "--passes takes a count of at least 1, not " + quoted;
                return ParseOutcome::kBad;
            }
            havePasses = true;
        } else {
            const std::optional<double> seconds = StoredNumber(value);
            if (!seconds || *seconds <= 0) {
                *error = "--seconds takes a time above 0, not " + quoted;
                return ParseOutcome::kBad;
            }
            options->seconds = *seconds;
            haveSeconds = true;
        }
    }
    if (!haveLower || !haveUpper) {
        *error = "--lower and --upper are both needed";
        return ParseOutcome::kBad;
    }
    if (options->lower > options->upper) {
        *error = "--lower must not be above --upper";
        return ParseOutcome::kBad;
    }
    if (havePasses && haveSeconds) {
        *error = "give --passes or --seconds, not both";
        return ParseOutcome::kBad;
    }
    return ParseOutcome::kRun;
}

void PrintResultTable(std::FILE* out, const std::vector<PortRecord>& records) {
    constexpr int kGap = 2;
    std::vector<int> widths;
    for (const ui::ListColumnSpec& column : kResultColumns) {
        widths.push_back(static_cast<int>(std::strlen(column.header)) + kGap);
    }
    const auto printRow = [&](const std::vector<std::string>& cells) {
        for (std::size_t i = 0; i < cells.size(); ++i) {
            const bool last = i + 1 == cells.size();
            std::fprintf(out, "%-*s", last ? 0 : widths[i], cells[i].c_str());
        }
        std::fputc('\n', out);
    };
    std::vector<std::string> headers;
    for (const ui::ListColumnSpec& column : kResultColumns) {
        headers.emplace_back(column.header);
    }
    printRow(headers);
    for (const PortRecord& record : records) {
        printRow({std::to_string(record.id), std::to_string(record.sent),
                  std::to_string(record.sendFail), std::to_string(record.received),
                  std::to_string(record.receiveFail), std::to_string(record.compFail)});
    }
    std::fflush(out);
}

int ExitStatusOf(const std::vector<PortRecord>& records) {
    for (const PortRecord& record : records) {
        if (record.id == -1 || record.sendFail != 0 || record.receiveFail != 0 ||
            record.compFail != 0) {
            return kExitFailureCounted;
        }
    }
    return kExitAllPassed;
}

int RunWithoutWindow(const RunOptions& options, std::FILE* out) {
    using Clock = std::chrono::steady_clock;
    state.stopRequested = false;
    const Clock::time_point start = Clock::now();
    const auto timeIsUp = [&] {
        return options.seconds > 0 &&
               std::chrono::duration<double>(Clock::now() - start).count() >= options.seconds;
    };
    OpenPortRange(options.lower, options.upper, options.baud);
    for (long pass = 1; !state.stopRequested; ++pass) {
        RunLoopbackPass(options.lower, options.upper, options.baud);
        if (options.progress) {
            std::fprintf(out, "%sPass %ld\n", pass > 1 ? "\n" : "", pass);
            PrintResultTable(out, state.portRecords);
        }
        if (pass == options.passes || timeIsUp()) {
            break;
        }
    }
    // The close resets the counters; the table shows them as the last pass left them.
    const std::vector<PortRecord> results = state.portRecords;
    ClosePortRange(options.lower, options.upper);
    if (!options.progress) {
        PrintResultTable(out, results);
    }
    return ExitStatusOf(results);
}

int RunFromCommandLine(int argc, const char* const* argv) {
    RunOptions options;
    std::string error;
    const std::span<const char* const> args(argv + 1, static_cast<std::size_t>(argc - 1));
    switch (ParseRunOptions(args, &options, &error)) {
        case ParseOutcome::kHelp:
            PrintUsage(stdout);
            return kExitAllPassed;
        case ParseOutcome::kBad:
            std::fprintf(stderr, "haberon: %s\n", error.c_str());
            PrintUsage(stderr);
            return kExitBadOptions;
        case ParseOutcome::kRun:
            break;
    }
    StopOnInterrupts();
    return RunWithoutWindow(options, stdout);
}

}  // namespace haberon
