#include <QApplication>
#include <QIcon>

#include "res/dialog_templates.h"
#include "ui/lookup_app.h"
#include "ui/dialog_builder.h"

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QString::fromUtf8(pelmio::res::kAppName));
    QApplication::setApplicationVersion(QString::fromUtf8(pelmio::res::kVersion));
    QApplication::setWindowIcon(pelmio::ProgramIcon());
    // Arguments are ignored: the program has no options.
    pelmio::CLookupApp app;
    app.InitInstance();
    return 0;
}
