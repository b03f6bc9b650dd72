#include "XDBGrid.h"
#include "AdoTestDb.h"
#include "XAdoEngine.h"
#include "XDialogs.h"

#include <QApplication>
#include <QHeaderView>
#include <QImage>
#include <QStyle>
#include <QTest>

#include <gtest/gtest.h>

#include <set>

namespace {

void addColumn(TDBGrid& g, const char* field, const char* title, int width, TAlignment align)
{
    TColumn* c = g.Columns()->Add();
    c->SetFieldName(field);
    c->Title()->SetCaption(title);
    c->SetWidth(width);
    c->SetAlignment(align);
}

// Item: ID 1..30, NOME "nome <id>", VALOR id * 1.5 (Null for every fifth), STATUS X for every fourth;
// a grid of three columns on q.
class XDBGrid : public testing::Test, public AdoTestDb
{
protected:
    TADOQuery q;
    TDBGrid g;

    XDBGrid()
    {
        exec("CREATE TABLE Item (ID LONG NOT NULL, NOME TEXT(30) NOT NULL, VALOR FLOAT NULL, "
             "STATUS TEXT(1) NULL, CONSTRAINT PK_Item PRIMARY KEY (ID))");
        insert(1, 30);
        prepare(q, "SELECT id, nome, valor, status FROM Item ORDER BY id");
    }
    void insert(int From, int To)
    {
        exec(QStringLiteral("WITH RECURSIVE n(i) AS (SELECT %1 UNION ALL SELECT i + 1 FROM n WHERE i < %2) INSERT INTO Item "
                            "SELECT i, 'nome ' || i, IIF(i % 5 = 0, NULL, i * 1.5), IIF(i % 4 = 0, 'X', 'M') FROM n").arg(From).arg(To));
    }
    void threeColumns()
    {
        addColumn(g, "ID", "Código", 60, taRightJustify);
        addColumn(g, "nome", "Nome", 120, taLeftJustify);
        addColumn(g, "Valor", "Valor", 80, taRightJustify);
        g.SetDataSet(&q);
        q.Open();
    }
    QString cell(int row, int col) const { return g.model()->index(row, col).data().toString(); }
};

} // namespace

TEST_F(XDBGrid, ShowsTheResultByFieldNameWithTitlesWidthsAndAlignment)
{
    threeColumns();
    QAbstractItemModel* m = g.model();
    ASSERT_EQ(m->rowCount(), 30);
    EXPECT_EQ(cell(0, 1), "nome 1");
    EXPECT_EQ(cell(2, 2), "4.5");
    EXPECT_EQ(cell(4, 2), "") << "Null shows empty";
    EXPECT_EQ(m->headerData(0, Qt::Horizontal).toString(), "Código");
    EXPECT_EQ(m->index(0, 0).data(Qt::TextAlignmentRole).value<Qt::Alignment>() & Qt::AlignHorizontal_Mask, Qt::AlignRight);

    // A column whose field the result lacks stays empty; renaming it finds the field.
    addColumn(g, "nada", "Nada", 50, taLeftJustify);
    EXPECT_EQ(cell(0, 3), "");
    g.Columns()->Items(3)->SetFieldName("STATUS");
    EXPECT_EQ(cell(3, 3), "X");
    EXPECT_FALSE(g.FieldValue(5, "VALOR").isValid());
}

// The windows' widths were made for a smaller font: scaled, a full date-time
// fits 110 pixels and a long title fits its column, at any font size.
TEST_F(XDBGrid, PartWidthsFitTheirTextInTheFontInUse)
{
    q.Open();
    for (const int points : {0, 9, 14}) {
        TDBGrid g;
        if (points)
            g.setFont(QFont(g.font().family(), points));
        addColumn(g, "nome", "Executor Hibridação", 120, taLeftJustify);
        addColumn(g, "id", "Inclusão", 110, taLeftJustify);
        addColumn(g, "valor", "Status", 38, taLeftJustify);
        g.SetDataSet(&q);
        const QFontMetrics fm(g.font());
        // The cell's own text margins (2 + 3) and the grid line.
        EXPECT_LE(fm.horizontalAdvance(QStringLiteral("2026-12-06 19:20:31")) + 6, g.columnWidth(1)) << points;
        const int margins = 2 * g.style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, g.horizontalHeader());
        for (int c = 0; c < 3; ++c)
            EXPECT_LE(fm.horizontalAdvance(g.Columns()->Items(c)->Title()->Caption()) + margins, g.columnWidth(c))
                << points << " " << c;
        // A column the user widens keeps the width in the window's pixels.
        g.horizontalHeader()->resizeSection(0, g.columnWidth(0) * 2);
        EXPECT_NEAR(g.Columns()->Items(0)->Width(), 240, 1);
    }
}

