#include "UDM.h"
#include "UFMain.h"
#include "UXGlobal.h"
#include "XAdoEngine.h"
#include "XApplication.h"

int main(int argc, char** argv)
{
    // The foundation library: format settings, the live-object registry and
    // the global objects.
    UXGlobalStart();
    int Result = 0;
    {
        XApplication App(argc, argv);
        XAdo::Engine::SetBusyIndicator(ShowBusyWait);
        FMain = new TFMain;
        DM = new TDM;
        FMain->showMaximized();
        // For bench/bench_startup only: end once the start-up has run, with
        // status 0 when it connected.
        if (qEnvironmentVariableIsSet("X_BENCH_QUIT_AFTER_START"))
            QMetaObject::invokeMethod(
                &App,
                [] { QCoreApplication::exit(FMain->PanelText(0) == QLatin1String("Conectado") ? 0 : 3); },
                Qt::QueuedConnection);
        Result = App.exec();
        // The windows and their datasets go before the connection they use.
        delete FMain;
        delete DM;
        DM = nullptr;
    }
    // Reports every class that still has live objects.
    UXGlobalEnd();
    return Result;
}
