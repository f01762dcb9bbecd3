// The registry entries of the board line addressed by I/O port and one interrupt line: one
// numbered Serial key per port, at most nine, and a last key Serial0 when the ports installed
// and those already present come to ten or more.
#pragma once

#include <cstdint>
#include <string>

namespace zandinst {

// High speed mode without a custom oscillator frequency.
inline constexpr std::int32_t kDefaultHighSpeed = 708000;

struct PellixAnswers {
    std::int32_t portCount = 0;
    // Address of the first port, advanced by 8 for each port written.
    std::int32_t ioBase = 0;
    std::int32_t irq = 0;
    // 0 when the board is not in high speed mode, else the oscillator frequency in Hz.
    std::int32_t highSpeedValue = 0;
    std::int32_t otherPorts = 0;
};

// The entries (keys and their values) that go between the registry frame pieces, with "\n" line
// feeds. Ports beyond the last key are left out without a message.
std::string PellixRegistryEntries(const PellixAnswers& answers);

}  // namespace zandinst
