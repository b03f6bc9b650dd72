#include "UXComboBox.h"

#include "XExceptions.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

TEST(XComboBox, ItemsAreNeverEmpty)
{
    TXComboBox Combo;
    EXPECT_EQ(Combo.Items().Add(QStringLiteral("1 - Não")), 0);
    EXPECT_EQ(Combo.Items().Add(QString()), 1);
    Combo.Items().Insert(0, QString());
    EXPECT_EQ(Combo.Items().AddObject(QString(), 9), 3);
    Combo.Items().Put(1, QString());
    EXPECT_EQ(Combo.count(), 4);
    for (int I = 0; I < 4; ++I)
        EXPECT_EQ(Combo.itemText(I), QStringLiteral(" ")) << I;
    EXPECT_EQ(Combo.itemData(3).toInt(), 9);
    Combo.Items().Put(3, QStringLiteral("Rui"));
    EXPECT_EQ(Combo.itemData(3).toInt(), 9); // the item keeps its data

    // Also through the QComboBox calls.
    QComboBox* Plain = &Combo;
    Plain->addItem(QString());
    Plain->setItemText(3, QString());
    EXPECT_EQ(Combo.itemText(4) + Combo.itemText(3), QStringLiteral("  "));
}

TEST(XComboBox, AnItemTheControlRefusesRaisesAndChangesNothing)
{
    TXComboBox Combo;
    Combo.setMaxCount(2);
    Combo.Items().Add(QStringLiteral("a"));
    Combo.Items().Add(QStringLiteral("b"));
    const auto Refused = testing::ThrowsMessage<EOutOfResources>(testing::StrEq("erro ao inserir linha"));
    EXPECT_THAT([&] { Combo.Items().Add(QStringLiteral("c")); }, Refused);
    EXPECT_THAT([&] { Combo.Items().Insert(0, QStringLiteral("c")); }, Refused);
    EXPECT_THAT([&] { Combo.Items().Put(2, QStringLiteral("c")); }, Refused);
    EXPECT_EQ(Combo.itemText(0) + Combo.itemText(1) + QString::number(Combo.count()), "ab2");
}
