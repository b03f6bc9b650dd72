#include "UXXLS.h"
#include "XExceptions.h"
#include "../platform/XlsxReadBack.h"

#include <QDir>
#include <QFile>
#include <QPointer>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// The calls of the grid export: titles, one row per record, grey fitted
// titles, the whole table centred and bordered, save, close.
bool Export(TXXLS& X, const QString& FileName, const QList<QVariantList>& Records)
{
    const QStringList titles{"NC_REP", "CODIGO", "SEMENTES"};
    X.SetNewFile(true);
    X.SetFileName(FileName);
    if (!X.Open())
        return false;
    for (int c = 1; c <= 3; ++c)
        X.SetCell(c, 1, titles[c - 1]);
    for (int r = 0; r < Records.size(); ++r)
        for (int c = 1; c <= 3; ++c)
            X.SetCell(c, r + 2, Records[r][c - 1]);
    X.SetColor(X.CellName(1, 1) + ":" + X.CellName(1, 3), 0x808080);
    X.AutoFit(X.CellName(1, 1) + ":" + X.CellName(1, 3));
    const QString table = X.CellName(1, 1) + ":" + X.CellName(int(Records.size()) + 1, 3);
    X.SetAlignment(table, -4108);
    X.SetBorder(table, 1);
    const bool saved = X.SaveAs();
    X.Close();
    return saved;
}

QStringList Files(const QTemporaryDir& Dir)
{
    return QDir(Dir.path()).entryList(QDir::Files | QDir::Hidden);
}

}  // namespace

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

TEST(UXXLS, OpensOnlyNewWorkbooksWithTheOneSheetPlan1)
{
    TXXLS x;
    EXPECT_FALSE(x.Open());  // NewFile False: there is no reader of existing workbooks
    x.SetNewFile(true);
    ASSERT_TRUE(x.Open());
    ASSERT_EQ(x.ExcelApp()->SheetCount(), 1);
    EXPECT_EQ(x.Sheet(), &x.ExcelApp()->Sheet(1));
    EXPECT_EQ(x.Sheet()->Name(), "Plan1");
    EXPECT_THROW(x.SelectSheet(2), EOleException);

    x.SetNewFile(false);
    EXPECT_FALSE(x.Open());  // and the workbook open before is gone
    EXPECT_EQ(x.ExcelApp(), nullptr);
    EXPECT_EQ(x.Sheet(), nullptr);
    x.SetCell(1, 1, "ignored while closed");
    EXPECT_FALSE(x.SaveAs());
    EXPECT_THROW(x.SetColor("A1", 0x808080), EOleException);
    EXPECT_THROW(x.AutoFit("A1"), EOleException);
    EXPECT_THROW(x.SelectSheet(1), EOleException);
}

TEST(UXXLS, ExportOfThreeColumnsAndTenRecordsReadsBackFormatted)
{
    QTemporaryDir dir;
    QList<QVariantList> records;
    for (int i = 0; i < 10; ++i)
        records.append({1234567890120LL + i, QStringLiteral("Cód-%1").arg(i), i % 3 ? QVariant(i * 1.5) : QVariant()});
    TXXLS x;
    ASSERT_TRUE(Export(x, dir.filePath("cruza.xlsx"), records));
    EXPECT_FALSE(x.IsOpen());

    const XlsxBook b = ReadXlsx(dir.filePath("cruza.xlsx"));
    ASSERT_TRUE(b.Error.isEmpty()) << b.Error.toStdString();
    EXPECT_EQ(b.SheetNames, QStringList{"Plan1"});
    EXPECT_EQ(b.Cells["A11"].Type, "");
    EXPECT_EQ(b.Cells["A11"].Value, "1234567890129");
    EXPECT_EQ(b.Text("B11"), QStringLiteral("Cód-9"));
    EXPECT_EQ(b.Cells["C3"].Value, "1.5");
    EXPECT_FALSE(b.Cells["C2"].HasValue);  // an empty field leaves the cell empty
    EXPECT_EQ(b.Cells.size(), 33);
    for (const QString& ref : b.Cells.keys()) {
        const XlsxStyle st = b.StyleOf(ref);
        EXPECT_EQ(st.Fill, ref.mid(1) == "1" ? "FF808080" : "") << ref.toStdString();
        EXPECT_EQ(st.Horizontal, "center") << ref.toStdString();
        EXPECT_EQ(st.Top + st.Bottom + st.Left + st.Right, "thinthinthinthin") << ref.toStdString();
    }
    EXPECT_GT(b.Widths.value(1), 13.0);  // fitted to the thirteen digits, not the title
    EXPECT_GT(b.Widths.value(2), 0.0);
    EXPECT_GT(b.Widths.value(3), 0.0);

    // No records, and an old extension kept as given.
    ASSERT_TRUE(Export(x, dir.filePath("vazio.xls"), {}));
    EXPECT_EQ(Files(dir), (QStringList{"cruza.xlsx", "vazio.xls"}));
    const XlsxBook e = ReadXlsx(dir.filePath("vazio.xls"));
    EXPECT_EQ(e.Cells.keys(), (QStringList{"A1", "B1", "C1"}));
    EXPECT_EQ(e.StyleOf("C1").Fill, "FF808080");
    EXPECT_EQ(e.StyleOf("C1").Bottom, "thin");
}

