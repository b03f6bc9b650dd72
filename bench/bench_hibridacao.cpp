// One whole registration in the hybridisation window as the scanner drives
// it (executor, reverse flag, mother and father pots read and looked up as
// they are left, the label confirmed: the four checks, the insert, the grid
// re-queried and counted), on campaigns of 1,000, 10,000 and 100,000
// crossings; beside it the bare statements of the same registration run on
// the same kind of file through the SQLite C API, and, for comparison, the
// bare statements with the grid read lazily (a count and its first page).
//
//   bench_hibridacao --benchmark_repetitions=5 --benchmark_report_aggregates_only=true

#include "BenchSqlite.h"
#include "CampaignBuilder.h"
#include "UAppConfig.h"
#include "UDM.h"
#include "UFCruzaEti_Flor_Cad.h"
#include "UFMain.h"
#include "UXComboBox.h"
#include "XAdo.h"
#include "XDialogs.h"
#include "XMediaPlayer.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdio>
#include <map>
#include <memory>
#include <vector>

namespace {

// A label no crossing uses yet, with its planned pots.
struct TFreeLabel
{
    qint64 Number;
    int Mother;
    int Father;
};

const int Sizes[] = {1000, 10000, 100000};
// Labels left free for the timed registrations of every run.
constexpr int Spare = 30000;

std::unique_ptr<QTemporaryDir> Dir;

// One campaign per size, built once; every run works on a fresh copy of it,
// so that no run sees the crossings an earlier one registered.
QString CampaignPath(int Crossings, bool DupdIndex)
{
    static std::map<std::pair<int, bool>, QString> built;
    static int copies = 0;
    const auto key = std::make_pair(Crossings, DupdIndex);
    if (!built.count(key)) {
        TCampaignOptions o;
        o.Labels = Crossings + Spare;
        o.Crossings = Crossings;
        o.DateIndex = DupdIndex;
        const QString path = Dir->filePath(QStringLiteral("c%1%2.mdb").arg(Crossings).arg(DupdIndex ? "i" : ""));
        TCampaignBuilder::Build(path, o);
        built[key] = path;
    }
    const QString copy = Dir->filePath(QStringLiteral("run%1.mdb").arg(++copies));
    QFile::copy(built[key], copy);
    return copy;
}

// A run's copy, removed when the run is over (declared before what opens it).
struct TRunFile
{
    QString Path;
    ~TRunFile()
    {
        for (const char* suffix : {"", "-wal", "-shm"})
            QFile::remove(Path + QLatin1String(suffix));
    }
};

std::vector<TFreeLabel> FreeLabels(TADOConnection* Conn)
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

// The program around the window: main window (hidden), data module on the
// campaign, configuration loaded, every box and sound recorded.
struct TProgram
{
    TDlgRecorder Dlg;
    TSoundRecorder Sound;
    TFCruzaEti_Flor_Cad* W = nullptr;

