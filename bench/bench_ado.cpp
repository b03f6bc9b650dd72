// The database layer against raw SQLite doing the same work on the same
// file: a one-row lookup by key, a one-row insert, and reading a
// 100,000-row result whole (time and memory). Ratios from medians.

#include "BenchSqlite.h"
#include "BenchUtil.h"
#include "XAdo.h"

#include <QTemporaryDir>
#include <QVariant>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int Rows = 100000;
constexpr qint64 FirstLabel = 100000000000LL;   // 12-digit label numbers

const char* const LookupSql = "SELECT id_cruza, seq, status, dupd FROM Cruza WHERE (nc_rep = :nc_rep)";
const char* const InsertSql =
    "INSERT INTO Cruza ( nc_rep, seq, reverso, id_emasculador, status, dupd, cmaq )  values  "
    "(:nc_rep,:seq,:reverso,:id_emasculador,:status,:dupd,:cmaq ) ";

struct Fixture
{
    QTemporaryDir dir;
    QString path;
    TADOConnection conn;
    sqlite3* raw = nullptr;

    Fixture()
    {
        path = dir.filePath("bench.mdb");
        CreateDatabaseFile(path);
        conn.setConnectionString("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + path + ";Persist Security Info=False");
        conn.Open();
        TADOCommand cmd;
        cmd.setConnection(&conn);
        cmd.setCommandText(
            "CREATE TABLE Cruza (ID_CRUZA LONG  NULL , NC_REP FLOAT  NOT NULL , SEQ LONG  NOT NULL , REVERSO TEXT(1)  NOT NULL , "
            "ID_EMASCULADOR LONG  NOT NULL , STATUS TEXT(1)  NOT NULL , DUPD TEXT(20)  NOT NULL , CMAQ TEXT(20)  NULL , "
            "ID_USUA_BAIXA LONG  NULL , X_DUPD TEXT(20)  NULL , X_CMAQ TEXT(20)  NULL , CONSTRAINT PK_Cruza PRIMARY KEY (NC_REP, SEQ))");
        cmd.Execute();
        // Built by hand: QString::arg would take the printf "%02d" for its own markers.
        cmd.setCommandText(QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < ")
                           + QString::number(Rows - 1)
                           + ") INSERT INTO Cruza SELECT IIF(i % 3 = 0, i, NULL), " + QString::number(FirstLabel)
                           + " + i, 1, '0', i % 50, IIF(i % 7 = 0, 'X', 'M'), "
                             "printf('2025-03-%02d %02d:%02d:00', 1 + i % 28, i % 24, i % 60), 'ESTACAO-07', NULL, NULL, NULL FROM n");
        cmd.Execute();
        sqlite3_open_v2(path.toUtf8().constData(), &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
        sqlite3_exec(raw, "PRAGMA synchronous = NORMAL", nullptr, nullptr, nullptr);
    }
    ~Fixture() { sqlite3_close(raw); }
};

Fixture& fixture()
{
    static Fixture f;
    return f;
}

void BM_LookupAdo(benchmark::State& state)
{
    Fixture& f = fixture();
    qint64 i = 0;
    for (auto _ : state) {
        TADOQuery q;
        q.setConnection(&f.conn);
        q.SQL.setText(LookupSql);
        TParameter* p = q.Parameters.ParamByName("nc_rep");
        p->DataType = ftFloat;
        p->Value = double(FirstLabel + (i++ * 7919) % Rows);
        q.Open();
        benchmark::DoNotOptimize(q.FieldByName("seq")->AsInteger());
        benchmark::DoNotOptimize(q.FieldByName("status")->AsString());
        benchmark::DoNotOptimize(q.FieldByName("dupd")->AsString());
        benchmark::DoNotOptimize(q.FieldByName("id_cruza")->IsNull());
        q.Close();
    }
}
BENCHMARK(BM_LookupAdo);

void BM_LookupRaw(benchmark::State& state)
{
    Fixture& f = fixture();
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(f.raw, "SELECT id_cruza, seq, status, dupd FROM Cruza WHERE (nc_rep = ?1)", -1, &st, nullptr);
    qint64 i = 0;
    for (auto _ : state) {
        sqlite3_bind_double(st, 1, double(FirstLabel + (i++ * 7919) % Rows));
        while (sqlite3_step(st) == SQLITE_ROW) {
            benchmark::DoNotOptimize(sqlite3_column_int(st, 1));
            benchmark::DoNotOptimize(QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 2))));
            benchmark::DoNotOptimize(QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 3))));
            benchmark::DoNotOptimize(sqlite3_column_type(st, 0) == SQLITE_NULL);
        }
        sqlite3_reset(st);
    }
    sqlite3_finalize(st);
}
BENCHMARK(BM_LookupRaw);

