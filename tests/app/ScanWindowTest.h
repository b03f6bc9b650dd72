#pragma once

// Every scanner-window test: a campaign with an alert sound, the program started on it, the window
// opened from its menu; codes typed into the focused field and Enter pressed, as a scanner does.

#include "MainWindowHarness.h"
#include "OtherInstance.h"

#include "CampaignFile.h"
#include "UFScanCad.h"
#include "XAdo.h"
#include "XDBGrid.h"

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

// A crossing label with its plan, read from the campaign.
struct TLabel
{
    qint64 Number = 0;
    int Mother = 0, Father = 0;
    QString Printed, Cruza;
    int Rep = 0;
    qint64 Nc = 0;
};

template <class TWindow>
class TScanWindowTest : public ::testing::Test
{
protected:
    TMainWindowHarness H;
    std::unique_ptr<TCampaignFile> Campaign;
    TWindow* W = nullptr;
    TCampaignOptions Options = [] { TCampaignOptions o; o.Labels = 80; o.Crossings = 30; return o; }();
    QString Sound;

    // ConfigSQL shapes the configuration row further.
    void Open(QAction* TFMain::*Action, const QString& ConfigSQL = QString())
    {
        Campaign = std::make_unique<TCampaignFile>(Options);
        Sound = Campaign->Dir.filePath(QStringLiteral("alerta.wav"));
        ASSERT_TRUE(QFile(Sound).open(QIODevice::WriteOnly));
        Campaign->Exec(QStringLiteral("UPDATE Configuracao SET alert_sound = '%1'").arg(Sound));
        if (!ConfigSQL.isEmpty())
            Campaign->Exec(ConfigSQL);
        ASSERT_NO_FATAL_FAILURE(OpenOn(Campaign->Path, Action));
    }

