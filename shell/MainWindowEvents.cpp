#include "shell/MainWindowEvents.h"

#include "nav/DetectorEventServer.h"
#include "nav/RecentEventDispatch.h"
#include "shell/MainWindowPorts.h"
#include "widgets/MessageBoxSeam.h"

#include <QApplication>
#include <QMessageBox>

namespace velmar::shell {

nav::RecentEventDispatch& TheRecentEventDispatch()
{
    static nav::RecentEventDispatch dispatch;
    return dispatch;
}

void BindDetectorEvents()
{
    nav::DetectorEventServer& server = nav::DetectorEventServer::instance();
    server.hooks.store = [](nav::DetectionKey key) { return TheRecentEventDispatch().StoreDetection(key); };
    server.hooks.post = [](nav::DetectionKey key) { TheRecentEventDispatch().Announce(key); };
    server.hooks.showError = [](const QString& text, const QString& caption) {
        // Through the seam, so that scripted runs log it instead of waiting.
        ui::ShowMessageBox(QApplication::activeWindow(), text, caption, QMessageBox::Critical);
    };
    server.hooks.beep = [] { QApplication::beep(); };
    // The service goes with the application object, also on the restart
    // path that skips the main window's own shutdown.
    QObject::connect(qApp, &QCoreApplication::aboutToQuit, &server,
                     [] { nav::DetectorEventServer::instance().CloseDde(); });
}

} // namespace velmar::shell
