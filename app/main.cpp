#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "app/lookup_app.h"
#include "res/dialog_templates.h"
#include "res/version.h"
#include "ui/program_icon.h"

namespace {

// Ends the program once a window has painted, so start-up can be timed from
// outside: set PELMIO_EXIT_AFTER_FIRST_PAINT. The moment of the paint goes
// to stderr (steady clock, nanoseconds), as ending takes time of its own.
class ExitAfterFirstPaint : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && watched->isWidgetType() &&
            static_cast<QWidget*>(watched)->isWindow()) {
            const auto now = std::chrono::steady_clock::now().time_since_epoch();
            std::fprintf(stderr, "pelmio: first paint at %lld ns\n",
                         static_cast<long long>(
                             std::chrono::duration_cast<std::chrono::nanoseconds>(now).count()));
            QTimer::singleShot(0, qApp, &QCoreApplication::quit);
            qApp->removeEventFilter(this);
        }
        return false;
    }
};

}  // namespace

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QString::fromUtf8(pelmio::res::kAppName));
    QApplication::setApplicationVersion(QStringLiteral(PELMIO_VERSION));
    QApplication::setWindowIcon(pelmio::ProgramIcon());
    if (std::getenv("PELMIO_EXIT_AFTER_FIRST_PAINT") != nullptr) {
        application.installEventFilter(new ExitAfterFirstPaint(&application));
    }
    pelmio::CLookupApp app;
    if (!app.InitInstance()) {
        return 1;
    }
    return QApplication::exec();
}
