#include "UXWait.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// Counts the events of one kind that reach the watched object.
struct EventCounter : QObject {
    explicit EventCounter(QEvent::Type T) : Type(T) {}
    QEvent::Type Type;
    int Count = 0;
    bool eventFilter(QObject*, QEvent* E) override
    {
        Count += E->type() == Type;
        return false;
    }
};

} // namespace

TEST(XWait, ShowCentresTheFrameInFrontOfTheFormAndNoFormTakesItAway)
{
    QWidget Form;
    Form.resize(800, 600);
    Form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&Form));
    {
        TXWait Wait;
        TFXWait* Frame = Wait.Frame();
        EXPECT_EQ(Frame->Text1->text() + Frame->Text2->text() + Frame->Text3->text(), "Aguarde");
        Wait.Show(&Form);
        EXPECT_EQ(Frame->geometry(), QRect(271, 265, 259, 70));

        auto* Field = new QLabel(QStringLiteral("campo"), &Form);
        Field->setGeometry(250, 250, 300, 100);
        Field->show();
        Wait.Show(&Form); // again: in front of what was made meanwhile
        EXPECT_TRUE(Frame->isAncestorOf(Form.childAt(400, 300)));
        Wait.Show(nullptr);
        EXPECT_EQ(Frame->parentWidget(), nullptr);
        EXPECT_EQ(Form.childAt(400, 300), Field);
        Wait.Show(&Form);
    }
    EXPECT_TRUE(Form.findChildren<TFXWait*>().isEmpty());
}

TEST(XWait, RefreshPaintsTheNewTextAtOnceWithoutTakingUserInput)
{
    QWidget Form;
    Form.resize(400, 300);
    Form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&Form));
    TXWait Wait;
    Wait.Show(&Form);
    QApplication::processEvents();
    EventCounter Paints(QEvent::Paint), Keys(QEvent::KeyPress);
    Wait.Frame()->Text3->installEventFilter(&Paints);
    Form.installEventFilter(&Keys);
    QApplication::postEvent(&Form, new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));

    Wait.SetText(1, QStringLiteral("Carregando Etiquetas de Hibridação."));
    Wait.SetText(7, QStringLiteral("Registro 10 de 500"));
    EXPECT_EQ(Paints.Count, 0);
    Wait.Refresh();
    EXPECT_GE(Paints.Count, 1);
    EXPECT_EQ(Keys.Count, 0);
    EXPECT_EQ(Wait.Frame()->Text2->text(), QStringLiteral("Carregando Etiquetas de Hibridação."));
    EXPECT_EQ(Wait.Frame()->Text3->text(), QStringLiteral("Registro 10 de 500"));
    QApplication::processEvents();
    EXPECT_EQ(Keys.Count, 1);
}

TEST(XWait, OutlivesAHostDestroyedFirst)
{
    TXWait Wait;
    {
        QWidget Gone;
        Wait.Show(&Gone);
    }
    EXPECT_EQ(Wait.Frame(), nullptr);
    EXPECT_EQ(Wait.Host(), nullptr);
    Wait.SetText(1, QStringLiteral("x"));
    Wait.Refresh();
}
