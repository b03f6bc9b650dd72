// The label lookup with real boxes and keys through the X server: after a
// rejected scan's box, the next scan replaces the selected text key by key.

#include "RealBoxes.h"
#include "ScanWindowTest.h"

#include "UFEti_Hibridacao_Cons.h"

using EtiquetaConsultaRealBoxes = TScanWindowTest<TFEti_Hibridacao_Cons>;

TEST_F(EtiquetaConsultaRealBoxes, RejectedScanThenTheNextScanReplacesTheText)
{
    ASSERT_NO_FATAL_FAILURE(RequireRealBoxes());
    ASSERT_NO_FATAL_FAILURE(Open(&TFMain::LETI_HIBRIDACAO_CONS));
    TRealBoxes Boxes;
    TBoxDriver Driver;
    const TLabel L = FreeLabel();
    ASSERT_TRUE(QTest::qWaitFor([&] { return FMain->isActiveWindow() && Focus() == W->NC_REP_LIDO; }, 5000));
    for (const QString& code : {Barcode(9999999), Barcode(L.Number)}) {
        XType(code);
        XKey(QStringLiteral("Return"));
        ASSERT_TRUE(Driver.Sync());
        EXPECT_EQ(Focus(), W->NC_REP_LIDO);
        EXPECT_EQ(W->NC_REP_LIDO->selectedText(), code);
    }
    EXPECT_EQ(Boxes.Shown, QStringList{QStringLiteral("Etiqueta de Hibridação não cadastrado.")});
    EXPECT_EQ(W->nc_rep->text(), L.Printed);
    EXPECT_EQ(Boxes.Deepest, 1);
}
