#pragma once

// The fixture of the configuration-window tests: a campaign from the builder,
// the program started on it and the window opened from its menu item; boxes,
// file dialogs and sounds recorded.

#include "MainWindowHarness.h"

#include "CampaignFile.h"
#include "UFAppConfig.h"
#include "UXNumEdit.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

class AppConfigWindow : public ::testing::Test
{
protected:
    TMainWindowHarness H;
    TCampaignFile Campaign;
    TFAppConfig* W = nullptr;

    // Starts the program on the campaign (shaped by SQL first) and opens the window from the menu.
    void Open(const QString& SQL = QString())
    {
        if (!SQL.isEmpty())
            Campaign.Exec(SQL);
        H.SaveSettings(Campaign.Path);
        ASSERT_TRUE(H.Start()->AppConfig->Loaded);
        FMain->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(FMain));
        Reopen();
    }
    void Reopen()
    {
        H.Settle();
        FMain->LAPPCONFIG->trigger();
        W = FMain->findChild<TFAppConfig*>();
        ASSERT_TRUE(W && W->isVisible());
        H.Dlg.Clear();
    }

    QString Wav(const QString& Name)
    {
        const QString path = Campaign.Dir.filePath(Name);
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        return QFileInfo(path).absoluteFilePath();
    }
    void Number(TXNumEdit* Edit, const QString& Text)
    {
        Edit->setFocus();
        Edit->selectAll();
        QTest::keyClicks(Edit, Text);
    }
    // A choice as the user makes it: the arrow keys on the focused box.
    void Pick(QComboBox* Combo, int Index)
    {
        Combo->setFocus();
        while (Combo->currentIndex() != Index)
            QTest::keyClick(Combo, Combo->currentIndex() < Index ? Qt::Key_Down : Qt::Key_Up);
    }
    void Confirm() { QTest::mouseClick(W->BConfirm, Qt::LeftButton); H.Settle(); }
    QString Row()
    {
        return Campaign.Rows(QStringLiteral("SELECT nc_code, etiq_pag, cab_etiq_flor, plan_etiq_flor, id_pais_code, "
                                            "limpa_emasc, smt_max_hibr, alert_sound, tal_lock FROM Configuracao"));
    }
    QStringList Shown() { const QStringList t = H.Dlg.Texts(); H.Dlg.Clear(); return t; }
};
