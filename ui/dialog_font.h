#pragma once

#include <QFont>
#include <QStringList>

namespace pelmio {

// The dialogs' font: "ＭＳ Ｐゴシック" 9 point where installed, else IPAPGothic,
// else whatever Japanese sans-serif the system offers.
QFont DialogFont();

}  // namespace pelmio
