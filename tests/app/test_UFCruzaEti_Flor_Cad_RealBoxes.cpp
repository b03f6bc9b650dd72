// The hybridisation window with real boxes and focus, keys through the X server: a box
// taking the focus is no field exit, no check runs twice, the focus lands where the next scan goes.

#include "RealBoxes.h"
#include "ScanWindowTest.h"

#include "UFCruzaEti_Flor_Cad.h"
#include "UXComboBox.h"
#include "UXNumEdit.h"

using HibridacaoRealBoxes = TScanWindowTest<TFCruzaEti_Flor_Cad>;

TEST_F(HibridacaoRealBoxes, ExitBoxesDoNotValidateTwiceAndGiveTheFocusBackThenTheDeletionBoxes)
{
    ASSERT_NO_FATAL_FAILURE(RequireRealBoxes());
    ASSERT_NO_FATAL_FAILURE(Open(&TFMain::LCRUZAETI_FLOR_CAD));
    TRealBoxes Boxes;
    TBoxDriver Driver;
    const TLabel L = FreeLabel();
    const TLabel Used = FreeLabel(4);
    const auto Pot = [&](qint64 Number) { return TCampaignBuilder::Barcode(Number, Options.ParentalEan13); };
    AddCrossing(Used.Number, 1, QStringLiteral("M"), QStringLiteral("2025-03-04 10:11:12"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return FMain->isActiveWindow() && Focus() == W->id_emasculador; }, 5000));
    // Enter without an executor: one box, then the focus is on the next field.
    XKey(QStringLiteral("Return"));
    ASSERT_TRUE(Driver.Sync());
    EXPECT_EQ(Boxes.Shown, QStringList{QStringLiteral("Executor da Hibridação deve ser informado.")});
    EXPECT_EQ(Focus(), W->reverso);
    // The mother's pot, then an unregistered father's: a box without sound, the focus on the label.
    XKey(QStringLiteral("Return"));
    XType(Pot(L.Mother));
    XKey(QStringLiteral("Return"));
    XType(Pot(1999999));
    XKey(QStringLiteral("Return"));
    ASSERT_TRUE(Driver.Sync());
    ASSERT_EQ(Boxes.Shown.size(), 2) << Boxes.Shown.join(u'\n').toStdString();
    EXPECT_EQ(Boxes.Shown[1], QStringLiteral("ID Vaso Pai não cadastrado."));
    EXPECT_EQ(Focus(), W->NC_REP_LIDO);
    // Back with Shift+Tab (leaving the label checks nothing), the right father typed over.
    XKey(QStringLiteral("shift+Tab"));
    XKey(QStringLiteral("ctrl+a"));
    XType(Pot(L.Father));
    XKey(QStringLiteral("Return"));
    ASSERT_TRUE(Driver.Sync());
    EXPECT_EQ(Boxes.Shown.size(), 2) << Boxes.Shown.join(u'\n').toStdString();
    EXPECT_EQ(Focus(), W->NC_REP_LIDO);
    // Enter on the label confirms: the executor is checked first.
    XType(Barcode(Used.Number));
    XKey(QStringLiteral("Return"));
    ASSERT_TRUE(Driver.Sync());
    ASSERT_EQ(Boxes.Shown.size(), 3);
    EXPECT_EQ(Boxes.Shown[2], QStringLiteral("Executor da Hibridação deve ser informado."));
    EXPECT_EQ(Focus(), W->id_emasculador);
    XKey(QStringLiteral("Down"));
    // Enter through the fields to the label, and on it.
    for (int i = 0; i < 5; ++i)
        XKey(QStringLiteral("Return"));
    ASSERT_TRUE(Driver.Sync());
    // The label in use: one box, the focus back on the label with its text selected.
    ASSERT_EQ(Boxes.Shown.size(), 4) << Boxes.Shown.join(u'\n').toStdString();
    EXPECT_EQ(Boxes.Shown[3], QStringLiteral("A Etiqueta já foi utilizado em : 2025-03-04 10:11:12"));
    EXPECT_EQ(Focus(), W->NC_REP_LIDO);
    EXPECT_EQ(W->NC_REP_LIDO->selectedText(), Barcode(Used.Number));
    // The right label typed over the selection: registered, ready for the next flower.
    XType(Barcode(L.Number));
    XKey(QStringLiteral("Return"));
    ASSERT_TRUE(Driver.Sync());
    EXPECT_EQ(Boxes.Shown.size(), 4) << Boxes.Shown.join(u'\n').toStdString();
    EXPECT_EQ(CruzaRows(L.Number).section(u'|', 0, 0), QStringLiteral("1"));
    EXPECT_EQ(Focus(), W->id_emasculador);
    EXPECT_EQ(H.Sound.Played.size(), 3);   // every box but the unregistered pot
    // Its deletion: a wrong label left with Enter shows its box once, the focus comes back to it.
    ASSERT_NO_FATAL_FAILURE(ChooseOperation(1));
    ASSERT_TRUE(Driver.Sync());
    ASSERT_EQ(Focus(), W->NC_REP_LIDO);
    XType(QStringLiteral("12345678"));
    XKey(QStringLiteral("Return"));
    ASSERT_TRUE(Driver.Sync());
    ASSERT_EQ(Boxes.Shown.size(), 5) << Boxes.Shown.join(u'\n').toStdString();
    EXPECT_EQ(Boxes.Shown[4], QStringLiteral("Dígito Verificador não confere (8). Esperado (0)"));
    EXPECT_EQ(Focus(), W->NC_REP_LIDO);
    // The right label; the question answered with Enter keeps the crossing (No is the default).
    XKey(QStringLiteral("ctrl+a"));
    XType(Barcode(L.Number));
    XKey(QStringLiteral("Return"));
    ASSERT_TRUE(Driver.Sync());
    QTest::mouseClick(W->BConfirm, Qt::LeftButton);
    ASSERT_TRUE(Driver.Sync());
    ASSERT_EQ(Boxes.Shown.size(), 6);
    EXPECT_TRUE(Boxes.Shown[5].startsWith(QStringLiteral("Confirma a exclusão")));
    EXPECT_EQ(CruzaRows(L.Number).section(u'|', 0, 0), QStringLiteral("1"));
    EXPECT_TRUE(Boxes.Deepest == 1 && Driver.Answered == Boxes.Shown.size());
}
