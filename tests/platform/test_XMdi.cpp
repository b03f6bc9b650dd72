#include "XAnchors.h"
#include "XMdi.h"

#include <QApplication>
#include <QLineEdit>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

TEST(XMdi, ChildWindowsKeepTheirSizeAndFrameButtons)
{
    QMainWindow main;
    auto* area = new QMdiArea;
    main.setCentralWidget(area);
    main.resize(900, 700);
    main.show();
    EXPECT_EQ(MDIAreaOf(&main), area);
    EXPECT_EQ(MDIAreaOf(nullptr), nullptr);

    auto* a = new QWidget;
    a->resize(300, 200);
    SetBorderIcons(a, biSystemMenu);
    QMdiSubWindow* subA = AddMDIChild(area, a);
    EXPECT_TRUE(subA->testAttribute(Qt::WA_DeleteOnClose));
    EXPECT_EQ(MDISubWindowOf(a), subA);
    EXPECT_EQ(subA->windowFlags() & (Qt::WindowCloseButtonHint | Qt::WindowMaximizeButtonHint | Qt::WindowMinimizeButtonHint),
              Qt::WindowCloseButtonHint);

    auto* b = new QWidget;
    SetBorderIcons(b, biSystemMenu | biMaximize);
    QMdiSubWindow* subB = AddMDIChild(area, b);
    EXPECT_TRUE(subB->windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_EQ(MDIChildren(area), (QList<QWidget*>{a, b}));
    EXPECT_EQ(MDISubWindowOf(&main), nullptr);

    // Closing the frame frees it with its window.
    QPointer<QWidget> gone = a;
    subA->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(gone.isNull());
    EXPECT_EQ(MDIChildren(area), QList<QWidget*>{b});
}

namespace {

QWidget* placed(QWidget& form, const QRect& r, int anchors)
{
    auto* w = new QWidget(&form);
    w->setGeometry(r);
    SetAnchors(w, anchors);
    return w;
}

} // namespace

TEST(XMdi, AnchoredControlsFollowTheirParentsEdges)
{
    QWidget form;
    form.resize(400, 300);
    QWidget* button = placed(form, {300, 260, 80, 25}, akRight | akBottom);
    QWidget* grid = placed(form, {10, 10, 380, 200}, akLeft | akTop | akRight | akBottom);
    QWidget* label = placed(form, {10, 270, 100, 20}, akLeft | akBottom);
    auto* plain = new QWidget(&form);
    plain->setGeometry(5, 5, 10, 10);
    EXPECT_EQ(Anchors(plain), akLeft | akTop);
    form.show();

    form.resize(500, 350);
    EXPECT_EQ(button->geometry(), QRect(400, 310, 80, 25));
    EXPECT_EQ(grid->geometry(), QRect(10, 10, 480, 250));
    EXPECT_EQ(label->geometry(), QRect(10, 320, 100, 20));
    EXPECT_EQ(plain->geometry(), QRect(5, 5, 10, 10));

    // Placed anew in code: the new place is the one kept.
    button->move(100, 100);
    form.resize(520, 360);
    EXPECT_EQ(button->geometry(), QRect(120, 110, 80, 25));

    // Squeezed to nothing for a moment, then back: nothing is lost.
    form.resize(1, 1);
    EXPECT_EQ(grid->size(), QSize(0, 0));
    form.resize(400, 300);
    EXPECT_EQ(grid->geometry(), QRect(10, 10, 380, 200));
    EXPECT_EQ(button->geometry(), QRect(0, 50, 80, 25));
}

TEST(XMdi, AWindowSizedBeforeItIsShownPlacesItsAnchoredControlsOnShow)
{
    QWidget form;
    form.resize(600, 400);
    QWidget* close = placed(form, {517, 369, 75, 25}, akRight | akBottom);
    QWidget* confirm = placed(form, {437, 369, 75, 25}, akRight | akBottom);
    // A derived window gives its own size and moves one button itself.
    form.resize(700, 450);
    confirm->move(20, 419);
    form.show();
    EXPECT_EQ(close->geometry(), QRect(617, 419, 75, 25));
    EXPECT_EQ(confirm->geometry(), QRect(20, 419, 75, 25));
    form.resize(720, 460);
    EXPECT_EQ(close->geometry(), QRect(637, 429, 75, 25));
    EXPECT_EQ(confirm->geometry(), QRect(40, 429, 75, 25));
}

namespace {

// A shown main window with an MDI area; children added of a given size.
struct MdiMain
{
    QMainWindow main;
    QMdiArea* area = new QMdiArea;
    MdiMain()
    {
        main.setCentralWidget(area);
        main.resize(900, 700);
        main.show();
    }
    QMdiSubWindow* add(int W, int H, QWidget* Form = new QWidget)
    {
        Form->resize(W, H);
        return AddMDIChild(area, Form);
    }
};

} // namespace

TEST(XMdi, NewWindowsCascadeInsideTheArea)
{
    MdiMain m;
    const QRect visible = m.area->viewport()->rect();
    QMdiSubWindow* first = m.add(500, 300);
    QMdiSubWindow* second = m.add(500, 300);
    const QPoint step = second->pos() - first->pos();
    EXPECT_EQ(first->pos(), QPoint(0, 0));
    EXPECT_TRUE(step.x() > 0 && step.x() == step.y());
    // One that would reach past the edge one step further starts again at the top left.
    EXPECT_EQ(m.add(500, 300)->pos(), second->pos() + step);
    EXPECT_EQ(m.add(visible.width() - step.x(), 200)->pos(), QPoint(0, 0));
    EXPECT_EQ(m.add(300, visible.height() + 50)->pos(), QPoint(0, 0));
}

// The first control that takes the focus in tab order, then the one that last had it.
TEST(XMdi, AWindowBroughtForwardTakesTheFocusOnItsFirstControlInTabOrder)
{
    MdiMain m;
    m.main.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&m.main));
    auto* form = new QWidget;
    (new QLineEdit(form))->setEnabled(false);
    (new QPushButton(QStringLiteral("Fechar"), form))->setFocusPolicy(Qt::NoFocus);
    auto* first = new QLineEdit(form);
    auto* second = new QLineEdit(form);
    QMdiSubWindow* sub = m.add(400, 300, form);
    EXPECT_EQ(QApplication::focusWidget(), first);

    second->setFocus();
    m.add(200, 100);
    ASSERT_FALSE(form->isAncestorOf(QApplication::focusWidget()));
    ActivateMDIChild(sub);
    EXPECT_EQ(QApplication::focusWidget(), second);
}
