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
    const QString message = ExceptionMessage(Error);
    ShowExceptionMessage(message.isEmpty() ? QStringLiteral("Unknown exception") : message);
}
