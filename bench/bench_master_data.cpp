// The master-data window "Dados Cadastrais" on sheets of 10,000 and 100,000
// rows, driven as the user does: the file picked with "..." (read, titles
// mapped, every row checked and shown in the grid), then "Incluir" with its
// question answered Yes (every row deleted by key and inserted, each row in
// a transaction of its own). Planned crossings name their parents among
// 1,000 stored pots; parentals are new pots, each checked against the
// planned crossings that use pots.
//
//   bench_master_data --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
//
// Load and check should grow linearly: the 100,000-row median about ten
// times the 10,000-row one.

#include "BenchUtil.h"
#include "CampaignBuilder.h"
#include "MasterSheets.h"
#include "UAppConfig.h"
#include "UDM.h"
#include "UFImport_CSV.h"
#include "UFMain.h"
#include "XAdo.h"
#include "XDialogs.h"
#include "XFileDialogs.h"
#include "XMediaPlayer.h"
#include "XStringGrid.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <benchmark/benchmark.h>

#include <map>
#include <memory>

namespace {

std::unique_ptr<QTemporaryDir> Dir;
TCampaignInfo Campaign;
int Copies = 0;

QString CampaignFile()
{
    static QString path;
    if (path.isEmpty()) {
        TCampaignOptions o;
        o.Labels = 4000;
        o.Crossings = 1000;
        o.Parentals = 1000;
        path = Dir->filePath(QStringLiteral("campanha.mdb"));
        Campaign = TCampaignBuilder::Build(path, o);
    }
    return path;
}

// Every import works on a copy of its own.
QString CampaignCopy()
{
    const QString copy = Dir->filePath(QStringLiteral("run%1.mdb").arg(++Copies));
    QFile::copy(CampaignFile(), copy);
    return copy;
}

QString SheetFile(int Kind, int Rows)
{
    static std::map<std::pair<int, int>, QString> made;
    const auto key = std::make_pair(Kind, Rows);
    if (!made.count(key)) {
        CampaignFile();
        const QString path = Dir->filePath(QStringLiteral("k%1_%2.csv").arg(Kind).arg(Rows));
        TMasterSheets::Write(path, Kind == TFImport_CSV::kdCruzamento ? TMasterSheets::Crossings(Campaign, Rows)
                                                                      : TMasterSheets::Parentals(Rows));
        made[key] = path;
    }
    return made[key];
}

// The program around the window: main window (hidden), data module on the
// campaign, configuration loaded with the "ExpoCad" flag, every box and file
// dialog answered by a recorder.
struct TProgram
{
    TDlgRecorder Dlg;
    TFileDialogRecorder Files;
    TSoundRecorder Sound;
    TFImport_CSV* W = nullptr;

    explicit TProgram(const QString& Path)
    {
        new TFMain;
        DM = new TDM;
        DM->Conn->setConnectionString(QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=") + Path);
        DM->Conn->Open();
        FMain->AppConfig->SetConnection(DM->Conn);
        FMain->AppConfig->Load(true);
        FMain->AppConfig->ExpoCad = true;
        W = new TFImport_CSV(nullptr);
        W->show();
    }
    ~TProgram()
    {
        delete W;
        delete FMain;
        delete DM;
        DM = nullptr;
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    bool Load(int Kind, const QString& Sheet)
    {
        W->dados->setCurrentIndex(Kind);
        emit W->dados->activated(Kind);
        Files.Answer(Sheet);
        QTest::mouseClick(W->BLoadFile, Qt::LeftButton);
        return W->BConfirm->isEnabled() && Dlg.Count() == 0;
    }
};

void BM_LoadAndCheck(benchmark::State& State)
{
    const int kind = int(State.range(0));
    const int rows = int(State.range(1));
    const QString sheet = SheetFile(kind, rows);
    TProgram p(CampaignFile());
    for (auto _ : State) {
        if (!p.Load(kind, sheet)) {
            State.SkipWithError(qPrintable(p.Dlg.Texts().join(u'\n') + p.W->MErro->toPlainText().left(300)));
            return;
        }
    }
    if (p.W->SG->RowCount() != rows + 1)
        State.SkipWithError("not every row reached the grid");
    State.counters["rows_per_s"] = benchmark::Counter(double(rows), benchmark::Counter::kIsIterationInvariantRate);
    State.counters["peak_rss_MB"] = PeakRssMB();
}

void BM_Import(benchmark::State& State)
{
    const int kind = int(State.range(0));
    const int rows = int(State.range(1));
    const QString sheet = SheetFile(kind, rows);
    for (auto _ : State) {
        State.PauseTiming();
        const QString file = CampaignCopy();
        auto p = std::make_unique<TProgram>(file);
        if (!p->Load(kind, sheet)) {
            State.SkipWithError("the sheet did not load cleanly");
            return;
        }
        State.ResumeTiming();
        QTest::mouseClick(p->W->BConfirm, Qt::LeftButton);
        State.PauseTiming();
        const QString done = QStringLiteral("Importação Concluída.\r\nLinhas Importadas com sucesso: %1\r\nLinhas Descartadas: 0").arg(rows);
        if (p->Dlg.Texts().value(1) != done) {
            State.SkipWithError(qPrintable(p->Dlg.Texts().join(u'\n').left(300)));
            return;
        }
        p.reset();
        for (const char* suffix : {"", "-wal", "-shm"})
            QFile::remove(file + QLatin1String(suffix));
        State.ResumeTiming();
    }
    State.counters["rows_per_s"] = benchmark::Counter(double(rows), benchmark::Counter::kIsIterationInvariantRate);
    State.counters["peak_rss_MB"] = PeakRssMB();
}

void Sizes(benchmark::internal::Benchmark* B)
{
    for (int kind : {TFImport_CSV::kdCruzamento, TFImport_CSV::kdParental})
        for (int rows : {10000, 100000})
            B->Args({kind, rows});
    B->ArgNames({"kind", "rows"})->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();
}

BENCHMARK(BM_LoadAndCheck)->Apply(Sizes);
BENCHMARK(BM_Import)->Apply(Sizes);

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    Dir = std::make_unique<QTemporaryDir>();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    Dir.reset();
    return 0;
}
