// A stand-in for Velmar's session-bus input of the user forms: opens the
// survey database given on the command line, loads its forms with stand-in
// windows, serves "UDFSERVICE" of service "Velmar2000", and prints
// "ready" once serving and "stored <result>" after each store. With
// --real-windows the forms get the program's own windows instead (nothing is
// printed per store; the rows tell).
//
//   form_poke_server DATABASE [--real-windows]
#include "FakeFormWindow.h"

#include "forms/UserFormDdeInput.h"
#include "forms/ui/UserFormList.h"
#include "forms/ui/UserFormWindowPort.h"
#include "platform/Dde.h"
#include "platform/RunMode.h"
#include "store/DbConnection.h"

#include <QApplication>
#include <QTextStream>

#include <cstdio>

using namespace velmar;

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc < 2)
        return 2;
    platform::RunMode = platform::RunModeOnline;
    if (store::OpenDB(nullptr, QString::fromLocal8Bit(argv[1])) != store::kOpenDbOk)
        return 3;
    QWidget mainWindow;
    if (argc > 2 && QByteArray(argv[2]) == "--real-windows")
        forms::setUserFormWindowFactory(forms::MakeUserFormWindow);
    else
        forms::setUserFormWindowFactory([](QWidget* parent, forms::TUserFormInfo& form, bool popup) {
            auto* w = new forms::test::FakeFormWindow(popup ? nullptr : parent, form, popup);
            w->onStored = [](int result) {
                std::printf("stored %d\n", result);
                std::fflush(stdout);
            };
            return w;
        });
    forms::LoadUserForms(&mainWindow, nullptr, 0);

    platform::DdeServer server{QLatin1String(forms::kUserFormDdeService)};
    server.onConnect = [](const QString& topic) {
        return platform::ddeNamesEqual(topic, QLatin1String(forms::kUserFormDdeTopic));
    };
    server.onPoke = forms::UserFormDdeHandler;
    if (!server.start())
        return 4;
    std::printf("ready\n");
    std::fflush(stdout);
    const int result = app.exec();
    forms::UnloadUserForms();
    return result;
}
