#pragma once
// A REG_DWORD's stored form: 4 bytes, least significant first, whatever the host order.
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

namespace duvane {

std::array<std::uint8_t, 4> EncodeDword(std::uint32_t value);

// Null unless exactly 4 bytes are given.
std::optional<std::uint32_t> DecodeDword(const std::uint8_t* bytes, std::size_t size);

} // namespace duvane
