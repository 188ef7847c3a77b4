#include "ui/program_icon.h"

namespace pelmio {

QIcon ProgramIcon() {
    QIcon icon;
    for (const char* file :
         {":/pelmio/pelmio-16.png", ":/pelmio/pelmio-32.png", ":/pelmio/pelmio-256.png"}) {
        icon.addFile(QString::fromUtf8(file));
    }
    return icon;
}

}  // namespace pelmio