    void OpenOn(const QString& Path, QAction* TFMain::*Action)
    {
        H.SaveSettings(Path);
        TFMain* Main = H.Start();
        ASSERT_TRUE(Main->AppConfig->Loaded) << H.Dlg.Texts().join(u'\n').toStdString();
        Main->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(Main));
        (Main->*Action)->trigger();
        W = Main->findChild<TWindow*>();
        ASSERT_TRUE(W && W->isVisible());
        H.Dlg.Clear();
        H.Sound.Log.clear();
        H.Sound.Played.clear();
    }

    QString Barcode(qint64 Number) const { return TCampaignBuilder::Barcode(Number, Options.Ean13); }
    QWidget* Focus() const { return QApplication::focusWidget(); }
    QString GridTop(const char* Field) { return W->GCad->FieldText(1, QLatin1String(Field)); }

    // Labels of plans whose every label is still free.
    QList<TLabel> FreeLabels()
    {
        QList<TLabel> out;
        TADOQuery q;
        q.setConnection(&Campaign->Conn);
        q.SQL.setText(QStringLiteral("SELECT ec.nc_rep, pc.id_vaso_mae, pc.id_vaso_pai, ec.nc_print, pc.codigo_cruza, ec.rep, ec.nc "
                                     "FROM Etiqueta_Cruza ec INNER JOIN Planejamento_Cruza pc ON ec.nc = pc.nc "
                                     "WHERE ec.nc NOT IN (SELECT e2.nc FROM Etiqueta_Cruza e2 INNER JOIN Cruza c "
                                     "ON c.nc_rep = e2.nc_rep) ORDER BY ec.nc, ec.rep"));
        q.Open();
        for (; !q.Eof(); q.Next())
            out.append({q.Fields(0)->AsLargeInt(), q.Fields(1)->AsInteger(), q.Fields(2)->AsInteger(), q.Fields(3)->AsString(),
                        q.Fields(4)->AsString(), q.Fields(5)->AsInteger(), q.Fields(6)->AsLargeInt()});
        return out;
    }

    TLabel FreeLabel(int Index = 0) { return FreeLabels().value(Index); }

    void AddCrossing(qint64 Label, int Seq, const QString& Status, const QString& Dupd = QStringLiteral("2025-01-01 10:00:00"),
                     const QString& IdCruza = QStringLiteral("NULL"), const QString& XDupd = QStringLiteral("NULL"))
    {
        Campaign->Exec(QStringLiteral("INSERT INTO Cruza (id_cruza, nc_rep, seq, reverso, id_emasculador, status, dupd, cmaq, x_dupd) "
                                      "VALUES (%1, %2, %3, '0', 1, '%4', '%5', 'CAMPO01', %6)")
                           .arg(IdCruza).arg(Label).arg(Seq).arg(Status, Dupd, XDupd));
    }

    QString CruzaRows(qint64 Label)
    {
        return Campaign->Rows(QStringLiteral("SELECT seq, reverso, id_emasculador, status, cmaq FROM Cruza "
                                             "WHERE nc_rep = %1 ORDER BY seq").arg(Label));
    }

    void Scan(const QString& Code)
    {
        QWidget* f = Focus();
        ASSERT_TRUE(f);
        if (!Code.isEmpty())
            QTest::keyClicks(f, Code);
        QTest::keyClick(f, Qt::Key_Return);
    }

    void Rescan(QLineEdit* Edit, const QString& Code)
    {
        Edit->setFocus();
        Edit->clear();
        Scan(Code);
    }

    // The Index-th item of a choice box with the arrow key, then Enter.
    void Pick(QComboBox* Box, int Index)
    {
        ASSERT_EQ(Focus(), Box);
        Box->setCurrentIndex(-1);
        for (int i = 0; i <= Index; ++i)
            QTest::keyClick(Box, Qt::Key_Down);
        QTest::keyClick(Box, Qt::Key_Return);
    }

    // As the user does: open the choice, pick the item, apply it.
    void ChooseOperation(int Item)
    {
        QTest::mouseClick(W->BSetOper, Qt::LeftButton);
        ASSERT_TRUE(W->RGOper->isEnabled());
        QTest::mouseClick(W->RGOperItems->button(Item), Qt::LeftButton);
        QTest::mouseClick(W->BSetOper, Qt::LeftButton);
        ASSERT_FALSE(W->RGOper->isEnabled());
    }

    // One error box with Text; the alert sound with it or not.
    void Expect(const QString& Text, bool Sounded)
    {
        EXPECT_EQ(H.Dlg.Texts(), QStringList{Text});
        EXPECT_TRUE(H.Dlg.Count() == 0 || H.Dlg.Last().Kind == mtError);
        EXPECT_EQ(H.Sound.Played, Sounded ? QStringList{Sound} : QStringList());
        H.Dlg.Clear();
        H.Sound.Played.clear();
    }
    void ExpectAlert(const QString& Text) { Expect(Text, true); }
    void ExpectBox(const QString& Text) { Expect(Text, false); }

    // Six of the window's saves, another instance writing before the third, fifth and sixth:
    // after each the counter shows what CountSql counts in the file.
    void CountWithASecondWriter(const QString& CountSql, const std::function<void(int)>& Save,
                                const std::function<void(int)>& Other)
    {
        for (int i = 0; i < 6; ++i) {
            SCOPED_TRACE(i);
            if (i == 2 || i >= 4)
                Other(i);
            ASSERT_NO_FATAL_FAILURE(Save(i));
            ExpectNothingShown();
            EXPECT_EQ(W->LReg->text(), QStringLiteral("Registros: ") + Campaign->Scalar(CountSql));
            QCoreApplication::processEvents();
        }
    }

    // Confirm (by default a click on "Confirmar") asks the question, answered Yes; another instance runs
    // Other, if any, between the answer and the write. The question, taken off the boxes shown.
    TDlgRequest YesWhile(const std::function<void()>& Other = {}, const std::function<void()>& Confirm = {})
    {
        TStatementHook hook("DELETE", [&] {
            EXPECT_EQ(H.Dlg.Count(), 1);
            Other ? Other() : void();
        });
        H.Dlg.Answer(mrYes);
        Confirm ? Confirm() : QTest::mouseClick(W->BConfirm, Qt::LeftButton);
        EXPECT_TRUE(hook.Fired);
        return H.Dlg.Requests.isEmpty() ? TDlgRequest() : H.Dlg.Requests.takeFirst();
    }

    void ExpectNothingShown()
    {
        EXPECT_EQ(H.Dlg.Count(), 0) << H.Dlg.Texts().join(u'\n').toStdString();
        EXPECT_TRUE(H.Sound.Played.isEmpty());
    }
};
