// The hybridisation label sheet of the label-data window: built from campaigns
// of 25,000, 50,000 and 100,000 labels (" Atualizar ": the query, the rows
// with the identification rows, the grid), beside it the bare query of the
// same text on raw SQLite, every row stepped and its columns read as text;
// and the label-data file of the 100,000-label sheet written (checks,
// Windows-1252 text, the replacing write). Counters: rows of the sheet, heap
// in use with the sheet in the grid, peak resident set.
//
//   bench_label_data --benchmark_repetitions=5 --benchmark_report_aggregates_only=true

#include "BenchUtil.h"
#include "BenchProgram.h"
#include "CampaignBuilder.h"
#include "UAppConfig.h"
#include "UDM.h"
#include "UFCruzaEti_Print_Expo.h"
#include "UFMain.h"
#include "XAdo.h"
#include "XDialogs.h"
#include "XFileDialogs.h"
#include "XStringGrid.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <map>
#include <memory>

namespace {

std::unique_ptr<QTemporaryDir> Dir;

QString CampaignPath(int Labels)
{
    static std::map<int, QString> built;
    if (!built.count(Labels)) {
        TCampaignOptions o;
        o.Labels = Labels;
        const QString path = Dir->filePath(QStringLiteral("c%1.mdb").arg(Labels));
        TCampaignBuilder::Build(path, o);
        built[Labels] = path;
    }
    return built[Labels];
}

using TProgram = TBenchProgram<TFCruzaEti_Print_Expo>;

void BM_BuildSheet(benchmark::State& State)
{
    const QString path = CampaignPath(int(State.range(0)));
    TProgram p(path);
    const double heapBefore = HeapInUseMB();
    for (auto _ : State)
        p.W->BConfirmClick();
    if (p.Dlg.Count())
        State.SkipWithError(qPrintable(p.Dlg.Texts().join(u'|')));
    State.counters["rows"] = p.W->SG->RowCount() - 1;
    State.counters["sheet_heap_MB"] = HeapInUseMB() - heapBefore;
    State.counters["peak_rss_MB"] = PeakRssMB();
}

// The window's query text, run bare.
void BM_BareQuery(benchmark::State& State)
{
    const QString path = CampaignPath(int(State.range(0)));
    QString sql;
    {
        TProgram p(path);
        sql = p.W->SQL_Etiq_Flor(0);
    }
    sqlite3* db = nullptr;
    sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, nullptr);
    sqlite3_stmt* s = nullptr;
    if (sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &s, nullptr) != SQLITE_OK) {
        State.SkipWithError(sqlite3_errmsg(db));
        sqlite3_close(db);
        return;
    }
    int rows = 0;
    for (auto _ : State) {
        rows = 0;
        const int cols = sqlite3_column_count(s);
        while (sqlite3_step(s) == SQLITE_ROW) {
            for (int c = 0; c < cols; ++c) {
                benchmark::DoNotOptimize(sqlite3_column_text(s, c));
                benchmark::DoNotOptimize(sqlite3_column_bytes(s, c));
            }
            ++rows;
        }
        sqlite3_reset(s);
    }
    sqlite3_finalize(s);
    sqlite3_close(db);
    State.counters["rows"] = rows;
    State.counters["peak_rss_MB"] = PeakRssMB();
}

void BM_WriteFile(benchmark::State& State)
{
    TProgram p(CampaignPath(int(State.range(0))));
    p.W->BConfirmClick();
    const QString file = Dir->filePath(QStringLiteral("etiquetas.csv"));
    for (auto _ : State) {
        State.PauseTiming();
        QFile::remove(file);
        p.Files.Answer(file);
        State.ResumeTiming();
        p.W->Export_CSV();
    }
    if (p.Dlg.Count() == 0 || p.Dlg.Last().Kind != mtInformation)
        State.SkipWithError(qPrintable(p.Dlg.Texts().join(u'|')));
    State.counters["rows"] = p.W->SG->RowCount() - 1;
    State.counters["file_MB"] = double(QFile(file).size()) / (1024.0 * 1024.0);
    State.counters["peak_rss_MB"] = PeakRssMB();
}

void Sizes(benchmark::internal::Benchmark* B)
{
    for (int n : {25000, 50000, 100000})
        B->Arg(n);
    B->Unit(benchmark::kMillisecond)->UseRealTime();
}

BENCHMARK(BM_BuildSheet)->Apply(Sizes);
BENCHMARK(BM_BareQuery)->Apply(Sizes);
BENCHMARK(BM_WriteFile)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv)
{
    return BenchMain(argc, argv, Dir);
}
