#include "XApplication.h"

#include <QComboBox>
#include <QLineEdit>
#include <QTest>
#include <QVBoxLayout>
#include <QWidget>

#include <gtest/gtest.h>

// The scanner user must see where the next scan goes: the focus frame shows
// however the focus came, not only after Tab.
TEST(XApplication, FocusGivenInCodeShowsTheFocusFrame)
{
    QWidget w;
    auto* combo = new QComboBox(&w);
    auto* edit = new QLineEdit(&w);
    auto* layout = new QVBoxLayout(&w);
    layout->addWidget(combo);
    layout->addWidget(edit);
    w.show();
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    edit->setFocus(Qt::OtherFocusReason);
    w.setAttribute(Qt::WA_KeyboardFocusChange, false);   // as after a click
    combo->setFocus(Qt::OtherFocusReason);
    ASSERT_TRUE(combo->hasFocus());
    EXPECT_TRUE(w.testAttribute(Qt::WA_KeyboardFocusChange));
}
