// The data grid over a 100,000-record result: binding it, reading the cells
// of a visible page at many scroll positions, painting pages, following the
// dataset through every record, and exporting the grid to a workbook through
// ExportGridToXLS (time and peak memory). Then the hybridisation window's own
// grid, shown, on a campaign of 100,000 crossings with the window's query:
// re-queried, scrolled and painted, exported.

#include "BenchProgram.h"
#include "BenchUtil.h"
#include "CampaignBuilder.h"
#include "UFBCad.h"
#include "UFCruzaEti_Flor_Cad.h"
#include "UXForms.h"
#include "UXXLS.h"
#include "XAdo.h"
#include "XAdoEngine.h"
#include "XDialogs.h"

#include <QApplication>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QFile>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

constexpr int Rows = 100000;
constexpr int PageRows = 30;

// One campaign-like table of Rows records and ten columns, a query on it and
// a grid with a column for each.
struct Fixture
{
    QTemporaryDir dir;
    TADOConnection conn;
    TADOQuery q;
    TDBGrid grid;

    Fixture()
    {
        const QString path = dir.filePath("grade.mdb");
        CreateDatabaseFile(path);
        conn.setConnectionString("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + path);
        conn.Open();
        TADOCommand ddl;
        ddl.setConnection(&conn);
        ddl.setCommandText("CREATE TABLE Cruza (ID LONG NOT NULL, NC_REP FLOAT NOT NULL, SEQ LONG NOT NULL, "
                           "CODIGO TEXT(30) NOT NULL, STATUS TEXT(1) NOT NULL, PESO FLOAT NULL, "
                           "DUPD TEXT(20) NOT NULL, NOME TEXT(60) NOT NULL, REP LONG NOT NULL, OBS TEXT(50) NULL, "
                           "CONSTRAINT PK_Cruza PRIMARY KEY (ID))");
        ddl.Execute();
        // Filled in one statement of the engine's own dialect.
        conn.Engine()->Exec(QStringLiteral(
            "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < %1) "
            "INSERT INTO Cruza SELECT i, 123456789012 + i, 1 + i % 3, printf('BRS-%06d', i), "
            "substr('MAX', 1 + i % 3, 1), i * 0.25, printf('2024-03-%02d 10:%02d:00', 1 + i % 28, i % 60), "
            "'Executor ' || (i % 40), i % 7, CASE WHEN i % 11 = 0 THEN NULL ELSE 'Obs. ' || i END FROM n")
                                 .arg(Rows - 1));
        q.setConnection(&conn);
        q.SQL.setText("SELECT id, nc_rep, seq, codigo, status, peso, dupd, nome, rep, obs FROM Cruza ORDER BY id");
        const char* fields[] = {"id", "nc_rep", "seq", "codigo", "status", "peso", "dupd", "nome", "rep", "obs"};
        for (const char* f : fields)
            AddGridColumn(&grid, f, QString::fromLatin1(f).toUpper(), 90, taLeftJustify);
        grid.SetOptions(dgTitles | dgIndicator | dgColumnResize | dgRowSelect);
        grid.OnDrawColumnCell = [](TDBGrid* Sender, const QRect& Rect, int, TColumn* Column, TGridDrawState State,
                                   int RecNo) { DrawCellShaded(RecNo, Sender, Rect, Column, State); };
        grid.resize(960, (PageRows + 1) * grid.RowHeight() + 4);
        grid.SetDataSet(&q);
        q.Open();
    }
};

Fixture& Shared()
{
    static Fixture f;
    return f;
}

void BM_GridOpen(benchmark::State& state)
{
    Fixture& f = Shared();
    for (auto _ : state) {
        f.q.Close();
        f.q.Open();
        benchmark::DoNotOptimize(f.grid.model()->rowCount());
    }
    state.counters["rows"] = f.grid.model()->rowCount();
    state.counters["result_MB"] = double(f.q.ResultMemoryBytes()) / (1024.0 * 1024.0);
}
BENCHMARK(BM_GridOpen)->Unit(benchmark::kMillisecond);

void BM_GridBind(benchmark::State& state)
{
    Fixture& f = Shared();
    for (auto _ : state) {
        f.grid.SetDataSet(nullptr);
        f.grid.SetDataSet(&f.q);
        benchmark::DoNotOptimize(f.grid.model()->rowCount());
    }
}
BENCHMARK(BM_GridBind)->Unit(benchmark::kMicrosecond);

// The cells of one visible page, read at 1,000 positions spread over the result.
void BM_GridPageData(benchmark::State& state)
{
    Fixture& f = Shared();
    QAbstractItemModel* m = f.grid.model();
    const int cols = m->columnCount();
    qint64 pages = 0;
    for (auto _ : state) {
        for (int p = 0; p < 1000; ++p) {
            const int top = int((qint64(p) * 7919) % (Rows - PageRows));
            for (int r = top; r < top + PageRows; ++r)
                for (int c = 0; c < cols; ++c)
                    benchmark::DoNotOptimize(m->index(r, c).data());
            ++pages;
        }
    }
    state.counters["pages/s"] = benchmark::Counter(double(pages), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_GridPageData)->Unit(benchmark::kMillisecond);

// Scrolled and painted as the user sees it, shaded rows included.
void BM_GridScrollPaint(benchmark::State& state)
{
    Fixture& f = Shared();
    QImage img(f.grid.viewport()->size(), QImage::Format_ARGB32_Premultiplied);
    QScrollBar* bar = f.grid.verticalScrollBar();
    qint64 pages = 0;
    for (auto _ : state) {
        for (int p = 0; p < 100; ++p) {
            bar->setValue(int((qint64(p) * 99991) % bar->maximum()));
            QPainter painter(&img);
            f.grid.viewport()->render(&painter);
            ++pages;
        }
    }
    state.counters["pages/s"] = benchmark::Counter(double(pages), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_GridScrollPaint)->Unit(benchmark::kMillisecond);

// Every record visited, the grid selecting each one's row.
void BM_GridFollowsDataSet(benchmark::State& state)
{
    Fixture& f = Shared();
    for (auto _ : state) {
        for (f.q.First(); !f.q.Eof(); f.q.Next()) {
        }
    }
    state.counters["records/s"] = benchmark::Counter(double(Rows) * double(state.iterations()),
                                                      benchmark::Counter::kIsRate);
}
BENCHMARK(BM_GridFollowsDataSet)->Unit(benchmark::kMillisecond);

void BM_ExportGridToXLS(benchmark::State& state)
{
    Fixture& f = Shared();
    TDlgRecorder boxes;
    TFBCad window;
    const double heapBefore = HeapInUseMB();
    double fileMB = 0;
    for (auto _ : state) {
        const QString file = f.dir.filePath("exporta.xlsx");
        QFile::remove(file);
        TXXLS xls;
        if (!window.ExportGridToXLS(file, &f.grid, &xls))
            state.SkipWithError("export failed");
        fileMB = double(QFileInfo(file).size()) / (1024.0 * 1024.0);
    }
    state.counters["file_MB"] = fileMB;
    state.counters["peak_rss_MB"] = PeakRssMB();
    state.counters["heap_after_MB"] = HeapInUseMB() - heapBefore;
}
BENCHMARK(BM_ExportGridToXLS)->Unit(benchmark::kMillisecond)->Iterations(3);

// ---- the hybridisation window's own grid, shown, on a campaign of Rows crossings ----

struct WindowFixture
{
    QTemporaryDir dir;
    std::unique_ptr<TBenchProgram<TFCruzaEti_Flor_Cad>> program;

    WindowFixture()
    {
        TCampaignOptions o;
        o.Labels = Rows + 100;
        o.Crossings = Rows;
        const QString path = dir.filePath("campanha.mdb");
        TCampaignBuilder::Build(path, o);
        program = std::make_unique<TBenchProgram<TFCruzaEti_Flor_Cad>>(path, true);
        program->W->resize(1000, 700);
        QCoreApplication::processEvents();
    }
};

WindowFixture& Window()
{
    static WindowFixture f;
    return f;
}

// The window's query run again and counted, and its first page painted.
void BM_WindowGridRequery(benchmark::State& state)
{
    TFCruzaEti_Flor_Cad* w = Window().program->W;
    for (auto _ : state) {
        w->Refresh_Grid();
        benchmark::DoNotOptimize(w->GCad->grab());
    }
    state.counters["rows"] = w->QGrid->RecordCount();
}
BENCHMARK(BM_WindowGridRequery)->Unit(benchmark::kMillisecond);

// Scrolled through the shown grid and painted, the rows read as they are reached.
void BM_WindowGridScrollPaint(benchmark::State& state)
{
    TFCruzaEti_Flor_Cad* w = Window().program->W;
    QScrollBar* bar = w->GCad->verticalScrollBar();
    for (auto _ : state) {
        w->Refresh_Grid();
        for (int p = 1; p <= 20; ++p) {
            bar->setValue(int(qint64(bar->maximum()) * p / 20));
            benchmark::DoNotOptimize(w->GCad->grab());
        }
    }
}
BENCHMARK(BM_WindowGridScrollPaint)->Unit(benchmark::kMillisecond);

// The shown grid of the window exported whole.
void BM_WindowExportGridToXLS(benchmark::State& state)
{
    TFCruzaEti_Flor_Cad* w = Window().program->W;
    const QString file = Window().dir.filePath("exporta.xlsx");
    for (auto _ : state) {
        QFile::remove(file);
        TXXLS xls;
        if (!w->ExportGridToXLS(file, w->GCad, &xls))
            state.SkipWithError("export failed");
    }
    state.counters["peak_rss_MB"] = PeakRssMB();
}
BENCHMARK(BM_WindowExportGridToXLS)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    const double before = PeakRssMB();
    Shared();
    benchmark::AddCustomContext("peak_rss_MB_after_setup", QString::number(PeakRssMB(), 'f', 1).toStdString());
    benchmark::AddCustomContext("peak_rss_MB_before_setup", QString::number(before, 'f', 1).toStdString());
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