TEST_F(XDBGrid, CurrentRecordAndSelectedRowFollowEachOther)
{
    g.SetOptions(dgTitles | dgIndicator | dgRowSelect);
    threeColumns();
    g.resize(400, 200);
    g.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&g));

    // The user clicks a row: the dataset moves to its record.
    const QRect r = g.visualRect(g.model()->index(5, 1));
    QTest::mouseClick(g.viewport(), Qt::LeftButton, {}, r.center());
    EXPECT_EQ(q.RecNo(), 6);
    EXPECT_EQ(q.FieldByName("nome")->AsString(), "nome 6");
    EXPECT_TRUE(g.selectionModel()->isRowSelected(5, {})) << "whole rows are selected";
    EXPECT_EQ(g.model()->headerData(5, Qt::Vertical).toString(), QStringLiteral("\u25B8"));
    EXPECT_EQ(g.model()->headerData(0, Qt::Vertical).toString(), "");

    // Keys move the selection and the record with it.
    g.setFocus();
    QTest::keyClick(&g, Qt::Key_Down);
    EXPECT_EQ(q.RecNo(), 7);

    // The dataset moves: the grid selects the record's row and scrolls to it.
    q.setRecNo(30);
    EXPECT_EQ(g.currentIndex().row(), 29);
    EXPECT_TRUE(g.viewport()->rect().intersects(g.visualRect(g.currentIndex())));
    q.First();
    EXPECT_EQ(g.currentIndex().row(), 0);
    EXPECT_EQ(g.model()->headerData(0, Qt::Vertical).toString(), QStringLiteral("\u25B8"));
}

TEST_F(XDBGrid, RequeryAndCloseKeepTheGridInStep)
{
    threeColumns();
    q.setRecNo(8);
    EXPECT_EQ(g.currentIndex().row(), 7);

    insert(31, 34);
    q.Requery();
    EXPECT_EQ(g.model()->rowCount(), 34);
    EXPECT_EQ(cell(33, 1), "nome 34");
    EXPECT_EQ(g.currentIndex().row(), 0) << "a requery starts at the first record";
    EXPECT_EQ(g.columnWidth(1), FontPixels(120, g.font())) << "widths survive the reset";

    q.Close();
    EXPECT_EQ(g.model()->rowCount(), 0);
    EXPECT_EQ(g.FieldText(1, "nome"), "");

    // New SQL with other columns: the grid's columns find their fields again.
    q.SQL.setText("SELECT nome, id FROM Item WHERE id > 32 ORDER BY id DESC");
    q.Open();
    ASSERT_EQ(g.model()->rowCount(), 2);
    EXPECT_EQ(cell(0, 0) + '|' + cell(0, 1) + '|' + cell(0, 2), "34|nome 34|");

    // Another dataset, which is then destroyed.
    auto* other = new TADOQuery;
    prepare(*other, "SELECT id, nome FROM Item WHERE id = 3");
    other->Open();
    g.SetDataSet(other);
    EXPECT_EQ(g.model()->rowCount(), 1);
    q.setRecNo(1);   // the former dataset no longer moves the grid
    EXPECT_EQ(g.currentIndex().row(), 0);
    delete other;
    EXPECT_EQ(g.DataSet(), nullptr);
    EXPECT_EQ(g.model()->rowCount(), 0);
}

