#pragma once

#include <QApplication>

// The application object: an exception that leaves an event handler is shown
// in the default exception box (through the dialog seam) and the program
// goes on. A file-size limit makes writes fail instead of ending the program.
class XApplication : public QApplication
{
    Q_OBJECT
public:
    XApplication(int& argc, char** argv);

    bool notify(QObject* Receiver, QEvent* Event) override;

    // Shows the message of the exception being handled.
    static void HandleException(std::exception_ptr Error);
};
