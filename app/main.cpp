#include <QApplication>

#include "app/lookup_app.h"
#include "res/dialog_templates.h"
#include "res/version.h"
#include "ui/program_icon.h"

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QString::fromUtf8(pelmio::res::kAppName));
    QApplication::setApplicationVersion(QStringLiteral(PELMIO_VERSION));
    QApplication::setWindowIcon(pelmio::ProgramIcon());
    pelmio::CLookupApp app;
    if (!app.InitInstance()) {
        return 1;
    }
    return QApplication::exec();
}
