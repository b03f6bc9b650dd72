#include "UXCheckBox.h"

#include <QTest>
#include <gtest/gtest.h>

TEST(XCheckBox, ValueIsOneCharacter)
{
    QWidget Window;
    auto* Box = new TXCheckBox(&Window);
    EXPECT_EQ(QString(Box->Value()) + Box->CharTrue() + Box->CharFalse(), QStringLiteral("NSN"));
    Box->SetValue(u'S');
    EXPECT_TRUE(Box->isChecked());
    Box->SetValue(u's'); // anything but CharTrue clears it
    EXPECT_EQ(Box->Value(), QChar(u'N'));

    Window.show();
    Window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&Window));
    Box->setFocus();
    QTest::keyClick(Box, Qt::Key_Space);
    EXPECT_EQ(Box->Value(), QChar(u'S'));

    Box->SetCharTrue(u'1');
    Box->SetCharFalse(u'0');
    EXPECT_EQ(Box->Value(), QChar(u'1'));
    Box->SetValue(u'S');
    EXPECT_EQ(Box->Value(), QChar(u'0'));
}
