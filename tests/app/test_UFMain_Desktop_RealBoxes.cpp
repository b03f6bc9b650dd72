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
#include <QPointer>
#include <QScreen>

#include <functional>

TEST(DesktopRealBoxes, ConsultationsOpenInsideTheSmallScreenWithTheFocus)
{
    ASSERT_NO_FATAL_FAILURE(RequireRealBoxes());
    ASSERT_EQ(QGuiApplication::primaryScreen()->size(), QSize(1366, 768));
    TMainWindowHarness H;
    TCampaignFile Campaign;
    TFMain* Main = H.StartOn(Campaign);
    ASSERT_TRUE(Main->AppConfig->Loaded) << H.Boxes();
    // What a window manager makes of the maximised window; the virtual X server has none.
    Main->setWindowState(Qt::WindowNoState);
    Main->setGeometry(QGuiApplication::primaryScreen()->availableGeometry());
    Main->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(Main));
    QWidget* viewport = Main->ClientArea->viewport();
    const auto FocusIn = [](const QWidget* W) { return QApplication::focusWidget() && W->isAncestorOf(QApplication::focusWidget()); };
    // Alt opens the menu bar on "Processo"; the keys after it walk to the item.
    const struct { QStringList Keys; std::function<QWidget*()> Window; } cases[] = {
        {{"Right", "Down", "Return"}, [&] { return Main->findChild<TFCruzaEti_Cons*>(); }},
        {{"Right", "Down", "Down", "Right", "Return"}, [&] { return Main->findChild<TFCruzaParental_Cons*>(); }},
        {{"Right", "Down", "Down", "Down", "Down", "Right", "Return"}, [&] { return Main->findChild<TFCruza_Emasculador_Cons*>(); }},
    };
    // Chosen by keys: the window in front, wholly visible, with the focus in it.
    auto choose = [&](const auto& c) {
        SCOPED_TRACE(c.Keys.join(u' ').toStdString());
        XKey(QStringLiteral("alt"));
        for (const QString& key : c.Keys)
            XKey(key);
        QWidget* W = nullptr;
        QMdiSubWindow* Sub = QTest::qWaitFor([&] { return (W = c.Window()) && W->isVisible() && FocusIn(W); }, 5000) ? MDISubWindowOf(W) : nullptr;
        EXPECT_TRUE(Sub && viewport->rect().contains(Sub->geometry()) && Main->ClientArea->activeSubWindow() == Sub);
        return Sub;
    };
    for (const auto& c : cases)
        ASSERT_TRUE(choose(c));
    EXPECT_EQ(H.Boxes(), "");
    // Chosen again after the main window was made smaller: the same window, moved back inside.
    ASSERT_TRUE(choose(cases[0]));
    Main->resize(940, 700);
    ASSERT_TRUE(QTest::qWaitFor([&] { return viewport->width() <= 940; }, 5000));
    ASSERT_FALSE(viewport->rect().contains(MDISubWindowOf(cases[2].Window())->geometry()));
    ASSERT_TRUE(choose(cases[2]));
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