TEST(UXXLS, ColoursComeInTheAutomationOrderAndBadArgumentsRaise)
{
    QTemporaryDir dir;
    TXXLS x;
    x.SetNewFile(true);
    x.SetFileName(dir.filePath("cores.xlsx"));
    ASSERT_TRUE(x.Open());
    x.SetColor("A1", 0x0000FF);  // red
    x.SetColor("B1", 0x336699);
    x.SetColor("C1", 0);         // black
    x.SetBorder("A2", -4119);
    x.SetAlignment("A2", -4152);
    ASSERT_TRUE(x.SaveAs());
    const XlsxBook b = ReadXlsx(x.FileName());
    EXPECT_EQ(b.StyleOf("A1").Fill, "FFFF0000");
    EXPECT_EQ(b.StyleOf("B1").Fill, "FF996633");
    EXPECT_EQ(b.StyleOf("C1").Fill, "FF000000");
    EXPECT_EQ(b.StyleOf("A2").Left, "double");
    EXPECT_EQ(b.StyleOf("A2").Horizontal, "right");

    EXPECT_THROW(x.SetColor("A1", -1), EOleException);
    EXPECT_THROW(x.SetColor("A1", 0x1000000), EOleException);
    EXPECT_THROW(x.SetBorder("A1:B2", 99), EOleException);
    EXPECT_THROW(x.SetAlignment("A1:B2", 0), EOleException);
    EXPECT_THROW(x.SetBorder("A0:B2", 1), EOleException);
    EXPECT_THROW(x.AutoFit("not a range"), EOleException);
    EXPECT_THROW(x.SetCell(0, 1, 5), EOleException);
}

TEST(UXXLS, FailedSavesAnswerFalseAndCloseDiscardsTheWorkbook)
{
    QTemporaryDir dir;
    TXXLS x;
    x.SetNewFile(true);
    x.SetFileName(dir.filePath("no/such/folder/x.xlsx"));
    ASSERT_TRUE(x.Open());
    x.SetCell(2, 3, 42);
    EXPECT_FALSE(x.SaveAs());
    EXPECT_TRUE(x.IsOpen());
    x.SetFileName(dir.filePath("ok.xlsx"));
    ASSERT_TRUE(x.SaveAs());
    EXPECT_EQ(ReadXlsx(x.FileName()).Cells["B3"].Value, "42");

    x.SetFileName(dir.filePath("never.xlsx"));
    x.Close();
    EXPECT_FALSE(x.SaveAs());
    ASSERT_TRUE(x.Open());  // afresh: nothing of before
    x.SetCell(1, 1, "new");
    ASSERT_TRUE(x.SaveAs());
    EXPECT_FALSE(ReadXlsx(x.FileName()).Cells.contains("B3"));
    EXPECT_EQ(Files(dir), (QStringList{"never.xlsx", "ok.xlsx"}));
}

TEST(UXXLS, EndsWithItsOwner)
{
    auto* owner = new QObject;
    QPointer<TXXLS> x = new TXXLS(owner);
    x->SetNewFile(true);
    ASSERT_TRUE(x->Open());
    delete owner;
    EXPECT_TRUE(x.isNull());
}