void BM_InsertAdo(benchmark::State& state)
{
    Fixture& f = fixture();
    static qint64 next = 200000000000LL;
    for (auto _ : state) {
        TADOCommand cmd;
        cmd.setConnection(&f.conn);
        cmd.setCommandText(InsertSql);
        auto set = [&](const char* name, TFieldType type, const QVariant& value) {
            TParameter* p = cmd.Parameters.ParamByName(name);
            p->DataType = type;
            p->Value = value;
        };
        set("nc_rep", ftLargeint, next++);
        set("seq", ftInteger, 1);
        set("reverso", ftString, QStringLiteral("0"));
        set("id_emasculador", ftInteger, 7);
        set("status", ftString, QStringLiteral("M"));
        set("dupd", ftString, QStringLiteral("2025-05-01 12:00:00"));
        set("cmaq", ftString, QStringLiteral("ESTACAO-07"));
        benchmark::DoNotOptimize(cmd.Execute());
    }
}
BENCHMARK(BM_InsertAdo);

void BM_InsertRaw(benchmark::State& state)
{
    Fixture& f = fixture();
    static qint64 next = 300000000000LL;
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(f.raw,
                       "INSERT INTO Cruza ( nc_rep, seq, reverso, id_emasculador, status, dupd, cmaq ) "
                       "values (?1, ?2, ?3, ?4, ?5, ?6, ?7)",
                       -1, &st, nullptr);
    auto text = [&](int i, const QString& s) {
        const QByteArray u = s.toUtf8();
        sqlite3_bind_text(st, i, u.constData(), int(u.size()), SQLITE_TRANSIENT);
    };
    for (auto _ : state) {
        sqlite3_bind_int64(st, 1, next++);
        sqlite3_bind_int(st, 2, 1);
        text(3, QStringLiteral("0"));
        sqlite3_bind_int(st, 4, 7);
        text(5, QStringLiteral("M"));
        text(6, QStringLiteral("2025-05-01 12:00:00"));
        text(7, QStringLiteral("ESTACAO-07"));
        if (sqlite3_step(st) != SQLITE_DONE)
            state.SkipWithError(sqlite3_errmsg(f.raw));
        sqlite3_reset(st);
    }
    sqlite3_finalize(st);
}
BENCHMARK(BM_InsertRaw);

const char* const AllSql = "SELECT * FROM Cruza WHERE nc_rep < 200000000000";

// Opened and read to the last row, so that every row is read as in the raw twin.
void BM_ReadAllAdo(benchmark::State& state)
{
    Fixture& f = fixture();
    size_t held = 0;
    size_t heap = 0;
    int rows = 0;
    for (auto _ : state) {
        TADOQuery q;
        q.setConnection(&f.conn);
        q.SQL.setText(AllSql);
        const size_t before = HeapInUseBytes();
        q.Open();
        q.Last();
        heap = HeapInUseBytes() - before;
        held = q.ResultMemoryBytes();
        rows = q.RecordCount();
    }
    state.counters["rows"] = rows;
    state.counters["held_MB"] = double(held) / 1e6;
    state.counters["heap_MB"] = double(heap) / 1e6;
}
BENCHMARK(BM_ReadAllAdo)->Unit(benchmark::kMillisecond);

// Raw SQLite reading every cell of the same rows without keeping them.
void BM_StepAllRaw(benchmark::State& state)
{
    Fixture& f = fixture();
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(f.raw, AllSql, -1, &st, nullptr);
    int rows = 0;
    for (auto _ : state) {
        rows = StepAllRows(st);
    }
    sqlite3_finalize(st);
    state.counters["rows"] = rows;
}
BENCHMARK(BM_StepAllRaw)->Unit(benchmark::kMillisecond);

// The same rows kept the obvious way, one QVariant per cell, for the memory comparison.
void BM_OpenAllQVariant(benchmark::State& state)
{
    Fixture& f = fixture();
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(f.raw, AllSql, -1, &st, nullptr);
    size_t heap = 0;
    for (auto _ : state) {
        const size_t before = HeapInUseBytes();
        std::vector<QVariant> cells;
        const int cols = sqlite3_column_count(st);
        while (sqlite3_step(st) == SQLITE_ROW) {
            for (int c = 0; c < cols; ++c) {
                switch (sqlite3_column_type(st, c)) {
                case SQLITE_INTEGER: cells.emplace_back(qlonglong(sqlite3_column_int64(st, c))); break;
                case SQLITE_FLOAT: cells.emplace_back(sqlite3_column_double(st, c)); break;
                case SQLITE_TEXT:
                    cells.emplace_back(QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, c)),
                                                         sqlite3_column_bytes(st, c)));
                    break;
                default: cells.emplace_back(); break;
                }
            }
        }
        sqlite3_reset(st);
        heap = HeapInUseBytes() - before;
    }
    sqlite3_finalize(st);
    state.counters["heap_MB"] = double(heap) / 1e6;
}
BENCHMARK(BM_OpenAllQVariant)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    MedianRatioReporter reporter({{"BM_LookupAdo", "BM_LookupRaw"}, {"BM_InsertAdo", "BM_InsertRaw"}, {"BM_ReadAllAdo", "BM_StepAllRaw"}});
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
