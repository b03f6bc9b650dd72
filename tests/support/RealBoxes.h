#pragma once

// Real message boxes and real focus under an X server (the *_RealBoxes test
// programs run under xvfb-run): boxes counted, keys typed with xdotool.

#include "XDialogs.h"

#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QProcess>
#include <QStringList>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <gtest/gtest.h>

// The real QMessageBox, counted: every box shown and the deepest nesting.
class TRealBoxes : public TDlgProvider
{
public:
    TRealBoxes() : m_previous(SetDlgProvider(this)) {}
    ~TRealBoxes() override { SetDlgProvider(m_previous); }

    int Show(const TDlgRequest& Request) override
    {
        Shown.append(Request.Text);
        Deepest = qMax(Deepest, ++m_depth);
        const int result = m_real.Show(Request);
        --m_depth;
        return result;
    }

    QStringList Shown;
    int Deepest = 0;

private:
    TQtDlgProvider m_real;
    TDlgProvider* m_previous;
    int m_depth = 0;
};

inline bool XDoTool(const QStringList& Args)
{
    return QProcess::execute(QStringLiteral("xdotool"), Args) == 0;
}

// Typed through the X server, as a scanner types.
inline void XType(const QString& Text)
{
    ASSERT_TRUE(XDoTool({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("2"), Text}));
}

// One key (an xdotool key name: "Return", "shift+Tab", "ctrl+a").
inline void XKey(const QString& Key)
{
    ASSERT_TRUE(XDoTool({QStringLiteral("key"), Key}));
}

// A real-box test that cannot run fails instead of passing unseen.
inline void RequireRealBoxes()
{
    ASSERT_EQ(QGuiApplication::platformName(), QStringLiteral("xcb")) << "run under xvfb-run with QT_QPA_PLATFORM=xcb";
    ASSERT_TRUE(XDoTool({QStringLiteral("version")})) << "xdotool is missing";
}

// Answers each box, once it is the active window, with the next key of Keys (Return when none is left).
class TBoxDriver
{
public:
    TBoxDriver()
    {
        QObject::connect(&m_timer, &QTimer::timeout, [this] { Poll(); });
        m_timer.start(20);
        m_marker.create();
        QObject::connect(&m_marker, &QWindow::xChanged, [this] { ++m_moves; });
    }

    QStringList Keys;
    int Answered = 0;

    // Every key typed so far handled, the boxes answered and a window of ours active again.
    bool Sync()
    {
        // The X server reports a move of a window of ours after every key typed before it
        // (the window is never shown; only the report is wanted).
        const int moves = m_moves;
        m_marker.setX(m_marker.x() == 1 ? 2 : 1);
        if (!QTest::qWaitFor([&] { return m_moves > moves; }, 5000)) {
            ADD_FAILURE() << "the X server did not report the move";
            return false;
        }
        if (!QTest::qWaitFor([] { return QApplication::activeWindow() && !QApplication::activeModalWidget(); }, 5000)) {
            ADD_FAILURE() << "no window of the program is active after the boxes";
            // A box nobody answered would hold the test until its time-out.
            while (QWidget* box = QApplication::activeModalWidget()) {
                box->close();
                QCoreApplication::processEvents();
            }
            return false;
        }
        return true;
    }

private:
    void Poll()
    {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || box == m_last || !box->isActiveWindow())
            return;
        m_last = box;
        ++Answered;
        XDoTool({QStringLiteral("key"), Keys.isEmpty() ? QStringLiteral("Return") : Keys.takeFirst()});
    }

    QTimer m_timer;
    QPointer<QMessageBox> m_last;
    QWindow m_marker;
    int m_moves = 0;
};
