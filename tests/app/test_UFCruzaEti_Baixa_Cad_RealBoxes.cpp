// The write-off window with real boxes and focus, keys through the X server.

#include "RealBoxes.h"
#include "ScanWindowTest.h"

#include "UFCruzaEti_Baixa_Cad.h"
#include "UXComboBox.h"

using BaixaRealBoxes = TScanWindowTest<TFCruzaEti_Baixa_Cad>;

TEST_F(BaixaRealBoxes, RejectedScanThenTheNextOneInTheLabelField)
{
    ASSERT_NO_FATAL_FAILURE(RequireRealBoxes());
    ASSERT_NO_FATAL_FAILURE(Open(&TFMain::LCRUZAETI_BAIXA_CAD));
    TRealBoxes Boxes;
    TBoxDriver Driver;
    const QList<TLabel> free = FreeLabels();
    AddCrossing(free[0].Number, 1, QStringLiteral("X"), QStringLiteral("2025-01-01 10:00:00"), QStringLiteral("NULL"),
                QStringLiteral("'2025-01-02 10:00:00'"));
    AddCrossing(free[1].Number, 1, QStringLiteral("M"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return FMain->isActiveWindow() && Focus() == W->usua; }, 5000));
    // The label confirmed before a user is chosen: one box, the focus on the user.
    XKey(QStringLiteral("Return"));
    ASSERT_TRUE(Driver.Sync());
    EXPECT_EQ(Boxes.Shown, QStringList{QStringLiteral("Usuário deve ser Selecionado.")});
    ASSERT_EQ(Focus(), W->NC_REP_LIDO);
    XType(Barcode(free[1].Number));
    XKey(QStringLiteral("Return"));
    ASSERT_TRUE(Driver.Sync());
    ASSERT_EQ(Boxes.Shown.size(), 2);
    EXPECT_EQ(Focus(), W->usua);
    XKey(QStringLiteral("Down"));
    XKey(QStringLiteral("Return"));
    // A label already written off: its box closed with Enter, the label selected for the next scan.
    XKey(QStringLiteral("ctrl+a"));
    XType(Barcode(free[0].Number));
    XKey(QStringLiteral("Return"));
    ASSERT_TRUE(Driver.Sync());
    ASSERT_EQ(Boxes.Shown.size(), 3) << Boxes.Shown.join(u'\n').toStdString();
    EXPECT_EQ(Boxes.Shown[2], QStringLiteral("A Etiqueta já foi dado baixa em : 2025-01-02 10:00:00"));
    EXPECT_EQ(Focus(), W->NC_REP_LIDO);
    EXPECT_EQ(W->NC_REP_LIDO->selectedText(), Barcode(free[0].Number));
    // The next scan typed over it: written off, every key in the field.
    XType(Barcode(free[1].Number));
    XKey(QStringLiteral("Return"));
    ASSERT_TRUE(Driver.Sync());
    EXPECT_EQ(Boxes.Shown.size(), 3) << Boxes.Shown.join(u'\n').toStdString();
    EXPECT_EQ(CruzaRows(free[1].Number).section(u'|', 3, 3), QStringLiteral("X"));
    EXPECT_EQ(Focus(), W->NC_REP_LIDO);
    EXPECT_TRUE(W->NC_REP_LIDO->text().isEmpty());
    EXPECT_TRUE(Boxes.Deepest == 1 && Driver.Answered == Boxes.Shown.size() && H.Sound.Played.size() == 3);
}
