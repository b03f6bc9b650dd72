// The configuration window with the real boxes and real focus, driven by key
// presses through the X server: a check failing when a field is left shows
// one box and the focus lands on the field chosen; Enter keeps it in place.

#include "AppConfigWindowTest.h"
#include "RealBoxes.h"

namespace {

class AppConfigRealBoxes : public AppConfigWindow
{
protected:
    void SetUp() override { ASSERT_NO_FATAL_FAILURE(RequireRealBoxes()); }
};

} // namespace

TEST_F(AppConfigRealBoxes, ExitAndEnterBoxesLeaveTheFocusWhereItBelongs)
{
    ASSERT_NO_FATAL_FAILURE(Open());
    TRealBoxes Boxes;
    TBoxDriver Driver;
    ASSERT_TRUE(QTest::qWaitFor([&] { return FMain->isActiveWindow() && QApplication::focusWidget() == W->nc_code; }, 5000));
    const QString pages = QStringLiteral("Quantidade de etiquetas por página deve ser um valor positivo.");

    // Into the page count (leaving the barcode type passes), 0 typed, on to the next box and past it.
    XKey(QStringLiteral("Tab"));
    XKey(QStringLiteral("ctrl+a"));
    XType(QStringLiteral("0"));
    XKey(QStringLiteral("Tab"));
    XKey(QStringLiteral("Tab"));
    ASSERT_TRUE(Driver.Sync());
    EXPECT_EQ(Boxes.Shown, QStringList{pages});
    EXPECT_EQ(QApplication::focusWidget(), W->PLAN_ETIQ_FLOR);

    // Enter refuses to move on.
    XKey(QStringLiteral("Return"));
    ASSERT_TRUE(Driver.Sync());
    EXPECT_EQ(Boxes.Shown, (QStringList{pages, pages}));
    EXPECT_EQ(QApplication::focusWidget(), W->PLAN_ETIQ_FLOR);
    EXPECT_EQ(Boxes.Deepest, 1);
    EXPECT_EQ(Driver.Answered, Boxes.Shown.size());
    EXPECT_EQ(W->etiq_pag->Value(), 0);
}
