// The label lookup with the real boxes and real focus, driven by key presses
// through the X server: a rejected scan's box answered with Enter gives the
// scan field back with its text selected, and the next scan replaces it
// without losing a keystroke.

#include "RealBoxes.h"
#include "ScanWindowTest.h"

#include "UFEti_Hibridacao_Cons.h"

#include <QLabel>

namespace {

class EtiquetaConsultaRealBoxes : public TScanWindowTest<TFEti_Hibridacao_Cons>
{
protected:
    void SetUp() override { ASSERT_NO_FATAL_FAILURE(RequireRealBoxes()); }
};

} // namespace

TEST_F(EtiquetaConsultaRealBoxes, RejectedScanThenTheNextScanReplacesTheText)
{
    ASSERT_NO_FATAL_FAILURE(Open(&TFMain::LETI_HIBRIDACAO_CONS));
    TRealBoxes Boxes;
    TBoxDriver Driver;
    const QList<TLabel> L = FreeLabels();
    ASSERT_GE(L.size(), 2);
    ASSERT_TRUE(QTest::qWaitFor([&] { return FMain->isActiveWindow() && Focus() == W->NC_REP_LIDO; }, 5000));

    const QString codes[] = {Barcode(9999999), Barcode(L[0].Number), QStringLiteral("12AB"), Barcode(L[1].Number)};
    const QString alerts[] = {QStringLiteral("Etiqueta de Hibridação não cadastrado."), QString(),
                              QStringLiteral("Valor informado não é um Código numérico válido."), QString()};
    QStringList expected;
    for (int i = 0; i < 4; ++i) {
        XType(codes[i]);
        XKey(QStringLiteral("Return"));
        ASSERT_TRUE(Driver.Sync());
        if (!alerts[i].isEmpty())
            expected << alerts[i];
        EXPECT_EQ(Boxes.Shown, expected) << codes[i].toStdString();
        EXPECT_EQ(Focus(), W->NC_REP_LIDO);
        // Every key of the scan arrived, over the selection the last scan left.
        EXPECT_EQ(W->NC_REP_LIDO->text(), codes[i]);
        EXPECT_EQ(W->NC_REP_LIDO->selectedText(), codes[i]);
        EXPECT_EQ(W->nc_rep->text(), alerts[i].isEmpty() ? L[i / 2].Printed : QString());
        EXPECT_EQ(W->LStatus->isVisible(), alerts[i].isEmpty());
    }
    EXPECT_EQ(Boxes.Deepest, 1);
    EXPECT_EQ(Driver.Answered, Boxes.Shown.size());
    EXPECT_EQ(H.Sound.Played, (QStringList{Sound, Sound}));
}
