#pragma once
// The RS-485 port driver's setting: which legacy port (by base I/O address) it uses.
// The driver reads it from HKEY_LOCAL_MACHINE; nothing else of the driver is known here.
#include <array>
#include <cstdint>
#include <optional>

namespace duvane {

inline constexpr const char* kRs485KeyPath = "System\\CurrentControlSet\\Services\\VxD\\RS485Port";
inline constexpr const char* kRs485ValueName = "RS485Port";

struct PortChoice
{
    const char* text;      // the list entry
    std::uint32_t address; // the value written for it
};

// List order: COM1 first.
inline constexpr std::array<PortChoice, 2> kPortChoices{{
    {"COM1 - Port 0x3F8", 0x3F8},
    {"COM2 - Port 0x2F8", 0x2F8},
}};

// The list position of a stored address; null for anything but the two known ports.
std::optional<int> PositionForAddress(std::uint32_t address);

} // namespace duvane
