// One whole registration in the hybridisation window as the scanner drives
// it (executor, reverse flag, mother and father pots read and looked up as
// they are left, the label confirmed: the checks, the insert in its write
// transaction, the grid re-queried with its count kept), on campaigns of
// 1,000, 10,000 and 100,000 crossings made as the schema code makes them.
// BM_Registration connects as the program does (the start-up makes the
// look-up indexes); BM_RegistrationNoExtraIndexes skips that, as before;
// BM_RegistrationNetwork is BM_Registration on a file the layer takes for one
// in a network folder (the rollback journal instead of the log), on this disk.
// Beside each, its raw twin: the same statements, as the layer runs them,
// through the SQLite C API on the same kind of file. Ratios from medians.
//
//   bench_hibridacao --benchmark_repetitions=5 --benchmark_report_aggregates_only=true

#include "BenchProgram.h"
#include "BenchSqlite.h"
#include "BenchUtil.h"
#include "CampaignBuilder.h"
#include "UAppConfig.h"
#include "UDBVersion.h"
#include "UDM.h"
#include "UFCruzaEti_Flor_Cad.h"
#include "UFMain.h"
#include "UXComboBox.h"
#include "XAdo.h"
#include "XAdoEngine.h"
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


const int Sizes[] = {1000, 10000, 100000};
// Labels left free for the timed registrations of every run.
constexpr int Spare = 30000;

std::unique_ptr<QTemporaryDir> Dir;

// One campaign per size, built once; every run works on a fresh copy of it,
// so that no run sees the crossings an earlier one registered (TRunFile).
QString CampaignPath(int Crossings)
{
    static std::map<int, QString> built;
    const int key = Crossings;
    if (!built.count(key)) {
        TCampaignOptions o;
        o.Labels = Crossings + Spare;
        o.Crossings = Crossings;
        const QString path = Dir->filePath(QStringLiteral("c%1.mdb").arg(Crossings));
        TCampaignBuilder::Build(path, o);
        built[key] = path;
    }
    return built[key];
}


using TProgram = TBenchProgram<TFCruzaEti_Flor_Cad>;

// The run's file taken for one in a folder other computers share, while it lasts.
struct TNetworkRun
{
    explicit TNetworkRun(bool On) : on(On)
    {
        if (on)
            qputenv("X_NETWORK_FOLDERS", Dir->path().toLocal8Bit());
    }
    ~TNetworkRun()
    {
        if (on)
            qunsetenv("X_NETWORK_FOLDERS");
    }
    bool on;
};

