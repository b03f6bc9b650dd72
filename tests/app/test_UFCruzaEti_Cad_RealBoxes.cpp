// The harvest envelope window with real boxes and focus, keys through the X server.

#include "RealBoxes.h"
#include "ScanWindowTest.h"

#include "UFCruzaEti_Cad.h"
#include "UXComboBox.h"
#include "UXNumEdit.h"

using EnvelopeRealBoxes = TScanWindowTest<TFCruzaEti_Cad>;

TEST_F(EnvelopeRealBoxes, RejectedLabelThenTheNextScanAndTheSeedQuestion)
{
    ASSERT_NO_FATAL_FAILURE(RequireRealBoxes());
    ASSERT_NO_FATAL_FAILURE(Open(&TFMain::LCRUZAETI_CAD, QStringLiteral("UPDATE Configuracao SET smt_max_hibr = 10")));
    TRealBoxes Boxes;
    TBoxDriver Driver;
    const QList<TLabel> free = FreeLabels();
    for (int i : {0, 1})
        AddCrossing(free[i].Number, 1, QStringLiteral("M"));
    Campaign->Exec(QStringLiteral("INSERT INTO Colheita (nc_rep, qte_sem, lote, dupd, cmaq) "
                                  "VALUES (%1, 7, 'L9', '2025-02-01 09:00:00', 'CAMPO01')").arg(free[0].Number));
    ASSERT_TRUE(QTest::qWaitFor([&] { return FMain->isActiveWindow() && Focus() == W->usua; }, 5000));
    XKey(QStringLiteral("Down"));
    XKey(QStringLiteral("Return"));
    XType(QStringLiteral("cx-01"));
    XKey(QStringLiteral("Return"));
    // A label with an envelope, left with Enter: one box, closed with Enter, the label back and selected.
    XType(Barcode(free[0].Number));
    XKey(QStringLiteral("Return"));
    ASSERT_TRUE(Driver.Sync());
    EXPECT_EQ(Boxes.Shown, QStringList{QStringLiteral("Etiqueta de Hibridação já foi cadastrado:\r\nLote : L9\r\nNr. Sementes: 7")});
    ASSERT_EQ(Focus(), W->NC_REP_LIDO);
    EXPECT_EQ(W->NC_REP_LIDO->selectedText(), Barcode(free[0].Number));
    // The next scan over it, a count above the limit: the question's Enter answers No.
    XType(Barcode(free[1].Number));
    XKey(QStringLiteral("Return"));
    XType(QStringLiteral("12"));
    XKey(QStringLiteral("Return"));
    ASSERT_TRUE(Driver.Sync());
    ASSERT_EQ(Boxes.Shown.size(), 2) << Boxes.Shown.join(u'\n').toStdString();
    EXPECT_TRUE(Boxes.Shown[1].startsWith(QStringLiteral("A quantidade de semente informado está acima")));
    EXPECT_EQ(Focus(), W->obs);
    // The remarks' Enter confirms: asked again, refused, the focus on the count with its text selected.
    XType(QStringLiteral("ok"));
    XKey(QStringLiteral("Return"));
    ASSERT_TRUE(Driver.Sync());
    ASSERT_EQ(Boxes.Shown.size(), 3) << Boxes.Shown.join(u'\n').toStdString();
    EXPECT_EQ(Focus(), W->nsem);
    EXPECT_EQ(Campaign->Count(QStringLiteral("Colheita")), 1);
    XType(QStringLiteral("8"));
    XKey(QStringLiteral("Return"));
    XKey(QStringLiteral("Return"));
    ASSERT_TRUE(Driver.Sync());
    EXPECT_EQ(Boxes.Shown.size(), 3) << Boxes.Shown.join(u'\n').toStdString();
    EXPECT_EQ(Campaign->Rows(QStringLiteral("SELECT lote, qte_sem, obs FROM Colheita WHERE nc_rep = %1").arg(free[1].Number)),
              QStringLiteral("CX-01|8|OK"));
    EXPECT_EQ(Focus(), W->NC_REP_LIDO);
    EXPECT_TRUE(Boxes.Deepest == 1 && Driver.Answered == Boxes.Shown.size() && H.Sound.Played.size() == 1);
}
