#include "XMdi.h"

#include <QApplication>
#include <QFocusEvent>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionTitleBar>
#include <QVariant>

namespace {
const char* const kBorderIcons = "XBorderIcons";

// The part of the area's viewport that shows, in the subwindows' coordinates,
// beside the scroll bars the windows ask for now (the area shows or hides
// them from the event loop).
QRect visibleArea(QMdiArea* Area)
{
    QCoreApplication::sendPostedEvents(Area, QEvent::MetaCall);
    return Area->viewport()->rect();
}

int titleBarHeight(const QMdiSubWindow* Sub)
{
    QStyleOptionTitleBar option;
    option.initFrom(Sub);
    return Sub->style()->pixelMetric(QStyle::PM_TitleBarHeight, &option, Sub);
}

// Where Window goes to lie inside Visible; a window larger than the area
// keeps its top left corner in view.
QPoint inside(const QRect& Visible, const QRect& Window)
{
    const int x = qMax(Visible.left(), qMin(Window.x(), Visible.right() + 1 - Window.width()));
    const int y = qMax(Visible.top(), qMin(Window.y(), Visible.bottom() + 1 - Window.height()));
    return {x, y};
}

// The view back where it starts before a window is placed in it: places
// are then the same whatever the user scrolled to, and the scroll range
// holds no empty strip where a window was before it moved.
void scrollHome(QMdiArea* Area)
{
    Area->horizontalScrollBar()->setValue(0);
    Area->verticalScrollBar()->setValue(0);
}

// Where a new window goes: one title bar down and right of the last window
// placed that still shows, or the top left when there is none or it would
// not fit.
QPoint cascaded(QMdiArea* Area, QMdiSubWindow* Sub)
{
    const QRect visible = visibleArea(Area);
    const QList<QMdiSubWindow*> subs = Area->subWindowList(QMdiArea::CreationOrder);
    for (auto it = subs.rbegin(); it != subs.rend(); ++it) {
        QMdiSubWindow* last = *it;
        if (last == Sub || !last->isVisible() || last->isMinimized() || last->isMaximized())
            continue;
        const int step = titleBarHeight(last);
        const QRect next(last->pos() + QPoint(step, step), Sub->size());
        if (visible.contains(next))
            return next.topLeft();
        break;
    }
    return visible.topLeft();
}

// How far to scroll for [Lo, Hi] to show in [ViewLo, ViewHi]: as little as
// shows all of it, or as much as the view holds of one longer than the view.
int scrollToShow(int Lo, int Hi, int ViewLo, int ViewHi)
{
    const int before = Lo - ViewLo, after = Hi - ViewHi;
    return qBound(qMin(before, after), 0, qMax(before, after));
}

// Scrolls Area as little as shows W, a control of one of its windows. One
// larger than the view (a grid) that shows in part leaves the view alone:
// the edges of its window that show stay in view.
void scrollIntoView(QMdiArea* Area, const QWidget* W)
{
    const QRect view = visibleArea(Area);
    const QRect r(W->mapTo(Area->viewport(), QPoint(0, 0)), W->size());
    if ((r.width() > view.width() || r.height() > view.height()) && r.intersects(view))
        return;
    QScrollBar* h = Area->horizontalScrollBar();
    QScrollBar* v = Area->verticalScrollBar();
    h->setValue(h->value() + scrollToShow(r.left(), r.right(), view.left(), view.right()));
    v->setValue(v->value() + scrollToShow(r.top(), r.bottom(), view.top(), view.bottom()));
}

// Scrolls the area to a control of a child window that the keyboard or the
// program moves the focus to. Not for focus given back when a box, a menu or
// the main window lets it go: the view stays where the user left it, with
// the button they were about to press. Nor while a mouse button is down: what
// the mouse reached shows already, and a click hands the frame the focus,
// which gives it back to the window's control; scrolling then would move what
// was clicked away from under the mouse.
class TFocusInView : public QObject
{
public:
    explicit TFocusInView(QMdiArea* Area) : QObject(Area), m_area(Area) { qApp->installEventFilter(this); }

    bool eventFilter(QObject* Watched, QEvent* Event) override
    {
        if (Event->type() == QEvent::FocusIn && Watched->isWidgetType() && movedHere(static_cast<QFocusEvent*>(Event))
            && !QGuiApplication::mouseButtons() && m_area->viewport()->isAncestorOf(static_cast<QWidget*>(Watched)))
            scrollIntoView(m_area, static_cast<QWidget*>(Watched));
        return false;
    }

private:
    static bool movedHere(const QFocusEvent* Event)
    {
        switch (Event->reason()) {
        case Qt::TabFocusReason:
        case Qt::BacktabFocusReason:
        case Qt::ShortcutFocusReason:
        case Qt::OtherFocusReason:
            return true;
        default:
            return false;
        }
    }