void Registration(benchmark::State& State, bool StartUp, bool Network = false)
{
    const int crossings = int(State.range(0));
    const QString built = CampaignPath(crossings);
    const TNetworkRun network(Network);
    const TRunFile file(*Dir, built);
    TProgram p(file.Path, StartUp);
    if (DM->Conn->Engine()->WriteAheadLog() == Network)
        State.SkipWithError("not in the journal mode the run is about");
    std::vector<TFreeLabel> free = FreeLabels(DM->Conn);
    size_t next = 0;
    const int rowsBefore = p.W->QGrid->RecordCount();
    for (auto _ : State) {
        if (next == free.size()) {
            State.SkipWithError("out of free labels");
            break;
        }
        const TFreeLabel& l = free[next++];
        ScanFlower(p.W, l);
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
    Registration(State, true);
}

void BM_RegistrationNoExtraIndexes(benchmark::State& State)
{
    Registration(State, false);
}

void BM_RegistrationNetwork(benchmark::State& State)
{
    Registration(State, true, true);
}

// ---- the raw twin: what the window runs, statement for statement ----

void Exec(sqlite3* Db, const char* Sql)
{
    sqlite3_exec(Db, Sql, nullptr, nullptr, nullptr);
}

sqlite3* OpenRaw(const QString& Path, int Flags)
{
    sqlite3* db = nullptr;
    sqlite3_open_v2(Path.toUtf8().constData(), &db, Flags | SQLITE_OPEN_NOMUTEX, nullptr);
    sqlite3_busy_timeout(db, 5000);
    return db;
}

// The statements of one registration as the layer runs them (traced): the
// look-ups each in a read transaction of the reader handle, a file mark
// before each, the confirmation's write transaction on the main handle, and
// the grid's first page read in the reader's snapshot, ended when idle.
void Twin(benchmark::State& State, bool StartUp)
{
    const int crossings = int(State.range(0));
    const TRunFile file(*Dir, CampaignPath(crossings));
    std::vector<TFreeLabel> free;
    {
        TADOConnection c;
        c.setConnectionString(QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=") + file.Path);
        c.Open();
        if (StartUp)
            CreateQueryIndexes(&c);
        free = FreeLabels(&c);
    }
    sqlite3* main = OpenRaw(file.Path, SQLITE_OPEN_READWRITE);
    Exec(main, "PRAGMA synchronous = NORMAL");
    Exec(main, "PRAGMA journal_size_limit = 4194304");
    sqlite3* reader = OpenRaw(file.Path, SQLITE_OPEN_READONLY);
    Exec(reader, "PRAGMA mmap_size = 268435456");
    {
        TStmt mark(main, "PRAGMA data_version");
        TStmt pot(reader, "SELECT id, codigo   FROM Parental WHERE (id = ?1)");
        TStmt label(reader, "SELECT ec.nc, ec.rep, ec.nc_print,        pc.codigo_cruza, pc.id_vaso_mae, pc.id_vaso_pai,"
                            "        c.dupd AS data_cruza, c.status   FROM (Etiqueta_Cruza ec             LEFT OUTER JOIN Planejamento_Cruza pc"
                            "               ON (ec.nc = pc.nc))             LEFT OUTER JOIN (SELECT *   FROM Cruza WHERE (status <> 'X')) c"
                            "               ON (ec.nc_rep = c.nc_rep) WHERE ( ec.nc_rep = ?1 ) ");
        TStmt live(main, "SELECT dupd   FROM Cruza WHERE (nc_rep = ?1) AND (status <> 'X')");
        TStmt maxSeq(main, "SELECT MAX( seq ) AS Max_Seq   FROM Cruza WHERE (nc_rep = ?1) ");
        TStmt insert(main, "INSERT INTO Cruza ( nc_rep, seq, reverso, id_emasculador, status, dupd, cmaq )  values"
                           "  (?1,?2,?3,?4,?5,?6,?7 ) ");
        TStmt grid(reader, "SELECT c.id_cruza,        c.dupd, c.nc_rep, c.status, c.seq,        IIF(c.reverso='0', 'Não' , 'Sim' ) as reverso,"
                           "        ec.nc_print as nc, pc.codigo_cruza, e.nome AS nome_emasculador, pc.planejamento,"
                           "        IIF(((c.id_cruza) IS NULL),'Adic', 'Tal') AS tal_transmissao   FROM ((Cruza c"
                           "            LEFT OUTER JOIN Etiqueta_Cruza ec               ON (c.nc_rep = ec.nc_rep))"
                           "            LEFT OUTER JOIN Planejamento_Cruza pc              ON (ec.nc = pc.nc))"
                           "            LEFT OUTER JOIN Emasculador e              ON (c.id_emasculador = e.id) ORDER BY c.DUPD desc");
        auto read = [&](TStmt& s, auto bind) {
            mark.Run();
            Exec(reader, "BEGIN");
            bind(s.S);
            s.Run();
            Exec(reader, "COMMIT");
        };
        size_t next = 0;
        for (auto _ : State) {
            if (next == free.size()) {
                State.SkipWithError("out of free labels");
                break;
            }
            const TFreeLabel& l = free[next++];
            for (int pass = 0; pass < 2; ++pass) {   // when left, and again at the confirmation
                read(pot, [&](sqlite3_stmt* s) { sqlite3_bind_int(s, 1, l.Mother); });
                read(pot, [&](sqlite3_stmt* s) { sqlite3_bind_int(s, 1, l.Father); });
            }
            read(label, [&](sqlite3_stmt* s) { sqlite3_bind_double(s, 1, double(l.Number)); });
            Exec(main, "BEGIN IMMEDIATE");
            mark.Run();
            sqlite3_bind_int64(live.S, 1, l.Number);
            live.Run();
            mark.Run();
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
            Exec(main, "COMMIT");
            mark.Run();
            mark.Run();
            Exec(reader, "BEGIN");
            grid.Run(64);
            Exec(reader, "COMMIT");
        }
    }
    sqlite3_close(reader);
    sqlite3_close(main);
}

void BM_Twin(benchmark::State& State)
{
    Twin(State, true);
}

void BM_TwinNoExtraIndexes(benchmark::State& State)
{
    Twin(State, false);
}

void Sizes_(benchmark::internal::Benchmark* B)
{
    for (int n : Sizes)
        B->Arg(n);
    B->Unit(benchmark::kMillisecond)->UseRealTime();
}

BENCHMARK(BM_Registration)->Apply(Sizes_);
BENCHMARK(BM_RegistrationNetwork)->Apply(Sizes_);
BENCHMARK(BM_Twin)->Apply(Sizes_);
BENCHMARK(BM_RegistrationNoExtraIndexes)->Apply(Sizes_);
BENCHMARK(BM_TwinNoExtraIndexes)->Apply(Sizes_);

} // namespace

int main(int argc, char** argv)
{
    MedianRatioReporter reporter({{"BM_Registration/", "BM_Twin/"},
                                  {"BM_RegistrationNoExtraIndexes/", "BM_TwinNoExtraIndexes/"},
                                  {"BM_RegistrationNetwork/", "BM_Registration/"},
                                  {"BM_Registration/100000", "BM_Registration/1000"}});
    return BenchMain(argc, argv, Dir, &reporter);
}