    explicit TProgram(const QString& Path)
    {
        new TFMain;
        DM = new TDM;
        DM->Conn->setConnectionString(QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=") + Path);
        DM->Conn->Open();
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

void Type(const QString& Text)
{
    QWidget* f = QApplication::focusWidget();
    QTest::keyClicks(f, Text);
    QTest::keyClick(f, Qt::Key_Return);
}

void Registration(benchmark::State& State, bool DupdIndex)
{
    const int crossings = int(State.range(0));
    const TRunFile file{CampaignPath(crossings, DupdIndex)};
    TProgram p(file.Path);
    std::vector<TFreeLabel> free = FreeLabels(DM->Conn);
    size_t next = 0;
    const int rowsBefore = p.W->QGrid->RecordCount();
    for (auto _ : State) {
        if (next == free.size()) {
            State.SkipWithError("out of free labels");
            break;
        }
        const TFreeLabel& l = free[next++];
        // Executor (first item), reverse flag as it is, mother, father, label.
        QTest::keyClick(p.W->id_emasculador, Qt::Key_Down);
        QTest::keyClick(p.W->id_emasculador, Qt::Key_Return);
        QTest::keyClick(p.W->reverso, Qt::Key_Return);
        Type(TCampaignBuilder::Barcode(l.Mother, false));
        Type(TCampaignBuilder::Barcode(l.Father, false));
        Type(TCampaignBuilder::Barcode(l.Number, false));
        QCoreApplication::processEvents();
    }
    const int registered = p.W->QGrid->RecordCount() - rowsBefore;
    if (p.Dlg.Count() || registered != int(next) || QApplication::focusWidget() != p.W->id_emasculador)
        State.SkipWithError(qPrintable(QStringLiteral("%1 boxes (%2), %3 of %4 registered")
                                           .arg(p.Dlg.Count())
                                           .arg(p.Dlg.Texts().join(u'|'))
                                           .arg(registered)
                                           .arg(next)));
    State.counters["crossings"] = p.W->QGrid->RecordCount();
}

void BM_Registration(benchmark::State& State)
{
    Registration(State, false);
}

void BM_RegistrationDupdIndex(benchmark::State& State)
{
    Registration(State, true);
}

// ---- the same statements, bare ----

struct TStmt
{
    sqlite3_stmt* S = nullptr;
    TStmt(sqlite3* Db, const char* Sql)
    {
        if (sqlite3_prepare_v2(Db, Sql, -1, &S, nullptr) != SQLITE_OK)
            std::fprintf(stderr, "%s: %s\n", Sql, sqlite3_errmsg(Db));
    }
    ~TStmt() { sqlite3_finalize(S); }
    // Steps every row, reading every column as the result set does.
    int Run() { return StepAllRows(S); }
};

// How the grid is read in the bare run: whole, as the window reads it; or
// lazily, as a grid that reads only its first screen would: a count and
// the first page, the count either of the whole statement or of its one
// join that can add rows (the plan and the executor are joined on their keys).
enum class TGridRead { Whole, LazyCount, LazyCheapCount };

void BM_BareStatements(benchmark::State& State, bool DupdIndex, TGridRead Read = TGridRead::Whole)
{
    const int crossings = int(State.range(0));
    const TRunFile file{CampaignPath(crossings, DupdIndex)};
    const QString& path = file.Path;
    std::vector<TFreeLabel> free;
    {
        TADOConnection c;
        c.setConnectionString(QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=") + path);
        c.Open();
        free = FreeLabels(&c);
    }
    sqlite3* db = nullptr;
    sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
    sqlite3_exec(db, "PRAGMA journal_mode = WAL", nullptr, nullptr, nullptr);
    sqlite3_exec(db, "PRAGMA synchronous = NORMAL", nullptr, nullptr, nullptr);
    {
        TStmt pot(db, "SELECT id, codigo   FROM Parental WHERE (id = ?1)");
        TStmt label(db, "SELECT ec.nc, ec.rep, ec.nc_print, pc.codigo_cruza, pc.id_vaso_mae, pc.id_vaso_pai, "
                        "c.dupd AS data_cruza, c.status FROM (Etiqueta_Cruza ec LEFT OUTER JOIN Planejamento_Cruza pc "
                        "ON (ec.nc = pc.nc)) LEFT OUTER JOIN (SELECT * FROM Cruza WHERE (status <> 'X')) c "
                        "ON (ec.nc_rep = c.nc_rep) WHERE ( ec.nc_rep = ?1 )");
        TStmt maxSeq(db, "SELECT MAX( seq ) AS Max_Seq   FROM Cruza WHERE (nc_rep = ?1)");
        TStmt insert(db, "INSERT INTO Cruza ( nc_rep, seq, reverso, id_emasculador, status, dupd, cmaq ) "
                         "values (?1, ?2, ?3, ?4, ?5, ?6, ?7)");
        TStmt grid(db, "SELECT c.id_cruza, c.dupd, c.nc_rep, c.status, c.seq, iif(c.reverso='0', 'Não', 'Sim') as reverso, "
                       "ec.nc_print as nc, pc.codigo_cruza, e.nome AS nome_emasculador, pc.planejamento, "
                       "iif(c.id_cruza IS NULL, 'Adic', 'Tal') AS tal_transmissao FROM ((Cruza c "
                       "LEFT OUTER JOIN Etiqueta_Cruza ec ON (c.nc_rep = ec.nc_rep)) "
                       "LEFT OUTER JOIN Planejamento_Cruza pc ON (ec.nc = pc.nc)) "
                       "LEFT OUTER JOIN Emasculador e ON (c.id_emasculador = e.id) ORDER BY c.DUPD desc");
        TStmt count(db, "SELECT COUNT(*) FROM (SELECT c.id_cruza, c.dupd, c.nc_rep, c.status, c.seq, "
                        "iif(c.reverso='0', 'Não', 'Sim') as reverso, ec.nc_print as nc, pc.codigo_cruza, "
                        "e.nome AS nome_emasculador, pc.planejamento, iif(c.id_cruza IS NULL, 'Adic', 'Tal') "
                        "AS tal_transmissao FROM ((Cruza c LEFT OUTER JOIN Etiqueta_Cruza ec ON (c.nc_rep = ec.nc_rep)) "
                        "LEFT OUTER JOIN Planejamento_Cruza pc ON (ec.nc = pc.nc)) "
                        "LEFT OUTER JOIN Emasculador e ON (c.id_emasculador = e.id))");
        TStmt cheapCount(db, "SELECT COUNT(*) FROM Cruza c LEFT OUTER JOIN Etiqueta_Cruza ec ON (c.nc_rep = ec.nc_rep)");
        TStmt page(db, "SELECT c.id_cruza, c.dupd, c.nc_rep, c.status, c.seq, iif(c.reverso='0', 'Não', 'Sim') as reverso, "
                       "ec.nc_print as nc, pc.codigo_cruza, e.nome AS nome_emasculador, pc.planejamento, "
                       "iif(c.id_cruza IS NULL, 'Adic', 'Tal') AS tal_transmissao FROM ((Cruza c "
                       "LEFT OUTER JOIN Etiqueta_Cruza ec ON (c.nc_rep = ec.nc_rep)) "
                       "LEFT OUTER JOIN Planejamento_Cruza pc ON (ec.nc = pc.nc)) "
                       "LEFT OUTER JOIN Emasculador e ON (c.id_emasculador = e.id) ORDER BY c.DUPD desc LIMIT 40");
        size_t next = 0;
        int rows = 0;
        for (auto _ : State) {
            if (next == free.size()) {
                State.SkipWithError("out of free labels");
                break;
            }
            const TFreeLabel& l = free[next++];
            for (int pass = 0; pass < 2; ++pass) {   // when left, and again at the confirmation
                sqlite3_bind_int(pot.S, 1, l.Mother);
                pot.Run();
                sqlite3_bind_int(pot.S, 1, l.Father);
                pot.Run();
            }
            sqlite3_bind_double(label.S, 1, double(l.Number));
            label.Run();
            sqlite3_bind_int64(maxSeq.S, 1, l.Number);
            maxSeq.Run();
            sqlite3_bind_int64(insert.S, 1, l.Number);
            sqlite3_bind_int(insert.S, 2, 1);
            sqlite3_bind_text(insert.S, 3, "0", -1, SQLITE_STATIC);
            sqlite3_bind_int(insert.S, 4, 1);
            sqlite3_bind_text(insert.S, 5, "M", -1, SQLITE_STATIC);
            sqlite3_bind_text(insert.S, 6, "2026-02-05 09:05:07", -1, SQLITE_STATIC);
            sqlite3_bind_text(insert.S, 7, "BENCH", -1, SQLITE_STATIC);
            insert.Run();
            switch (Read) {
            case TGridRead::Whole:
                rows = grid.Run();
                break;
            case TGridRead::LazyCount:
            case TGridRead::LazyCheapCount: {
                TStmt& c = Read == TGridRead::LazyCount ? count : cheapCount;
                sqlite3_step(c.S);
                rows = sqlite3_column_int(c.S, 0);
                sqlite3_reset(c.S);
                page.Run();
                break;
            }
            }
        }
        State.counters["crossings"] = rows;
    }
    sqlite3_close(db);
}

void BM_Bare(benchmark::State& State)
{
    BM_BareStatements(State, false);
}

void BM_BareDupdIndex(benchmark::State& State)
{
    BM_BareStatements(State, true);
}

void BM_BareLazyGrid(benchmark::State& State)
{
    BM_BareStatements(State, true, TGridRead::LazyCount);
}

void BM_BareLazyGridCheapCount(benchmark::State& State)
{
    BM_BareStatements(State, true, TGridRead::LazyCheapCount);
}

// Only the grid's re-query and count, in the window, to see its share.
void BM_GridRequery(benchmark::State& State)
{
    const TRunFile file{CampaignPath(int(State.range(0)), false)};
    TProgram p(file.Path);
    for (auto _ : State) {
        p.W->Refresh_Grid();
        benchmark::DoNotOptimize(p.W->QGrid->RecordCount());
    }
}

void Sizes_(benchmark::internal::Benchmark* B)
{
    for (int n : Sizes)
        B->Arg(n);
    B->Unit(benchmark::kMillisecond)->UseRealTime();
}

BENCHMARK(BM_Registration)->Apply(Sizes_);
BENCHMARK(BM_Bare)->Apply(Sizes_);
BENCHMARK(BM_GridRequery)->Apply(Sizes_);
BENCHMARK(BM_RegistrationDupdIndex)->Apply(Sizes_);
BENCHMARK(BM_BareDupdIndex)->Apply(Sizes_);
BENCHMARK(BM_BareLazyGrid)->Apply(Sizes_);
BENCHMARK(BM_BareLazyGridCheapCount)->Apply(Sizes_);

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
