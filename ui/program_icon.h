#pragma once

#include <QIcon>

namespace pelmio {

// The program's icon, 16, 32 and 256 pixels, compiled into the program.
QIcon ProgramIcon();

}  // namespace pelmio
