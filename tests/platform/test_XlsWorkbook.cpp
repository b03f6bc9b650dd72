#include "XExceptions.h"
#include "XWorkbook.h"

#include <gtest/gtest.h>

#include <cmath>

TEST(XlsRange, ParsesEveryWrittenFormAndRefusesTheRest)
{
    const struct { const char* Text; int R1, C1, R2, C2; } good[] = {
        {"C7", 7, 3, 7, 3}, {"A1:E11", 1, 1, 11, 5}, {"$A$1:$E$11", 1, 1, 11, 5},
        {"b2:aa30", 2, 2, 30, 27}, {"E11:A1", 1, 1, 11, 5}, {"XFD1048576", 1048576, 16384, 1048576, 16384}};
    for (const auto& g : good) {
        const XCellRange r = XParseRange(QString::fromLatin1(g.Text));
        EXPECT_EQ((std::vector<int>{r.FirstRow, r.FirstCol, r.LastRow, r.LastCol}),
                  (std::vector<int>{g.R1, g.C1, g.R2, g.C2})) << g.Text;
    }
    for (const char* bad : {"", "A", "1", "A0", "XFE1", "A1048577", "A1:", ":B2", "A1:B2:C3", "A 1", "1A",
                            "AAAAA1", "A1B", "$$A1", "A1 "})
        EXPECT_THROW(XParseRange(QString::fromLatin1(bad)), EOleException) << bad;
}

TEST(XlsWorksheet, KeepsNumbersTextsAndBooleansAndEmptiesOnNull)
{
    XWorkbook book;
    XWorksheet& s = book.AddSheet("Plan1");
    s.SetValue(1, 1, 123456789012LL);
    s.SetValue(1, 2, 2.5);
    s.SetValue(1, 3, QStringLiteral("0123"));
    s.SetValue(1, 4, true);
    s.SetValue(2, 1, std::numeric_limits<double>::infinity());
    s.SetValue(2, 2, QString(40000, u'x'));
    // Numbers and booleans read back from the file in the save tests; digits with a leading zero stay text.
    EXPECT_EQ(s.Kind(1, 3), XCellKind::Text);
    EXPECT_EQ(s.Value(1, 3).toString(), "0123");
    // What the file format cannot hold: no infinite numbers, no endless texts.
    EXPECT_EQ(s.Value(2, 1).toString(), "inf");
    EXPECT_EQ(s.Value(2, 2).toString().size(), XMaxCellTextLength);

    s.SetBorder({1, 2, 1, 2}, XBorderLine::Continuous);
    s.SetValue(1, 1, QVariant(QMetaType::fromType<int>()));  // a Null of a number column
    s.SetValue(1, 2, QString());
    s.SetValue(9, 9, QVariant());
    EXPECT_EQ(s.Kind(1, 1), XCellKind::Empty);
    EXPECT_FALSE(s.Value(1, 1).isValid());
    EXPECT_EQ(s.Style(1, 2).Border, XBorderLine::Continuous);  // emptied, still formatted
    EXPECT_EQ(s.CellCount(), 5u);
    EXPECT_EQ(s.LastRow(), 2);

    for (const auto& [r, c] : {std::pair{0, 1}, {1, XMaxColumns + 1}, {XMaxRows + 1, 1}})
        EXPECT_THROW(s.SetValue(r, c, 1), EOleException) << r << "," << c;
}

TEST(XlsWorksheet, RangeFormatsCombineAndAreShared)
{
    XWorkbook book;
    XWorksheet& s = book.AddSheet("Plan1");
    s.SetInteriorColor({1, 1, 1, 3}, 0x808080);
    s.SetAlignment({1, 1, 3, 3}, XHorizontalAlignment::Center);
    s.SetBorder({1, 1, 3, 3}, XBorderLine::Continuous);
    // The styles of the filled range are read back from the file in the save tests.
    EXPECT_EQ(s.Style(4, 1), XCellStyle{});
    s.SetBorder({1, 1, 1, 1}, XBorderLine::None);  // the other properties stay
    EXPECT_EQ(s.Style(1, 1), (XCellStyle{XBorderLine::None, XHorizontalAlignment::Center, true, 0x808080}));

    const int styles = book.StyleCount();
    XWorksheet& other = book.AddSheet("Outra");
    for (int r = 1; r <= 100; ++r)
        other.SetBorder({r, 1, r, 5}, XBorderLine::Continuous);
    EXPECT_EQ(book.StyleCount(), styles);
    EXPECT_THROW(s.SetInteriorColor({1, 1, 1, 1}, 0x1000000), EOleException);
}

TEST(XlsWorksheet, AutoFitFollowsTheWidestShownValueOfTheWholeColumn)
{
    XWorkbook book;
    XWorksheet& s = book.AddSheet("Plan1");
    s.SetValue(1, 1, "ID");
    s.SetValue(500, 1, 1234567);
    s.SetValue(1, 2, QStringLiteral("PLANEJAMENTO DA CAMPANHA"));
    s.SetValue(1, 3, QStringLiteral("short\na second line longer than the title of column B"));
    s.SetValue(7, 4, "emptied before the second fit");
    s.SetValue(1, 5, QString(400, u'W'));
    s.AutoFitColumns(4, 4);
    EXPECT_TRUE(s.HasColumnWidth(4));
    s.SetValue(7, 4, QVariant());

    s.AutoFitColumns(1, 5);
    EXPECT_TRUE(s.ColumnWidth(1) >= 7.0 && s.ColumnWidth(1) < 9.0) << s.ColumnWidth(1);  // the seven digits of row 500
    EXPECT_GT(s.ColumnWidth(2), 20.0);
    EXPECT_TRUE(s.ColumnWidth(3) > s.ColumnWidth(2) && s.ColumnWidth(3) < 60.0);  // widest line, not the whole text
    EXPECT_FALSE(s.HasColumnWidth(4));
    EXPECT_EQ(s.ColumnWidth(5), XMaxColumnWidth);
}
