// Grid export at its largest: 100,000 records of 10 columns written through
// TXXLS, formatted as the export formats them, and saved.

#include "BenchUtil.h"
#include "UXXLS.h"

#include <QFileInfo>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

constexpr int Rows = 100000;
constexpr int Cols = 10;

// Half numbers, half texts: label numbers, codes, statuses, dates, remarks.
void Fill(TXXLS& X)
{
    for (int c = 1; c <= Cols; ++c)
        X.SetCell(c, 1, QStringLiteral("COLUNA_%1").arg(c));
    static const QString status[] = {QStringLiteral("M"), QStringLiteral("A"), QStringLiteral("X")};
    for (int r = 2; r <= Rows + 1; ++r) {
        const int i = r - 2;
        X.SetCell(1, r, 1234567890120LL + i);
        X.SetCell(2, r, i % 500);
        X.SetCell(3, r, QStringLiteral("BRS-%1").arg(i, 6, 10, QLatin1Char('0')));
        X.SetCell(4, r, status[i % 3]);
        X.SetCell(5, r, i * 0.25);
        X.SetCell(6, r, QStringLiteral("2024-03-%1 10:%2:00").arg(1 + i % 28, 2, 10, QLatin1Char('0')).arg(i % 60, 2, 10, QLatin1Char('0')));
        X.SetCell(7, r, QStringLiteral("Executor %1").arg(i % 40));
        X.SetCell(8, r, i % 7);
        X.SetCell(9, r, i % 11 == 0 ? QVariant() : QVariant(QStringLiteral("Obs. %1").arg(i)));
        X.SetCell(10, r, double(i) / 3.0);
    }
}

void Format(TXXLS& X)
{
    const QString header = X.CellName(1, 1) + ":" + X.CellName(1, Cols);
    X.SetColor(header, 0x808080);
    X.AutoFit(header);
    const QString table = X.CellName(1, 1) + ":" + X.CellName(Rows + 1, Cols);
    X.SetAlignment(table, xlCenter);
    X.SetBorder(table, xlContinuous);
}

void BM_XlsBuildModel(benchmark::State& State)
{
    double modelMB = 0;
    for (auto _ : State) {
        TXXLS x;
        x.SetNewFile(true);
        x.Open();
        Fill(x);
        Format(x);
        modelMB = double(x.Sheet()->MemoryUsed()) / (1024.0 * 1024.0);
        benchmark::DoNotOptimize(x.Sheet()->CellCount());
    }
    State.counters["cells"] = double(Rows + 1) * Cols;
    State.counters["model_MB"] = modelMB;
}

void BM_XlsSave(benchmark::State& State)
{
    QTemporaryDir dir;
    TXXLS x;
    x.SetNewFile(true);
    x.SetFileName(dir.filePath("bench.xlsx"));
    x.Open();
    Fill(x);
    Format(x);
    const double heapBefore = HeapInUseMB();
    for (auto _ : State) {
        if (!x.SaveAs())
            State.SkipWithError("save failed");
    }
    State.counters["heap_before_save_MB"] = heapBefore;
    State.counters["file_MB"] = double(QFileInfo(x.FileName()).size()) / (1024.0 * 1024.0);
}

// Everything the export does, once, with the process's peak memory.
void BM_XlsExport(benchmark::State& State)
{
    QTemporaryDir dir;
    const double rssBefore = PeakRssMB();
    for (auto _ : State) {
        TXXLS x;
        x.SetNewFile(true);
        x.SetFileName(dir.filePath("export.xlsx"));
        x.Open();
        Fill(x);
        Format(x);
        if (!x.SaveAs())
            State.SkipWithError("save failed");
        x.Close();
    }
    State.counters["peak_rss_before_MB"] = rssBefore;
    State.counters["peak_rss_MB"] = PeakRssMB();
}

}  // namespace

// The export first, so that its peak is not hidden behind another's.
BENCHMARK(BM_XlsExport)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_XlsBuildModel)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_XlsSave)->Unit(benchmark::kMillisecond)->Iterations(3);

BENCHMARK_MAIN();
