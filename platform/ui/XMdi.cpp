#include "XMdi.h"

#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QVariant>

namespace {
const char* const kBorderIcons = "XBorderIcons";
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
    Area->setActiveSubWindow(sub);
    sub->raise();
    return sub;
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
