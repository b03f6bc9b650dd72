#include "UXXLS.h"
#include "XExceptions.h"
#include "../platform/XlsxReadBack.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

TEST(UXXLS, ColumnLettersAndCellNamesAtTheirBoundaries)
{
    const std::pair<int, const char*> letters[] = {{1, "A"}, {26, "Z"}, {27, "AA"}, {52, "AZ"}, {53, "BA"},
                                                   {702, "ZZ"}, {703, "AAA"}, {728, "AAZ"}, {16384, "XFD"},
                                                   {18278, "ZZZ"}, {18279, "AAAA"}, {0, ""}, {-5, ""}};
    for (const auto& [col, text] : letters)
        EXPECT_EQ(ColumnLetters(col), QString::fromLatin1(text)) << col;
    EXPECT_EQ(QStringList({TXXLS::CellName(1, 3), TXXLS::CellName(1, 27), TXXLS::CellName(1048576, 16384),
                           TXXLS::CellName(0, 5), TXXLS::CellName(5, 0)}).join('|'), "C1|AA1|XFD1048576||");
}

// A save that fails leaves the workbook open for the next one; a closed one is gone.
TEST(UXXLS, ANewWorkbookOfTheSheetPlan1ColoursInTheAutomationOrderAndSavesThatFail)
{
    QTemporaryDir dir;
    TXXLS x;
    EXPECT_FALSE(x.Open());  // NewFile False: there is no reader of existing workbooks
    x.SetNewFile(true);
    x.SetFileName(dir.filePath("no/such/folder/x.xlsx"));
    ASSERT_TRUE(x.Open());
    x.SetColor("A1", 0x0000FF);  // red
    x.SetColor("B1", 0x336699);
    x.SetColor("C1", 0);         // black
    x.SetCell(2, 3, 42);
    EXPECT_FALSE(x.SaveAs());
    EXPECT_TRUE(x.IsOpen());
    x.SetFileName(dir.filePath("cores.xlsx"));
    ASSERT_TRUE(x.SaveAs());
    const XlsxBook b = ReadXlsx(x.FileName());
    EXPECT_EQ(b.SheetNames, QStringList{"Plan1"});
    EXPECT_EQ(b.StyleOf("A1").Fill, "FFFF0000");
    EXPECT_EQ(b.StyleOf("B1").Fill, "FF996633");
    EXPECT_EQ(b.StyleOf("C1").Fill, "FF000000");
    EXPECT_EQ(b.Cells.value("B3").Value, "42");

    EXPECT_THROW(x.SetColor("A1", -1), EOleException);
    EXPECT_THROW(x.SetColor("A1", 0x1000000), EOleException);
    EXPECT_THROW(x.SetBorder("A1:B2", 99), EOleException);
    EXPECT_THROW(x.SetAlignment("A1:B2", 0), EOleException);

    x.SetFileName(dir.filePath("never.xlsx"));
    x.Close();
    EXPECT_FALSE(x.SaveAs());
    ASSERT_TRUE(x.Open());  // afresh: nothing of before
    x.SetCell(1, 1, "new");
    ASSERT_TRUE(x.SaveAs());
    EXPECT_FALSE(ReadXlsx(x.FileName()).Cells.contains("B3"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), (QStringList{"cores.xlsx", "never.xlsx"}));
}
