// Screen: 1366x768x24
// The child windows on small screens, opened from the menu by keyboard: each in front with the
// focus, inside the visible area as far as its size allows; what lies beyond is brought into view
// with the work area's scroll bars and its buttons pressed; Ctrl+W closes the window in front.

#include "MainWindowHarness.h"
#include "RealBoxes.h"

#include "CampaignFile.h"
#include "UFBCad.h"
#include "UFCruzaEti_Cons.h"
#include "UFCruzaEti_Flor_Cad.h"
#include "UFCruzaParental_Cons.h"
#include "UFCruza_Emasculador_Cons.h"
#include "XMdi.h"

#include <QApplication>
#include <QButtonGroup>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>

#include <functional>

namespace {

// Alt opens the menu bar on "Processo"; the keys after it walk to the item.
struct TMenuItem
{
    QStringList Keys;
    std::function<QWidget*(TFMain*)> Window;
};

template <class T>
TMenuItem Item(const QStringList& Keys)
{
    return {Keys, [](TFMain* Main) -> QWidget* { return Main->findChild<T*>(); }};
}

const TMenuItem Consultations[] = {
    Item<TFCruzaEti_Cons>({"Right", "Down", "Return"}),
    Item<TFCruzaParental_Cons>({"Right", "Down", "Down", "Right", "Return"}),
    Item<TFCruza_Emasculador_Cons>({"Right", "Down", "Down", "Down", "Down", "Right", "Return"}),
};

void XClick(QWidget* W, const QPoint& At)
{
    const QPoint p = W->mapToGlobal(At);
    ASSERT_TRUE(XDoTool({"mousemove", QString::number(p.x()), QString::number(p.y()), "click", "1"}));
}

} // namespace

class Desktop : public ::testing::Test
{
protected:
    TMainWindowHarness H;
    TCampaignFile Campaign;
    TFMain* Main = nullptr;
    QWidget* Viewport = nullptr;

    // The program started with its main window of Size at the top left (the virtual X server has no window manager).
    void Start(const QSize& Size)
    {
        ASSERT_NO_FATAL_FAILURE(RequireRealBoxes());
        Main = H.StartOn(Campaign);
        ASSERT_TRUE(Main->AppConfig->Loaded) << H.Boxes();
        Main->setWindowState(Qt::WindowNoState);
        Resize(Size);
        Main->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(Main));
        Viewport = Main->ClientArea->viewport();
    }

    void Resize(const QSize& Size)
    {
        Main->setGeometry(QRect(QPoint(0, 0), Size));
        ASSERT_TRUE(QTest::qWaitFor([&] { return Main->size() == Size; }, 5000));
    }

    bool FocusIn(const QWidget* W) const { return QApplication::focusWidget() && W->isAncestorOf(QApplication::focusWidget()); }
    bool Shows(const QRect& R) const { return Viewport->rect().contains(R); }

    // Chosen by keys: the window in front with the focus in it, wholly visible or, when larger
    // than the area, at its top left.
    QMdiSubWindow* Choose(const TMenuItem& Item)
    {
        SCOPED_TRACE(Item.Keys.join(u' ').toStdString());
        XKey(QStringLiteral("alt"));
        for (const QString& key : Item.Keys)
            XKey(key);
        QWidget* W = nullptr;
        QMdiSubWindow* Sub = QTest::qWaitFor([&] { return (W = Item.Window(Main)) && W->isVisible() && FocusIn(W); }, 5000)
            ? MDISubWindowOf(W)
            : nullptr;
        EXPECT_TRUE(Sub && (Shows(Sub->geometry()) || Sub->pos() == QPoint(0, 0))
                    && Main->ClientArea->activeSubWindow() == Sub);
        return Sub;
    }

    // The arrow at the end of Bar clicked until Shown, as far as the bar goes.
    bool ScrollUntil(QScrollBar* Bar, const std::function<bool()>& Shown)
    {
        const int w = Bar->width(), h = Bar->height();
        const QPoint arrow = Bar->orientation() == Qt::Horizontal ? QPoint(w - h / 2, h / 2) : QPoint(w / 2, h - w / 2);
        while (!Shown() && Bar->isVisible() && Bar->value() < Bar->maximum()) {
            const int value = Bar->value();
            XClick(Bar, arrow);
            if (!QTest::qWaitFor([&] { return Bar->value() != value; }, 5000))
                break;
        }
        return Shown();
    }

    // Button scrolled into view, right then down; false when it cannot be reached.
    bool Reach(QWidget* Button)
    {
        const auto at = [&] { return QRect(Button->mapTo(Viewport, QPoint()), Button->size()); };
        ScrollUntil(Main->ClientArea->horizontalScrollBar(), [&] { return Shows({at().x(), 0, at().width(), 1}); });
        return ScrollUntil(Main->ClientArea->verticalScrollBar(), [&] { return Shows(at()); });
    }

    // Reached and clicked.
    bool Press(QWidget* Button)
    {
        if (!Reach(Button))
            return false;
        XClick(Button, Button->rect().center());
        return true;
    }

    // "Fechar" pressed: the window is gone.
    bool Closes(TFBCad* Window)
    {
        QPointer<TFBCad> W = Window;
        return Press(W->BClose) && QTest::qWaitFor([&] { return W.isNull(); }, 5000);
    }
};