TEST_F(XDBGrid, PaintHookGetsRecordNumbersAndCanRecolourRows)
{
    g.SetOptions(dgTitles | dgRowSelect);
    threeColumns();
    q.setRecNo(2);
    g.resize(320, 8 * g.RowHeight() + 40);

    std::set<int> recNos, selectedRecNos;
    bool canvasSeen = true;
    g.OnDrawColumnCell = [&](TDBGrid* Sender, const QRect& Rect, int DataCol, TColumn* Column, TGridDrawState State, int RecNo) {
        recNos.insert(RecNo);
        if (State.testFlag(gdSelected))
            selectedRecNos.insert(RecNo);
        canvasSeen = canvasSeen && Sender->Canvas() && Column == Sender->Columns()->Items(DataCol);
        // Written-off rows in red with black text, as the registration windows draw them.
        if (Sender->FieldText(RecNo, "status") == "X") {
            Sender->Canvas()->Brush.Color = ColorToQColor(clRed);
            Sender->Canvas()->Font.Color = ColorToQColor(clBlack);
            Sender->DefaultDrawColumnCell(Rect, DataCol, Column, State);
        }
    };
    const QImage img = g.viewport()->grab().toImage();
    ASSERT_FALSE(recNos.empty());
    EXPECT_TRUE(canvasSeen);
    EXPECT_EQ(*recNos.begin(), 1);
    EXPECT_GE(*recNos.rbegin(), 6);
    EXPECT_LT(*recNos.rbegin(), 12) << "only visible rows are drawn";
    EXPECT_EQ(selectedRecNos, std::set<int>{2});
    EXPECT_EQ(g.Canvas(), nullptr) << "no canvas outside drawing";

    // Sample each row near its right end, clear of the text.
    auto colourOf = [&](int RecNo) {
        const QRect r = g.CellRect(RecNo, 1);
        return img.pixelColor(r.right() - 4, r.center().y());
    };
    EXPECT_EQ(colourOf(4), QColor(Qt::red));
    EXPECT_NE(colourOf(2), QColor(Qt::red));
    EXPECT_NE(colourOf(2), g.palette().color(QPalette::Base)) << "the selected row keeps its highlight";
}

TEST_F(XDBGrid, ACellThatCannotBeReadIsShownOnceAndThePaintGoesOn)
{
    threeColumns();
    g.resize(320, 8 * g.RowHeight() + 40);
    TDlgRecorder boxes;

    int calls = 0;
    g.OnDrawColumnCell = [&](TDBGrid*, const QRect&, int, TColumn*, TGridDrawState, int) {
        ++calls;
        throw EOleException(QStringLiteral("disk I/O error"));
    };
    g.viewport()->grab();
    EXPECT_GT(calls, 1) << "every cell was still painted";
    EXPECT_EQ(boxes.Count(), 0) << "the box waits until the paint is over";
    QCoreApplication::processEvents();
    ASSERT_EQ(boxes.Count(), 1) << "one box however many cells failed";
    EXPECT_EQ(boxes.Last().Text, QStringLiteral("disk I/O error."));

    q.Requery();
    g.viewport()->grab();
    QCoreApplication::processEvents();
    EXPECT_EQ(boxes.Count(), 2) << "new data, a new chance to report";
}

// Rows another station deletes before the grid reaches them (rollback journal, read in slices):
// once read to the end, the grid shows as many rows as the dataset counts, each once.
TEST_F(XDBGrid, RowsDeletedBeforeTheyWereReadLeaveNoRowsBehindInTheGrid)
{
    insert(31, 300);
    exec("PRAGMA journal_mode = DELETE");
    conn.Close();
    conn.Open();
    threeColumns();
    ASSERT_EQ(conn.Engine()->SnapshotCount(), 1) << "read as reached";
    ASSERT_EQ(RawConnection(path).exec("DELETE FROM Item WHERE id IN (100, 200, 299)"), SQLITE_OK);
    QTest::keyClick(&g, Qt::Key_End, Qt::ControlModifier);   // to the last row counted, which is gone
    QCoreApplication::processEvents();
    EXPECT_EQ(q.RecordCount(), 297);
    EXPECT_EQ(q.RecNo(), 297);
    ASSERT_EQ(g.model()->rowCount(), 297);
    QSet<QString> ids;
    for (int r = 0; r < 297; ++r)
        ids.insert(cell(r, 0));
    EXPECT_EQ(ids.size(), 297);
    EXPECT_FALSE(ids.contains(QString()));
}
