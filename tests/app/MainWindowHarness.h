#pragma once

// The program's start-up inside a test process; boxes, file dialogs and sounds
// recorded; the settings file in a folder of its own, so each test is a first run.

#include "CampaignFile.h"
#include "UAppConfig.h"
#include "UDM.h"
#include "UFConfigDB.h"
#include "UFMain.h"
#include "XDialogs.h"
#include "XFileDialogs.h"
#include "XMediaPlayer.h"

#include <QCoreApplication>
#include <QEvent>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>

#include <ostream>
#include <utility>

// Readable texts in assertion messages (lists print as lists of them).
inline void PrintTo(const QString& S, std::ostream* Os) { *Os << '"' << S.toStdString() << '"'; }

class TMainWindowHarness
{
public:
    TDlgRecorder Dlg;
    TFileDialogRecorder Files;
    TSoundRecorder Sound;
    QTemporaryDir SettingsDir;

    TMainWindowHarness() { TDM::SetConfigBaseName(SettingsDir.filePath(QStringLiteral("crossing"))); }
    ~TMainWindowHarness() { Stop(), TDM::SetConfigBaseName(QString()); }

    // As the program does: FMain, DM, the window shown, the loop running the start-up.
    TFMain* Start()
    {
        Stop();
        new TFMain;
        DM = new TDM;
        FMain->show();
        Settle();
        return FMain;
    }

    // The program started on Campaign, changed first by SQL when given.
    TFMain* StartOn(TCampaignFile& Campaign, const QString& SQL = QString())
    {
        if (!SQL.isEmpty())
            Campaign.Exec(SQL);
        SaveSettings(Campaign.Path);
        return Start();
    }
    std::string Boxes() const { return Dlg.Texts().join(u'\n').toStdString(); }

    void Stop()
    {
        delete FMain;
        delete std::exchange(DM, nullptr);
        Settle();
    }

    // What the event loop has queued, closed windows' deletion included.
    static void Settle()
    {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    static QString SettingsBase() { return TDM().ConfigBaseName(); }
    static QString SettingsFile() { return SettingsBase() + QStringLiteral(".dat"); }

    // A settings file naming Path, as the database-file window writes it.
    static void SaveSettings(const QString& Path)
    {
        TDM Writer;
        Writer.SetDatabase(Path);
        Writer.SaveConfig();
    }

    static void RemoveSettings() { QFile::remove(SettingsFile()), QFile::remove(SettingsBase() + QStringLiteral(".bkp")); }
};
