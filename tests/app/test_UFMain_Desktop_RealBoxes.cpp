// Screen: 1366x768x24
// The consultations on a small screen, opened from the menu by keyboard:
// each window inside the visible area, the focus in it, closed by Ctrl+W.

#include "MainWindowHarness.h"
#include "RealBoxes.h"

#include "CampaignFile.h"
#include "UFCruzaEti_Cons.h"
#include "UFCruzaParental_Cons.h"
#include "UFCruza_Emasculador_Cons.h"
#include "XMdi.h"

#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QScreen>

namespace {

bool FocusIn(const QWidget* Window)
{
    const QWidget* focus = QApplication::focusWidget();
    return focus && Window->isAncestorOf(focus);
}

} // namespace

TEST(DesktopRealBoxes, ConsultationsOpenInsideTheSmallScreenWithTheFocus)
{
    ASSERT_NO_FATAL_FAILURE(RequireRealBoxes());
    ASSERT_EQ(QGuiApplication::primaryScreen()->size(), QSize(1366, 768));
    TMainWindowHarness H;
    TCampaignFile Campaign;
    TFMain* Main = H.StartOn(Campaign);
    ASSERT_TRUE(Main->AppConfig->Loaded) << H.Boxes();
    // What a window manager makes of the maximised window; the virtual X
    // server has none.
    Main->setGeometry(QGuiApplication::primaryScreen()->availableGeometry());
    Main->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(Main));
    QWidget* viewport = Main->ClientArea->viewport();

    // Alt opens the menu bar on "Processo"; the keys after it walk to the item.
    const struct
    {
        const char* Caption;
        QStringList Keys;
        std::function<QWidget*()> Window;
    } cases[] = {
        {"Consulta Colheita", {"Right", "Down", "Return"}, [&] { return Main->findChild<TFCruzaEti_Cons*>(); }},
        {"Filtro Parental x Planejamento Cruza", {"Right", "Down", "Down", "Right", "Return"},
         [&] { return Main->findChild<TFCruzaParental_Cons*>(); }},
        {"Hibridações Realizadas", {"Right", "Down", "Down", "Down", "Down", "Right", "Return"},
         [&] { return Main->findChild<TFCruza_Emasculador_Cons*>(); }},
    };
    QList<QPoint> places;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Caption);
        XKey(QStringLiteral("alt"));
        for (const QString& key : c.Keys)
            XKey(key);
        QWidget* W = nullptr;
        ASSERT_TRUE(QTest::qWaitFor([&] { return (W = c.Window()) && W->isVisible() && FocusIn(W); }, 5000))
            << "focus on " << (QApplication::focusWidget() ? QApplication::focusWidget()->metaObject()->className() : "nothing");
        QMdiSubWindow* Sub = MDISubWindowOf(W);
        EXPECT_EQ(Sub->windowTitle(), QString::fromUtf8(c.Caption));
        EXPECT_TRUE(viewport->rect().contains(Sub->geometry())) << Sub->geometry().x() << "," << Sub->geometry().y() << " " << Sub->width() << "x" << Sub->height() << " in " << viewport->width() << "x" << viewport->height();
        EXPECT_EQ(Main->ClientArea->activeSubWindow(), Sub);
        // Cascaded from the top left, one equal step down and right each.
        places << Sub->pos();
    }
    EXPECT_EQ(H.Boxes(), "");
    ASSERT_EQ(places.size(), 3);
    const QPoint step = places[1] - places[0];
    EXPECT_EQ(places[0], QPoint(0, 0));
    EXPECT_TRUE(step.x() > 0 && step.x() == step.y()) << step.x() << "," << step.y();
    EXPECT_EQ(places[2] - places[1], step);

    // Ctrl+W closes the window in front; the focus goes to the one activated next.
    for (int left = 3; left > 0; --left) {
        QMdiSubWindow* Sub = Main->ClientArea->activeSubWindow();
        ASSERT_TRUE(Sub);
        ASSERT_TRUE(FocusIn(Sub));
        QPointer<QMdiSubWindow> gone = Sub;
        XKey(QStringLiteral("ctrl+w"));
        ASSERT_TRUE(QTest::qWaitFor([&] { return gone.isNull(); }, 5000));
        EXPECT_EQ(Main->ClientArea->subWindowList().size(), left - 1);
    }
}
