#pragma once

#include <QString>
#include <QByteArray>

#include <exception>
#include <new>
#include <typeinfo>

// The exception family of the program. Every class reports its own name,
// because messages shown to the user print "Tipo: " + the class name.
class Exception : public std::exception
{
public:
    explicit Exception(const QString& message) : m_message(message), m_utf8(message.toUtf8()) {}
    ~Exception() override = default;

    const QString& Message() const { return m_message; }
    virtual QString ClassName() const { return QStringLiteral("Exception"); }
    const char* what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_message;
    QByteArray m_utf8;
};

#define X_EXCEPTION_CLASS(Name, Parent)                                              \
    class Name : public Parent                                                       \
    {                                                                                \
    public:                                                                          \
        using Parent::Parent;                                                        \
        QString ClassName() const override { return QStringLiteral(#Name); }         \
    };

// Raised by the database layer for every failure of the engine.
X_EXCEPTION_CLASS(EOleException, Exception)
// File input and output.
X_EXCEPTION_CLASS(EInOutError, Exception)
// An internal consistency check that failed.
X_EXCEPTION_CLASS(EAssertionFailed, Exception)
// A text that cannot be converted to the value asked for.
X_EXCEPTION_CLASS(EConvertError, Exception)
// A database operation asked in the wrong state (closed dataset, unknown field).
X_EXCEPTION_CLASS(EDatabaseError, Exception)
// A control that refused to take an item.
X_EXCEPTION_CLASS(EOutOfResources, Exception)

// The text an exception carries: our own message, or what() of any other
// (the platform's words for memory running out).
inline QString ExceptionMessage(const std::exception& E)
{
    if (const auto* own = dynamic_cast<const Exception*>(&E))
        return own->Message();
    if (dynamic_cast<const std::bad_alloc*>(&E))
        return QStringLiteral("Out of memory");
    return QString::fromUtf8(E.what());
}

// The class name a message shows: ours by name, memory running out as the
// platform names it, any other as "Exception".
inline QString ExceptionClassName(std::exception_ptr Error)
{
    try {
        std::rethrow_exception(Error);
    } catch (const Exception& E) {
        return E.ClassName();
    } catch (const std::bad_alloc&) {
        return QStringLiteral("EOutOfMemory");
    } catch (...) {
    }
    return QStringLiteral("Exception");
}

// The same for a caught exception of any kind; empty when it carries no text.
inline QString ExceptionMessage(std::exception_ptr Error)
{
    try {
        std::rethrow_exception(Error);
    } catch (const std::exception& E) {
        return ExceptionMessage(E);
    } catch (...) {
    }
    return QString();
}
