#include "XApplication.h"

#include "XDialogs.h"
#include "XExceptions.h"

XApplication::XApplication(int& argc, char** argv)
    : QApplication(argc, argv)
{
}

bool XApplication::notify(QObject* Receiver, QEvent* Event)
{
    try {
        return QApplication::notify(Receiver, Event);
    } catch (...) {
        HandleException(std::current_exception());
    }
    return false;
}

void XApplication::HandleException(std::exception_ptr Error)
{
    try {
        std::rethrow_exception(Error);
    } catch (const Exception& e) {
        ShowExceptionMessage(e.Message());
    } catch (const std::exception& e) {
        ShowExceptionMessage(QString::fromUtf8(e.what()));
    } catch (...) {
        ShowExceptionMessage(QStringLiteral("Unknown exception"));
    }
}
