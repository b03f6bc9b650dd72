// The start-up structure check (read the schema, check the version, compare)
// and the upgrade from the oldest structure, on a campaign of 100,000 labels.

#include "CampaignBuilder.h"
#include "UDBTables.h"
#include "UDBVersion.h"
#include "UTBStruct_DB.h"
#include "XAdo.h"
#include "XDialogs.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>

namespace {

const int kLabels = 100000;
const int kCrossings = 100000;

QTemporaryDir* g_dir = nullptr;

QString Campaign(const QString& version, bool labelIndex = true)
{
    const QString path = g_dir->filePath(QStringLiteral("campanha-%1-%2.mdb").arg(version).arg(labelIndex));
    if (!QFile::exists(path)) {
        TCampaignOptions o;
        o.Version = version;
        o.LabelIndex = labelIndex;
        o.Labels = kLabels;
        o.Crossings = kCrossings;
        const TCampaignInfo info = TCampaignBuilder::Build(path, o);
        std::fprintf(stderr, "%s\n", qPrintable(info.Describe()));
    }
    return path;
}

void Open(TADOConnection& conn, const QString& path)
{
    conn.setConnectionString(QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=") + path
                             + QStringLiteral(";Persist Security Info=False"));
    conn.Open();
}

// The check the main window runs on the open connection; false on any difference.
bool CheckStructure(TADOConnection* conn)
{
    TDB_Struct expected;
    TDB_Struct actual;
    TStringList log;
    RegisterDBStructs(&expected);
    SetConnection(&actual, conn);
    ReadSchema(&actual);
    bool ok = UpdateDBVersion(&actual);
    if (ok)
        ok = CompareSchema(&expected, &actual, &log);
    ClearConnection(&actual);
    return ok;
}

void BM_StartupStructureCheck(benchmark::State& state)
{
    TDlgRecorder rec;
    TADOConnection conn;
    Open(conn, Campaign(DBVersion));
    for (auto _ : state) {
        if (!CheckStructure(&conn)) {
            state.SkipWithError("structure check failed");
            break;
        }
    }
    if (rec.Count() > 0)
        state.SkipWithError(qPrintable(rec.Texts().join(u'\n')));
}
BENCHMARK(BM_StartupStructureCheck)->Unit(benchmark::kMillisecond);

void BM_UpgradeFromOldest(benchmark::State& state)
{
    TDlgRecorder rec;
    const QString oldest = Campaign(TCampaignBuilder::Versions().first());
    const QString work = g_dir->filePath(QStringLiteral("upgrade.mdb"));
    for (auto _ : state) {
        state.PauseTiming();
        QFile::remove(work);
        QFile::copy(oldest, work);
        auto conn = std::make_unique<TADOConnection>();
        Open(*conn, work);
        state.ResumeTiming();
        const bool ok = CheckStructure(conn.get());
        state.PauseTiming();
        conn.reset();
        state.ResumeTiming();
        if (!ok) {
            state.SkipWithError("upgrade failed");
            break;
        }
    }
    if (rec.Count() > 0)
        state.SkipWithError(qPrintable(rec.Texts().join(u'\n')));
}
BENCHMARK(BM_UpgradeFromOldest)->Unit(benchmark::kMillisecond)->Iterations(5);

// The hybridisation window's label look-up, with and without the index on
// Etiqueta_Cruza (NC_REP).
void BM_LabelLookup(benchmark::State& state)
{
    TADOConnection conn;
    Open(conn, Campaign(DBVersion, state.range(0) != 0));
    TADOQuery q;
    q.setConnection(&conn);
    q.SQL.setText(QStringLiteral(
        "SELECT ec.nc, ec.rep, ec.nc_print,        pc.codigo_cruza, pc.id_vaso_mae, pc.id_vaso_pai,        "
        "c.dupd AS data_cruza, c.status   FROM (Etiqueta_Cruza ec             LEFT OUTER JOIN Planejamento_Cruza pc "
        "              ON (ec.nc = pc.nc))             LEFT OUTER JOIN (SELECT *   FROM Cruza WHERE (status <> 'X')) c "
        "              ON (ec.nc_rep = c.nc_rep) WHERE ( ec.nc_rep = :nc_rep ) "));
    q.Parameters.ParamByName(QStringLiteral("nc_rep"))->DataType = ftFloat;
    qint64 i = 0;
    for (auto _ : state) {
        const qint64 nc = 10001 + (i++ * 7919) % (kLabels / 4);
        q.Close();
        q.Parameters.ParamByName(QStringLiteral("nc_rep"))->Value = double(TCampaignBuilder::LabelNumber(nc, 2, false));
        q.Open();
        if (q.RecordCount() != 1) {
            state.SkipWithError("label not found");
            break;
        }
    }
}
BENCHMARK(BM_LabelLookup)->Arg(1)->Arg(0)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    g_dir = &dir;
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
