#include "MdiMainWindow.h"
#include "UXForms.h"
#include "XMdi.h"
#include "../platform/AdoTestDb.h"

#include <QCoreApplication>
#include <QDate>
#include <QImage>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QTime>

#include <gtest/gtest.h>

class TFWinA : public QWidget
{
    Q_OBJECT
public:
    explicit TFWinA(QWidget* Owner = nullptr) : QWidget(Owner) { resize(320, 200); ++Created; }
    static inline int Created = 0;
};

class TFWinB : public QWidget
{
    Q_OBJECT
public:
    explicit TFWinB(QWidget* Owner = nullptr) : QWidget(Owner) { resize(300, 180); }
};

class TFWinFails : public QWidget
{
    Q_OBJECT
public:
    explicit TFWinFails(QWidget* Owner = nullptr) : QWidget(Owner) { throw EDatabaseError("tabela ausente"); }
};

namespace {

struct MainWindow : TMdiMainWindow
{
    QMdiSubWindow* frameOf(QWidget* w) const { return MDISubWindowOf(w); }
    int count() const { return int(area->subWindowList().size()); }
};

} // namespace

TEST(UXFormsWindows, OneWindowPerClassRestoredAndBroughtToTheFront)
{
    MainWindow m;
    EXPECT_EQ(DateToStr(QDate(2026, 12, 5)) + u' ' + TimeToStr(QTime(7, 3, 9)), "05/12/2026 07:03:09");   // set by InitLib
    TFWinA::Created = 0;
    TFWinB* b = ShowMDIChild<TFWinB>(false, false); // Show False still makes a visible window
    ASSERT_NE(b, nullptr);
    EXPECT_TRUE(b->isVisible());
    TFWinA* a = ShowMDIChild<TFWinA>(false, true);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->size(), QSize(320, 200));
    EXPECT_EQ(m.area->activeSubWindow(), m.frameOf(a));
    EXPECT_EQ(ShowMDIChild<TFWinB>(false, true), b);
    EXPECT_EQ(m.area->activeSubWindow(), m.frameOf(b));

    // Minimised A: asked for again, it comes back in front.
    m.frameOf(a)->showMinimized();
    EXPECT_EQ(ShowMDIChild<TFWinA>(false, true), a);
    EXPECT_EQ(m.area->activeSubWindow(), m.frameOf(a));

    // Show False: a found window is only restored, not brought forward.
    ShowMDIChild<TFWinB>(false, true);
    EXPECT_EQ(ShowMDIChild<TFWinA>(false, false), a);
    EXPECT_EQ(m.area->activeSubWindow(), m.frameOf(b));
    m.frameOf(a)->showMinimized();
    EXPECT_EQ(ShowMDIChild<TFWinA>(false, false), a);
    EXPECT_FALSE(m.frameOf(a)->isMinimized());
    EXPECT_EQ(m.count(), 2);
    EXPECT_EQ(TFWinA::Created, 1);
}

TEST(UXFormsWindows, AClosedWindowIsNotReusedAndAFailedOneOrOneWithoutAMainWindowLeavesNothing)
{
    {
        MainWindow m;
        EXPECT_EQ(MainForm(), &m.main);
        TFWinA* a = ShowMDIChild<TFWinA>(false, true);
        a->setAttribute(Qt::WA_DeleteOnClose);
        QPointer<QWidget> old = a;
        m.frameOf(a)->close();
        // Still waiting to be freed: a new window is made all the same.
        TFWinA* again = ShowMDIChild<TFWinA>(false, true);
        EXPECT_NE(again, a);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(old.isNull());
        EXPECT_EQ(ShowMDIChild<TFWinA>(false, true), again);
        EXPECT_EQ(m.count(), 1);

        EXPECT_THROW(ShowMDIChild<TFWinFails>(false, true), EDatabaseError);
        EXPECT_EQ(m.count(), 1);
    }
    EXPECT_EQ(MainForm(), nullptr);
    EXPECT_THROW(ShowMDIChild<TFWinA>(false, true), EInvalidOperation);
}

TEST(UXFormsWindows, DrawCellShadedPaintsEvenRecordsThatAreNotSelected)
{
    AdoTestDb db;
    db.exec("CREATE TABLE P (ID LONG NOT NULL, NOME TEXT(20) NOT NULL, CONSTRAINT PK_P PRIMARY KEY (ID))");
    for (int i = 1; i <= 6; ++i)
        db.exec(QStringLiteral("INSERT INTO P (ID, NOME) VALUES (%1, 'p%1')").arg(i));
    TADOQuery q;
    db.prepare(q, "SELECT id, nome FROM P ORDER BY id");
    TDBGrid g;
    g.SetOptions(dgTitles | dgRowSelect);
    AddGridColumn(&g, "id", "ID", 60, taRightJustify);
    AddGridColumn(&g, "nome", "Nome", 100, taLeftJustify);
    g.SetDataSet(&q);
    q.Open();
    q.setRecNo(4);
    g.resize(220, 10 * g.RowHeight());
    // The record number of the drawn row, as the consultation windows pass it.
    g.OnDrawColumnCell = [](TDBGrid* Sender, const QRect& Rect, int, TColumn* Column, TGridDrawState State,
                            int RecNo) { DrawCellShaded(RecNo, Sender, Rect, Column, State); };
    const QImage img = g.viewport()->grab().toImage();
    const QColor menu = ColorToQColor(clMenu);
    const QColor base = g.palette().color(QPalette::Base);
    ASSERT_NE(menu, base) << "the menu colour must be told from the grid's own";
    auto at = [&](int RecNo) {
        const QRect r = g.CellRect(RecNo, 1);
        return img.pixelColor(r.right() - 3, r.center().y());
    };
    EXPECT_EQ(QList<QColor>({at(1), at(2), at(3), at(6)}), QList<QColor>({base, menu, base, menu}));
    EXPECT_NE(at(4), menu) << "the selected record keeps its highlight";
    EXPECT_NE(img.copy(g.CellRect(2, 1)), img.copy(g.CellRect(6, 1))) << "shaded cells still show their text";
    // Outside drawing there is no canvas: nothing happens.
    DrawCellShaded(2, &g, QRect(0, 0, 10, 10), g.Columns()->Items(0), {});
}

#include "test_UXFormsWindows.moc"
