#include "MdiMainWindow.h"
#include "XAnchors.h"

#include <QApplication>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>

#include <gtest/gtest.h>

TEST(XMdi, ChildWindowsKeepTheirFrameButtons)
{
    TMdiMainWindow m;
    auto* a = new QWidget;
    auto* b = new QWidget;
    SetBorderIcons(a, biSystemMenu);
    SetBorderIcons(b, biSystemMenu | biMaximize);
    const auto buttons = Qt::WindowCloseButtonHint | Qt::WindowMaximizeButtonHint | Qt::WindowMinimizeButtonHint;
    EXPECT_EQ(m.add(300, 200, a)->windowFlags() & buttons, Qt::WindowCloseButtonHint);
    EXPECT_EQ(AddMDIChild(m.area, b)->windowFlags() & buttons, Qt::WindowCloseButtonHint | Qt::WindowMaximizeButtonHint);
    EXPECT_EQ(MDIChildren(m.area), (QList<QWidget*>{a, b}));
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
    // Sized before it is shown, as a derived window does, which also moves one control itself.
    form.resize(500, 350);
    label->move(20, 320);
    form.show();
    const auto places = [&] { return QList<QRect>{button->geometry(), grid->geometry(), label->geometry(), plain->geometry()}; };
    EXPECT_EQ(places(), QList<QRect>({{400, 310, 80, 25}, {10, 10, 480, 250}, {20, 320, 100, 20}, {5, 5, 10, 10}}));
    // Placed anew in code: the new place is the one kept.
    button->move(100, 100);
    form.resize(520, 360);
    EXPECT_EQ(places(), QList<QRect>({{120, 110, 80, 25}, {10, 10, 500, 260}, {20, 330, 100, 20}, {5, 5, 10, 10}}));
    // Squeezed to nothing for a moment, then back: nothing is lost.
    form.resize(1, 1);
    EXPECT_EQ(grid->size(), QSize(0, 0));
    form.resize(400, 300);
    EXPECT_EQ(places(), QList<QRect>({{0, 50, 80, 25}, {10, 10, 380, 200}, {20, 270, 100, 20}, {5, 5, 10, 10}}));
}

TEST(XMdi, NewWindowsCascadeInsideTheArea)
{
    TMdiMainWindow m;
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
    TMdiMainWindow m;
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

// A window larger than the area keeps its size at the top left; the area scrolls to the control the
// keyboard reaches, as little as shows it, and back home when a window is brought forward or opened.
// A control larger than the view that shows in part, or one the focus comes back to, stays.
TEST(XMdi, TheAreaScrollsToTheControlTheKeyboardReaches)
{
    TMdiMainWindow m;
    m.main.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&m.main));
    QMdiSubWindow* small = m.add(300, 200);
    auto* form = new QWidget;
    auto* far = new QLineEdit(form);   // first in tab order: the window opens scrolled to it
    far->move(1300, 1000);
    auto* near = new QLineEdit(form);
    auto* large = new QLineEdit(form);
    large->setGeometry(100, 100, 1200, 850);
    QMdiSubWindow* sub = m.add(1500, 1100, form);
    EXPECT_EQ(form->size(), QSize(1500, 1100));
    QWidget* viewport = m.area->viewport();
    const auto shown = [&](QWidget* W) {
        QCoreApplication::processEvents();
        return viewport->rect().contains(QRect(W->mapTo(viewport, QPoint()), W->size()));
    };
    EXPECT_TRUE(shown(far) && !shown(near));
    QTest::keyClick(far, Qt::Key_Tab);
    EXPECT_TRUE(shown(near) && !shown(far));
    QTest::keyClick(near, Qt::Key_Backtab);
    EXPECT_TRUE(shown(far));
    QScrollBar* h = m.area->horizontalScrollBar();
    const auto scrolled = [&] { return QList<int>{h->value(), m.area->verticalScrollBar()->value()}; };
    const QList<int> atFar = scrolled();
    QTest::keyClick(far, Qt::Key_Backtab);
    EXPECT_TRUE(large->hasFocus() && scrolled() == atFar);
    QTest::keyClick(large, Qt::Key_Tab);
    h->setValue(h->value() - far->width() / 2);
    const QList<int> halfFar = scrolled();
    ASSERT_NE(halfFar, atFar);
    QWidget other;
    other.show();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    m.main.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&m.main) && far->hasFocus());
    EXPECT_EQ(scrolled(), halfFar);
    ActivateMDIChild(small);
    EXPECT_EQ(sub->pos(), QPoint(0, 0));
    // Scrolled away again, a new window still cascades from the last one.
    ActivateMDIChild(sub);
    ASSERT_NE(sub->pos(), QPoint(0, 0));
    const QPoint next = m.add(200, 100)->pos();
    EXPECT_TRUE(next.x() > 0 && next.x() == next.y()) << next.x() << "," << next.y();
}

// Beside a maximised window a new one comes up maximised too, filling the area; restored, it has its size.
TEST(XMdi, AWindowOpenedBesideAMaximisedOneFillsTheArea)
{
    TMdiMainWindow m;
    m.add(300, 200)->showMaximized();
    auto* form = new QWidget;
    QMdiSubWindow* sub = m.add(900, 560, form);
    EXPECT_TRUE(sub->isMaximized());
    EXPECT_EQ(sub->geometry(), m.area->viewport()->rect());
    sub->showNormal();
    EXPECT_EQ(form->size(), QSize(900, 560));
}
