// Start-up to "Conectado" on a campaign of 100,000 labels: in the process
// (main window, data module, the start-up run by the event loop) and as the
// program itself, from process start to the status bar set.

#include "CampaignBuilder.h"
#include "UDM.h"
#include "UFMain.h"
#include "XApplication.h"
#include "XDialogs.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>

namespace {

constexpr int Labels = 100000;

QTemporaryDir* g_dir = nullptr;
QString g_campaign;

QString SettingsBase()
{
    return TDM().ConfigBaseName();
}

void RemoveSettings()
{
    QFile::remove(SettingsBase() + QStringLiteral(".dat"));
    QFile::remove(SettingsBase() + QStringLiteral(".bkp"));
}

void BM_StartUpInProcess(benchmark::State& State)
{
    TDlgRecorder Dlg;
    for (auto _ : State) {
        auto* Main = new TFMain;
        DM = new TDM;
        Main->show();
        QCoreApplication::sendPostedEvents();
        if (Main->PanelText(0) != QLatin1String("Conectado") || Dlg.Count() != 0) {
            State.SkipWithError("the start-up did not connect");
            break;
        }
        State.PauseTiming();
        delete Main;
        delete DM;
        DM = nullptr;
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        State.ResumeTiming();
    }
    delete FMain;
    delete DM;
    DM = nullptr;
}
BENCHMARK(BM_StartUpInProcess)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// The program copied into a folder of its own, so its settings file (beside
// the executable) is the benchmark's and not the user's.
void BM_ProgramStartToConnected(benchmark::State& State)
{
    const QString Program = QFileInfo(QCoreApplication::applicationDirPath() + QStringLiteral("/../app/crossing"))
                                .absoluteFilePath();
    const QString Copy = g_dir->filePath(QStringLiteral("crossing"));
    if (!QFile::exists(Copy) && !QFile::copy(Program, Copy)) {
        State.SkipWithError("the program is not built (target crossing)");
        return;
    }
    QFile::copy(SettingsBase() + QStringLiteral(".dat"), g_dir->filePath(QStringLiteral("crossing.dat")));
    for (auto _ : State) {
        QProcess P;
        P.setProgram(Copy);
        QProcessEnvironment Env = QProcessEnvironment::systemEnvironment();
        Env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        Env.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("qt.qpa.*=false"));
        Env.insert(QStringLiteral("X_BENCH_QUIT_AFTER_START"), QStringLiteral("1"));
        P.setProcessEnvironment(Env);
        P.setStandardOutputFile(QProcess::nullDevice());
        P.setStandardErrorFile(QProcess::nullDevice());
        P.start();
        if (!P.waitForFinished(60000) || P.exitStatus() != QProcess::NormalExit || P.exitCode() != 0) {
            P.kill();
            State.SkipWithError("the program did not reach \"Conectado\"");
            break;
        }
    }
}
BENCHMARK(BM_ProgramStartToConnected)->Unit(benchmark::kMillisecond)->MinTime(2.0);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QT_LOGGING_RULES", "qt.qpa.*=false");
    XApplication App(argc, argv);
    benchmark::Initialize(&argc, argv);
    QTemporaryDir Dir;
    g_dir = &Dir;
    TDM::SetConfigBaseName(Dir.filePath(QStringLiteral("bench_startup")));
    g_campaign = Dir.filePath(QStringLiteral("campanha.mdb"));
    TCampaignOptions Options;
    Options.Labels = Labels;
    Options.Crossings = Labels / 4;
    Options.Ean13 = true;
    const TCampaignInfo Info = TCampaignBuilder::Build(g_campaign, Options);
    std::printf("%s\n", qPrintable(Info.Describe()));
    {
        TDM Writer;
        Writer.SetDatabase(g_campaign);
        Writer.SaveConfig();
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    RemoveSettings();
    return 0;
}
