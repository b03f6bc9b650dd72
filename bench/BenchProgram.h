#pragma once

// The program around the hybridisation window, for benchmarks: main window
// (hidden), data module on a campaign, configuration loaded, the window shown,
// every box and sound recorded.

#include "UAppConfig.h"
#include "UDM.h"
#include "UFCruzaEti_Flor_Cad.h"
#include "UFMain.h"
#include "XAdo.h"
#include "XDialogs.h"
#include "XMediaPlayer.h"

#include <QApplication>
#include <QTest>

#include <cstdio>

struct TProgram
{
    TDlgRecorder Dlg;
    TSoundRecorder Sound;
    TFCruzaEti_Flor_Cad* W = nullptr;

    // StartUp: connected as the program's start-up does (structure check, look-up indexes).
    TProgram(const QString& Path, bool StartUp)
    {
        new TFMain;
        DM = new TDM;
        DM->Conn->setConnectionString(QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=") + Path);
        DM->Conn->Open();
        if (StartUp && !CheckDBStructure())
            std::fprintf(stderr, "structure check failed: %s\n", qPrintable(Dlg.Texts().join(u'|')));
        FMain->AppConfig->SetConnection(DM->Conn);
        FMain->AppConfig->MPlayer = FMain->MPlayer;
        FMain->AppConfig->Load(true);
        W = new TFCruzaEti_Flor_Cad(nullptr);
        W->show();
        W->activateWindow();
        (void)QTest::qWaitForWindowActive(W);
    }
    ~TProgram()
    {
        delete W;
        delete FMain;
        delete DM;
        DM = nullptr;
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
};