TEST_F(Desktop, ConsultationsOpenInsideTheSmallScreenWithTheFocus)
{
    ASSERT_NO_FATAL_FAILURE(Start(QGuiApplication::primaryScreen()->availableGeometry().size()));
    ASSERT_EQ(QGuiApplication::primaryScreen()->size(), QSize(1366, 768));
    for (const TMenuItem& c : Consultations)
        ASSERT_TRUE(Choose(c));
    EXPECT_EQ(H.Boxes(), "");
    // Chosen again after the main window was made smaller: the same window, moved back inside.
    ASSERT_TRUE(Choose(Consultations[0]));
    ASSERT_NO_FATAL_FAILURE(Resize({940, 700}));
    ASSERT_FALSE(Shows(MDISubWindowOf(Consultations[2].Window(Main))->geometry()));
    ASSERT_TRUE(Shows(Choose(Consultations[2])->geometry()));
    EXPECT_EQ(Main->ClientArea->subWindowList().size(), 3);
    // Ctrl+W closes the window in front; the focus goes to the one activated next.
    for (int left = 3; left > 0; --left) {
        QPointer<QMdiSubWindow> gone = Main->ClientArea->activeSubWindow();
        ASSERT_TRUE(gone && FocusIn(gone));
        XKey(QStringLiteral("ctrl+w"));
        ASSERT_TRUE(QTest::qWaitFor([&] { return gone.isNull(); }, 5000));
        EXPECT_EQ(Main->ClientArea->subWindowList().size(), left - 1);
    }
}

// A restored main window and a 1024x768 screen: "Confirmar" and "Fechar" scrolled into view and
// pressed, the title bar's buttons in view at the end of the horizontal bar.
TEST_F(Desktop, EveryButtonIsReachedThroughTheScrollBars)
{
    const qint64 Label = Campaign.Info.FirstLabel;
    const QString Live = QStringLiteral("SELECT COUNT(*) FROM Cruza WHERE nc_rep = %1").arg(Label);
    for (const QSize size : {QSize(800, 600), QSize(1024, 768)}) {
        SCOPED_TRACE(size.width());
        ASSERT_NO_FATAL_FAILURE(Start(size));
        Campaign.Exec(QStringLiteral("INSERT INTO Cruza (nc_rep, seq, reverso, id_emasculador, status, dupd, cmaq) "
                                     "VALUES (%1, 1, '0', 1, 'M', '2025-03-04 10:11:12', 'CAMPO01')").arg(Label));
        // "Hibridação": "Operação", "Exclusão", "Operação", the label read, "Confirmar" answered Yes.
        ASSERT_TRUE(Choose(Item<TFCruzaEti_Flor_Cad>({"Down", "Right", "Return"})));
        auto* W = Main->findChild<TFCruzaEti_Flor_Cad*>();
        for (QWidget* b : std::initializer_list<QWidget*>{W->BSetOper, W->RGOperItems->button(1), W->BSetOper})
            ASSERT_TRUE(Press(b));
        XType(TCampaignBuilder::Barcode(Label, false) + QStringLiteral("\n"));
        ASSERT_TRUE(QTest::qWaitFor([&] { return W->LReg->text() == QStringLiteral("Registros: 1"); }, 5000));
        H.Dlg.Answer(mrYes);
        ASSERT_TRUE(Press(W->BConfirm));
        EXPECT_TRUE(QTest::qWaitFor([&] { return Campaign.Scalar(Live) == "0"; }, 5000));
        H.Dlg.Clear();
        EXPECT_TRUE(Closes(W));
        for (const TMenuItem& c : Consultations) {
            QMdiSubWindow* Sub = Choose(c);
            ASSERT_TRUE(Sub);
            EXPECT_TRUE(ScrollUntil(Main->ClientArea->horizontalScrollBar(), [&] { return Shows({Sub->geometry().topRight(), QSize(1, 1)}); }));
            EXPECT_TRUE(Closes(qobject_cast<TFBCad*>(Sub->widget())));
        }
        EXPECT_EQ(H.Boxes(), "");
    }
}

// "Exportar" and "Fechar" scrolled into view on a small main window: the export's box, once
// answered, leaves the scroll bars where they were, and "Fechar" is still under the mouse.
TEST_F(Desktop, ABoxClosingLeavesTheViewWhereItWas)
{
    ASSERT_NO_FATAL_FAILURE(Start({800, 600}));
    ASSERT_TRUE(Choose(Consultations[0]));
    auto* W = Main->findChild<TFCruzaEti_Cons*>();
    ASSERT_TRUE(Reach(W->BClose) && Reach(W->BExportar));
    const QString File = Campaign.Dir.filePath(QStringLiteral("envelopes.xls"));
    H.Files.Answer(File);
    TRealBoxes Boxes;
    TBoxDriver Driver;
    const auto scrolled = [&] {
        return QList<int>{Main->ClientArea->horizontalScrollBar()->value(), Main->ClientArea->verticalScrollBar()->value()};
    };
    const QList<int> Before = scrolled();
    const QPoint Fechar = W->BClose->mapToGlobal(W->BClose->rect().center());
    ASSERT_TRUE(Press(W->BExportar));
    ASSERT_TRUE(Driver.Sync());
    EXPECT_EQ(Boxes.Shown, QStringList{QStringLiteral("Arquivo ") + File + QStringLiteral(" exportado com sucesso.")});
    EXPECT_EQ(scrolled(), Before);
    QPointer<TFBCad> Gone = W;
    ASSERT_TRUE(XDoTool({"mousemove", QString::number(Fechar.x()), QString::number(Fechar.y()), "click", "1"}));
    EXPECT_TRUE(QTest::qWaitFor([&] { return Gone.isNull(); }, 5000));
}
