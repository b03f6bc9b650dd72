#include "UTSG_Cols.h"

#include "UXObject.h"
#include "XDialogs.h"

#include <gtest/gtest.h>

using namespace UTSG_Cols;

TEST(UTSG_Cols, DuplicateNamesAreRefusedAndTheListOwnsWhatItTook)
{
    TDlgRecorder dlg;
    const int live = XLiveObjectCount();
    TSGCols cols;
    for (const char* name : {"Zeta", " Pag ", "alfa"}) {
        auto* info = new TColInfo;
        info->SetName(QLatin1String(name));
        info->SetWidth(5);
        ASSERT_TRUE(cols.Add(info));
        EXPECT_EQ(info->Width, 10);   // never narrower
    }
    auto* twin = new TColInfo;
    twin->SetName(QStringLiteral("pag"));
    EXPECT_FALSE(cols.Add(twin));
    EXPECT_EQ(dlg.Texts(), QStringList{QStringLiteral("A Coluna [PAG] está duplicado.")});
    // In the order added, whatever the names.
    ASSERT_EQ(cols.Count(), 3);
    EXPECT_EQ(cols.Items(0)->Name + cols.Items(1)->Name + cols.Items(2)->Name, QStringLiteral("ZETAPAGALFA"));
    delete twin;   // refused: still the caller's
    cols.Clear();
    EXPECT_EQ(XLiveObjectCount(), live + 1);   // the list itself
}
