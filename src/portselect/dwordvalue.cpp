#include "dwordvalue.h"

namespace duvane {

std::array<std::uint8_t, 4> EncodeDword(std::uint32_t value)
{
    return {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
            static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)};
}

std::optional<std::uint32_t> DecodeDword(const std::uint8_t* bytes, std::size_t size)
{
    if (bytes == nullptr || size != 4) return std::nullopt;
    return static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
           static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
}

} // namespace duvane
