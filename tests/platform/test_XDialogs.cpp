#include "XApplication.h"
#include "XDialogs.h"
#include "XExceptions.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QtTest/QTest>
#include <gtest/gtest.h>

// Captions and button order of the standard dialog: test_UXLib.
TEST(XDialogs, ExceptionBoxAddsAFullStopAfterALetterOrDigit)
{
    TDlgRecorder rec;
    for (const char* text : {"Arquivo não encontrado", "Falhou.", "Tipo (EOleException)", ""})
        ShowExceptionMessage(QString::fromUtf8(text));
    EXPECT_EQ(rec.Texts(), (QStringList{"Arquivo não encontrado.", "Falhou.", "Tipo (EOleException)", ""}));
    EXPECT_EQ(rec.Last().Kind, mtError);
}

TEST(XDialogs, QtBoxShowsTheRequestAndAnswersTheButtonPressed)
{
    TDlgRequest r = CreateMessageDialog(QStringLiteral("Salvar?"), mtWarning, mbYesNoCancel);
    r.Caption = QStringLiteral("Aviso");
    r.Buttons[2].Caption = QStringLiteral("&Cancelar");
    r.Default = 1;
    QString seen;   // title|text|default button|icon
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        seen = box->windowTitle() + u'|' + box->text() + u'|' + (box->defaultButton() ? box->defaultButton()->text() : "") + u'|' +
               QString::number(box->icon());
        for (QAbstractButton* b : box->buttons())
            if (b->text() == QStringLiteral("&Cancelar"))
                b->click();
    });
    EXPECT_EQ(TQtDlgProvider().Show(r), mrCancel);
    EXPECT_EQ(seen, QStringLiteral("Aviso|Salvar?|&Não|%1").arg(int(QMessageBox::Warning)));
    // Escape answers the cancelling button.
    QTimer::singleShot(0, [] {
        if (QWidget* box = QApplication::activeModalWidget())
            QTest::keyClick(box, Qt::Key_Escape);
    });
    EXPECT_EQ(TQtDlgProvider().Show(CreateMessageDialog(QStringLiteral("?"), mtConfirmation, mbYesNo)), mrNo);
}

namespace {

// Raises from its event handler, as a faulty click handler would.
struct TThrower : QObject
{
    bool event(QEvent* Event) override
    {
        if (Event->type() == QEvent::User)
            throw EOleException(QStringLiteral("Tabela inexistente"));
        return QObject::event(Event);
    }
};

} // namespace

TEST(XApplication, ExceptionLeavingAHandlerIsShownAndTheProgramGoesOn)
{
    ASSERT_NE(qobject_cast<XApplication*>(QCoreApplication::instance()), nullptr);
    TDlgRecorder rec;
    TThrower target;
    QEvent sent(QEvent::User);
    QCoreApplication::sendEvent(&target, &sent);
    EXPECT_EQ(rec.Texts(), QStringList{QStringLiteral("Tabela inexistente.")});
    // From the event loop too, and later events still arrive.
    QCoreApplication::postEvent(&target, new QEvent(QEvent::User));
    int later = 0;
    QMetaObject::invokeMethod(&target, [&] { ++later; }, Qt::QueuedConnection);
    QCoreApplication::processEvents();
    EXPECT_EQ(rec.Count(), 2);
    EXPECT_EQ(later, 1);
    // Exceptions of other kinds show their text as well.
    XApplication::HandleException(std::make_exception_ptr(std::runtime_error("disk full")));
    EXPECT_EQ(rec.Last().Text, QStringLiteral("disk full."));
}

// The scanner user must see where the next scan goes: the focus frame shows
// however the focus came, not only after Tab.
TEST(XApplication, FocusGivenInCodeShowsTheFocusFrame)
{
    QWidget w;
    auto* combo = new QComboBox(&w);
    auto* edit = new QLineEdit(&w);
    w.show();
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    edit->setFocus(Qt::OtherFocusReason);
    w.setAttribute(Qt::WA_KeyboardFocusChange, false);   // as after a click
    combo->setFocus(Qt::OtherFocusReason);
    ASSERT_TRUE(combo->hasFocus());
    EXPECT_TRUE(w.testAttribute(Qt::WA_KeyboardFocusChange));
}
