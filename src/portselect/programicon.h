#pragma once
// Duvane's icon: a serial connector on a blue tile, drawn at the usual icon sizes.
#include <QIcon>

namespace duvane {

QIcon ProgramIcon();

} // namespace duvane
