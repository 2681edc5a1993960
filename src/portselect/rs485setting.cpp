#include "rs485setting.h"

namespace duvane {

std::optional<int> PositionForAddress(std::uint32_t address)
{
    for (std::size_t i = 0; i < kPortChoices.size(); ++i)
        if (kPortChoices[i].address == address) return static_cast<int>(i);
    return std::nullopt;
}

} // namespace duvane
