#include "XStringGrid.h"

#include <QHeaderView>

#include <gtest/gtest.h>

namespace {

QString shown(const TStringGrid& g, int modelRow, int col)
{
    return g.model()->index(modelRow, col).data().toString();
}

} // namespace

TEST(XStringGrid, TitleRowIsTheHeadingAndDataRowsFollow)
{
    TStringGrid g;
    g.SetColCount(2);
    g.SetRowCount(2);
    g.SetColWidths(0, 89);
    g.SetCells(0, 0, "NC_Parental");
    g.SetCells(1, 0, u"Código"_qs);
    EXPECT_EQ(g.model()->rowCount(), 1);
    EXPECT_EQ(g.model()->headerData(1, Qt::Horizontal).toString(), u"Código"_qs);
    EXPECT_TRUE(g.horizontalHeader()->isVisibleTo(&g));
    EXPECT_EQ(g.columnWidth(0), FontPixels(89, g.font()));

    g.SetCells(0, 1, "17");
    g.SetCells(1, 1, "BRS 123");
    g.SetRowCount(4);
    g.SetCells(0, 3, "99");
    EXPECT_EQ(g.model()->rowCount(), 3);
    EXPECT_EQ(shown(g, 0, 1), "BRS 123");
    EXPECT_EQ(shown(g, 2, 0), "99");
    EXPECT_EQ(g.Cells(1, 2), "") << "new rows are empty";
    g.SetCells(7, 1, "lost");   // outside: ignored
    EXPECT_EQ(g.Cells(7, 1), "");

    // Widening keeps the cells; narrowing drops the cut columns.
    g.SetColCount(3);
    EXPECT_EQ(g.Cells(1, 1), "BRS 123");
    EXPECT_EQ(g.model()->columnCount(), 3);
    g.SetColCount(1);
    g.SetColCount(2);
    EXPECT_EQ(g.Cells(1, 1), "");
    EXPECT_EQ(g.Cells(0, 1), "17");

    // A grid reduced to its title row keeps it as the heading.
    g.SetRowCount(1);
    EXPECT_EQ(g.model()->rowCount(), 0);
    g.SetRowCount(2);
    g.DeleteRow(0);   // never the title row
    EXPECT_EQ(g.Cells(0, 0) + '|' + g.Cells(0, 1), "NC_Parental|");

    // Without a title row every row is data.
    g.SetFixedRows(0);
    EXPECT_EQ(g.model()->rowCount(), 2);
    EXPECT_FALSE(g.horizontalHeader()->isVisibleTo(&g));
    EXPECT_EQ(shown(g, 0, 0), "NC_Parental");
}
