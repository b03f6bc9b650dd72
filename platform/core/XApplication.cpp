#include "XApplication.h"

#include "XDialogs.h"
#include "XExceptions.h"

#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <QWidget>

#include <csignal>

XApplication::XApplication(int& argc, char** argv)
    : QApplication(argc, argv)
{
    // A write past a file-size limit would end the program without a word
    // and leave a temporary file behind; ignored, it fails with its reason
    // ("File too large"), which the box shows, and the old file stays.
    std::signal(SIGXFSZ, SIG_IGN);
    // Qt's own texts (standard buttons, the file dialog) in the program's
    // language; without the translation files they stay in English. Dates,
    // month and day names are Portuguese whatever the machine's locale; what
    // must follow the user's regional settings asks QLocale::system().
    const QLocale Portuguese(QLocale::Portuguese, QLocale::Brazil);
    QLocale::setDefault(Portuguese);
    auto* Translator = new QTranslator(this);
    if (Translator->load(Portuguese, QStringLiteral("qtbase"), QStringLiteral("_"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        installTranslator(Translator);
}

bool XApplication::notify(QObject* Receiver, QEvent* Event)
{
    // A scanner user must see where the next scan goes: the focus frame is
    // drawn however the focus came, not only after Tab.
    if (Event->type() == QEvent::FocusIn && Receiver->isWidgetType())
        static_cast<QWidget*>(Receiver)->window()->setAttribute(Qt::WA_KeyboardFocusChange);
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
    ShowExceptionMessage(message.isEmpty() ? QStringLiteral("Exceção desconhecida.") : message);
}
