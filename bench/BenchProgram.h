#pragma once

// What the window benchmarks share: the program around one child window, and
// a main() that gives the benchmarks an application and a temporary folder.

#include "CampaignBuilder.h"
#include "UAppConfig.h"
#include "UDM.h"
#include "UFMain.h"
#include "XAdo.h"
#include "XDialogs.h"
#include "XFileDialogs.h"
#include "XMediaPlayer.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

// The program without its window: the main window (hidden), the data module
// on the campaign at Path, the configuration loaded, every box, file dialog
// and sound recorded. StartUp: connected as the program's start-up does
// (structure check, look-up indexes).
struct TBenchHost
{
    TDlgRecorder Dlg;
    TFileDialogRecorder Files;
    TSoundRecorder Sound;

    explicit TBenchHost(const QString& Path, bool StartUp = false)
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
    }
    ~TBenchHost()
    {
        delete FMain;
        delete DM;
        DM = nullptr;
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
};

// The program with the window W shown and active.
template <class TWindow>
struct TBenchProgram : TBenchHost
{
    TWindow* W = nullptr;

    explicit TBenchProgram(const QString& Path, bool StartUp = false) : TBenchHost(Path, StartUp)
    {
        W = new TWindow(nullptr);
        W->show();
        W->activateWindow();
        (void)QTest::qWaitForWindowActive(W);
    }
    ~TBenchProgram() { delete W; }
};

// A run's own copy of a built campaign file, in Dir, removed with its log
// when the run is over (declare it before what opens it).
struct TRunFile
{
    QString Path;
    TRunFile(const QTemporaryDir& Dir, const QString& Built)
    {
        static int copies = 0;
        Path = Dir.filePath(QStringLiteral("run%1.mdb").arg(++copies));
        QFile::copy(Built, Path);
    }
    ~TRunFile()
    {
        for (const char* suffix : {"", "-wal", "-shm"})
            QFile::remove(Path + QLatin1String(suffix));
    }
};

// The scanner's way: Text into the focused field, then Enter.
inline void Type(const QString& Text)
{
    QWidget* f = QApplication::focusWidget();
    QTest::keyClicks(f, Text);
    QTest::keyClick(f, Qt::Key_Return);
}

// A label no crossing uses yet, with its planned pots.
struct TFreeLabel
{
    qint64 Number;
    int Mother;
    int Father;
};

// One hybridisation in "Hibridação" as the scanner makes it: executor (first item),
// reverse flag as it is, mother, father, label.
template <class Window>
void ScanFlower(Window* W, const TFreeLabel& Label)
{
    const auto Barcode = [](qint64 Number) { return TCampaignBuilder::Barcode(Number, false); };
    QTest::keyClick(W->id_emasculador, Qt::Key_Down);
    QTest::keyClick(W->id_emasculador, Qt::Key_Return);
    QTest::keyClick(W->reverso, Qt::Key_Return);
    Type(Barcode(Label.Mother));
    Type(Barcode(Label.Father));
    Type(Barcode(Label.Number));
    QCoreApplication::processEvents();
}

inline std::vector<TFreeLabel> FreeLabels(TADOConnection* Conn)
{
    TADOQuery q;
    q.setConnection(Conn);
    q.SQL.setText(QStringLiteral("SELECT ec.nc_rep, pc.id_vaso_mae, pc.id_vaso_pai FROM Etiqueta_Cruza ec "
                                 "INNER JOIN Planejamento_Cruza pc ON ec.nc = pc.nc "
                                 "WHERE ec.nc_rep NOT IN (SELECT nc_rep FROM Cruza) ORDER BY ec.nc_rep"));
    q.Open();
    std::vector<TFreeLabel> out;
    for (; !q.Eof(); q.Next())
        out.push_back({q.Fields(0)->AsLargeInt(), q.Fields(1)->AsInteger(), q.Fields(2)->AsInteger()});
    return out;
}

// Runs the registered benchmarks with an application object (offscreen
// unless a platform is chosen) and Dir made for their files.
inline int BenchMain(int argc, char** argv, std::unique_ptr<QTemporaryDir>& Dir,
                     benchmark::BenchmarkReporter* Reporter = nullptr, const std::function<void()>& Prepare = {})
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    Dir = std::make_unique<QTemporaryDir>();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    if (Prepare)
        Prepare();
    if (Reporter)
        benchmark::RunSpecifiedBenchmarks(Reporter);
    else
        benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    Dir.reset();
    return 0;
}
