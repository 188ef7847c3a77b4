#include <QApplication>
#include <QIcon>

#include "res/dialog_templates.h"
#include "ui/lookup_app.h"

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QString::fromUtf8(pelmio::res::kAppName));
    QApplication::setApplicationVersion(QString::fromUtf8(pelmio::res::kVersion));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/pelmio/pelmio.ico")));
    // Arguments are ignored: the program has no options.
    pelmio::CLookupApp app;
    app.InitInstance();
    return 0;
}
