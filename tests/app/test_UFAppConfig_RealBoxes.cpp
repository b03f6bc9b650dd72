// Real boxes and keys: a field refused as it is left shows one box and the focus
// goes where the user sent it; Enter on a refused field keeps it there.

#include "RealBoxes.h"
#include "ScanWindowTest.h"

#include "UFAppConfig.h"
#include "UXNumEdit.h"

using AppConfigRealBoxes = TScanWindowTest<TFAppConfig>;

TEST_F(AppConfigRealBoxes, RefusedFieldOneBoxAndTheFocusWhereItBelongs)
{
    ASSERT_NO_FATAL_FAILURE(RequireRealBoxes());
    ASSERT_NO_FATAL_FAILURE(Open(&TFMain::LAPPCONFIG));
    TRealBoxes Boxes;
    TBoxDriver Driver;
    ASSERT_TRUE(QTest::qWaitFor([&] { return FMain->isActiveWindow() && Focus() == W->nc_code; }, 5000));
    const QString pages = QStringLiteral("Quantidade de etiquetas por página deve ser um valor positivo.");
    // 0 pages typed; leaving the next field (a checked one) is refused, the user still goes on.
    for (const char* key : {"Tab", "ctrl+a", "0", "Tab", "Tab"})
        XKey(QLatin1String(key));
    ASSERT_TRUE(Driver.Sync());
    EXPECT_EQ(Boxes.Shown, QStringList{pages});
    EXPECT_EQ(Focus(), W->PLAN_ETIQ_FLOR);
    XKey(QStringLiteral("Return"));
    ASSERT_TRUE(Driver.Sync());
    EXPECT_EQ(Boxes.Shown, QStringList(2, pages));
    EXPECT_EQ(Focus(), W->PLAN_ETIQ_FLOR);
    EXPECT_TRUE(Boxes.Deepest == 1 && W->etiq_pag->Value() == 0);
}