    QMdiArea* m_area;
};

bool takesTab(const QWidget* W, const QWidget* Form)
{
    return (W->focusPolicy() & Qt::TabFocus) && W->isEnabled() && W->isVisibleTo(Form) && !W->focusProxy();
}

// The focus to the first control in tab order of Sub's window, unless it is
// already in it.
void focusFirstControl(QMdiSubWindow* Sub)
{
    QWidget* form = Sub->widget();
    if (!form)
        return;
    QWidget* focus = QApplication::focusWidget();
    if (focus && form->isAncestorOf(focus))
        return;
    for (QWidget* w = form->nextInFocusChain(); w && w != form; w = w->nextInFocusChain())
        if (form->isAncestorOf(w) && takesTab(w, form)) {
            w->setFocus(Qt::OtherFocusReason);
            return;
        }
}
}

void SetBorderIcons(QWidget* Form, int Icons)
{
    Form->setProperty(kBorderIcons, Icons);
}

int BorderIcons(const QWidget* Form)
{
    const QVariant v = Form->property(kBorderIcons);
    return v.isValid() ? v.toInt() : (biSystemMenu | biMinimize | biMaximize);
}

QMdiArea* NewMDIArea(QWidget* Parent)
{
    auto* area = new QMdiArea(Parent);
    area->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    area->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    new TFocusInView(area);
    return area;
}

QMdiArea* MDIAreaOf(QWidget* MainForm)
{
    if (!MainForm)
        return nullptr;
    if (auto* area = qobject_cast<QMdiArea*>(MainForm))
        return area;
    if (auto* main = qobject_cast<QMainWindow*>(MainForm))
        if (auto* area = qobject_cast<QMdiArea*>(main->centralWidget()))
            return area;
    return MainForm->findChild<QMdiArea*>();
}

QMdiSubWindow* AddMDIChild(QMdiArea* Area, QWidget* Form)
{
    const int icons = BorderIcons(Form);
    Qt::WindowFlags flags = Qt::SubWindow | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
    if (icons & biSystemMenu)
        flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    if (icons & biMinimize)
        flags |= Qt::WindowMinimizeButtonHint;
    if (icons & biMaximize)
        flags |= Qt::WindowMaximizeButtonHint;
    // A window built in code gives its size before it is placed; the frame
    // goes around that size. Sized before it is shown too: beside a maximised
    // window it comes up maximised, and that size is the one it is restored to.
    const bool sized = Form->testAttribute(Qt::WA_Resized);
    const QSize wanted = Form->size();
    QMdiSubWindow* sub = Area->addSubWindow(Form, flags);
    sub->setAttribute(Qt::WA_DeleteOnClose);
    if (sized)
        sub->resize(wanted.grownBy(sub->contentsMargins()));
    sub->show();
    scrollHome(Area);
    if (!sub->isMaximized()) {
        if (sized && Form->size() != wanted)
            sub->resize(sub->size() + (wanted - Form->size()));
        sub->move(cascaded(Area, sub));
    }
    ActivateMDIChild(sub);
    return sub;
}

void ActivateMDIChild(QMdiSubWindow* Sub)
{
    QMdiArea* area = Sub->mdiArea();
    Sub->show();
    if (area) {
        scrollHome(area);
        if (!Sub->isMaximized() && !Sub->isMinimized())
            Sub->move(inside(visibleArea(area), Sub->geometry()));
        area->setActiveSubWindow(Sub);
    }
    Sub->raise();
    focusFirstControl(Sub);
    // The focus may have come in while the window was shown, before it was placed.
    QWidget* focus = QApplication::focusWidget();
    if (area && focus && Sub->isAncestorOf(focus))
        scrollIntoView(area, focus);
}

QMdiSubWindow* MDISubWindowOf(const QWidget* Form)
{
    return Form ? qobject_cast<QMdiSubWindow*>(Form->parentWidget()) : nullptr;
}

QList<QWidget*> MDIChildren(QMdiArea* Area)
{
    QList<QWidget*> forms;
    if (!Area)
        return forms;
    for (QMdiSubWindow* sub : Area->subWindowList(QMdiArea::CreationOrder))
        if (sub->widget())
            forms.append(sub->widget());
    return forms;
}
