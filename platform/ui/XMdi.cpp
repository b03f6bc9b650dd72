#include "XMdi.h"

#include <QApplication>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QStyle>
#include <QStyleOptionTitleBar>
#include <QVariant>

namespace {
const char* const kBorderIcons = "XBorderIcons";

// The part of the area's viewport that shows, in the subwindows' coordinates.
QRect visibleArea(const QMdiSubWindow* Sub)
{
    const QWidget* viewport = Sub->parentWidget();
    return viewport ? viewport->rect() : QRect();
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

// Where a new window goes: one title bar down and right of the last window
// placed that still shows, or the top left when there is none or it would
// not fit.
QPoint cascaded(QMdiArea* Area, QMdiSubWindow* Sub)
{
    const QRect visible = visibleArea(Sub);
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
    // goes around that size.
    const bool sized = Form->testAttribute(Qt::WA_Resized);
    const QSize wanted = Form->size();
    QMdiSubWindow* sub = Area->addSubWindow(Form, flags);
    sub->setAttribute(Qt::WA_DeleteOnClose);
    sub->show();
    if (sized && Form->size() != wanted)
        sub->resize(sub->size() + (wanted - Form->size()));
    sub->move(cascaded(Area, sub));
    ActivateMDIChild(sub);
    return sub;
}

void ActivateMDIChild(QMdiSubWindow* Sub)
{
    QMdiArea* area = Sub->mdiArea();
    Sub->show();
    if (!Sub->isMaximized() && !Sub->isMinimized())
        Sub->move(inside(visibleArea(Sub), Sub->geometry()));
    if (area)
        area->setActiveSubWindow(Sub);
    Sub->raise();
    focusFirstControl(Sub);
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
