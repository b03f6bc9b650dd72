#pragma once

// Query and command factory, computer name and the process-wide date and
// time display formats. (The window helpers of this module live beside them.)

#include <QString>

#include <functional>

class QDate;
class QTime;
class TADOCommand;
class TADOConnection;
class TADOQuery;

// A new query on Connection, named "q" and the running counter (q0, q1, ...);
// the caller owns it.
TADOQuery* NewQuery(TADOConnection* Connection);
// A new command on Connection, named from the same counter.
TADOCommand* NewCommand(TADOConnection* Connection);

// How a routine shows its failure: ShowError, or the scanning windows' alert.
using TReportProc = std::function<void(const QString&)>;

// Runs Work; an exception of any kind is shown through Report as Prefix
// followed by the exception's message, and the answer is false. Otherwise
// the answer is Work's.
bool Reported(const QString& Prefix, const std::function<bool()>& Work, const TReportProc& Report = {});

// As Reported, for messages that name the exception's class: Text makes the
// message from the class name and the exception's message.
using TFailureText = std::function<QString(const QString& ClassName, const QString& Message)>;
bool ReportedAs(const TFailureText& Text, const std::function<bool()>& Work, const TReportProc& Report = {});

// Runs Work on a new query of Connection, reported as above. The query is
// closed and freed before any message is shown, so no box waits while it
// holds a snapshot of the file.
bool WithQuery(TADOConnection* Connection, const QString& Prefix, const std::function<bool(TADOQuery&)>& Work,
               const TReportProc& Report = {});

// The computer name: the host name up to its first ".", at most 15
// characters; raises "Nome do computador não detectado." when there is none.
QString GetComputerNameStr();
// The same rule applied to a given host name.
QString ComputerNameOf(const QString& HostName);

// Process-wide display formats in the platform's pattern letters
// ("dd/mm/yyyy", "HH:MM:SS": m after h means minutes, n is minutes too).
// Empty until set: the system's short formats apply.
QString ShortDateFormat();
void SetShortDateFormat(const QString& Format);
QString LongTimeFormat();
void SetLongTimeFormat(const QString& Format);
QString DateToStr(const QDate& Date);
QString TimeToStr(const QTime& Time);
// A pattern in the platform's letters as a Qt date/time format.
QString QtDateTimeFormat(const QString& Pattern);

// ---- Window helpers: main window, child-window opener, grid helpers ----

#include "XDBGrid.h"
#include "XGraphics.h"

#include <QMetaObject>
#include <QRect>
#include <QWidget>

#include <functional>

// Remembers the main window (the MDI parent), sets the process-wide short
// date format "dd/mm/yyyy" and long time format "HH:MM:SS", and stores Flag.
void InitLib(QWidget* MainForm, bool Flag);
QWidget* MainForm();
bool InitLibFlag();

// The child window of class FormClass: the open one (restored when it is
// minimised) or a new one made by Create and placed in the main window's MDI
// area, where it shows as it is created. With Show the window is shown and
// brought to the front. Classes are compared by their meta-object class name.
// A child window cannot be modal: Modal True raises EInvalidOperation and
// nothing is opened. Without a main window with an MDI area, raises
// EInvalidOperation too.
QWidget* ShowMDIChild(const QMetaObject& FormClass, const std::function<QWidget*()>& Create, bool Modal,
                      bool Show);

template <class T>
T* ShowMDIChild(bool Modal, bool Show)
{
    static_assert(QtPrivate::HasQ_OBJECT_Macro<T>::Value, "a child window class needs Q_OBJECT");
    return qobject_cast<T*>(ShowMDIChild(T::staticMetaObject, [] { return new T(nullptr); }, Modal, Show));
}

// For a grid's cell drawing: a cell of an even record that is not selected
// is drawn on the menu colour; any other cell keeps the grid's drawing.
void DrawCellShaded(int RecNo, TDBGrid* Grid, const QRect& Rect, TColumn* Column, TGridDrawState State);

// Appends a column showing FieldName under a centred Caption.
void AddGridColumn(TDBGrid* Grid, const QString& FieldName, const QString& Caption, int Width,
                   TAlignment Alignment);
