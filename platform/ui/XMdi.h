#pragma once

// Child windows of the main window: a window is a widget placed in a
// QMdiSubWindow of the main window's QMdiArea. The frame's buttons are kept
// on the widget (SetBorderIcons) until the widget is placed.

#include "XExceptions.h"

#include <QList>

class QMdiArea;
class QMdiSubWindow;
class QWidget;

// An operation the window system refuses in the window's present state.
X_EXCEPTION_CLASS(EInvalidOperation, Exception)

// What a window does when it is asked to close.
enum TCloseAction { caNone, caHide, caFree, caMinimize };

enum TBorderIcon { biSystemMenu = 1, biMinimize = 2, biMaximize = 4 };

// Frame buttons of Form's subwindow; a window without the setting gets all.
void SetBorderIcons(QWidget* Form, int Icons);
int BorderIcons(const QWidget* Form);

// A main window's work area: scroll bars when a child window reaches beyond
// it, so every part of every window can be brought into view, and a control
// the keyboard or the program moves the focus to scrolled into view (not one
// the focus comes back to when a box or a menu closes).
QMdiArea* NewMDIArea(QWidget* Parent = nullptr);

// The MDI area of a main window: itself, its central widget, or the first
// area among its children; null when it has none.
QMdiArea* MDIAreaOf(QWidget* MainForm);

// Places Form in a new subwindow of Area (freed when closed, with Form),
// keeping the size Form was given, and shows it in front of the others,
// wholly inside the visible area: cascaded from the top left, a title bar
// down and right of the last window, back to the top left when it would not
// fit there. Beside a maximised window it is maximised too, and restored to
// its own size.
QMdiSubWindow* AddMDIChild(QMdiArea* Area, QWidget* Form);

// Shows Sub in front of the others, moved inside the visible area as far as
// its size allows, with the keyboard focus in it (on its first control in tab
// order, unless the focus is already there). The area's view goes back to
// where it starts first, then as far as shows the focused control.
void ActivateMDIChild(QMdiSubWindow* Sub);

// The subwindow that holds Form, or null.
QMdiSubWindow* MDISubWindowOf(const QWidget* Form);

// The windows held by Area's subwindows, in the order they were created.
QList<QWidget*> MDIChildren(QMdiArea* Area);
