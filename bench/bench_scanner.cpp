// One whole harvest-envelope registration and one whole write-off as the
// scanner drives them, on campaigns of 1,000, 10,000 and 100,000 crossings
// and as many envelopes, made as the program's own schema makes them and
// connected as the program's start-up does (structure check, then the
// connect-time indexes); beside each, the same statements run bare through
// the SQLite C API on the same file, indexed the same way.
//
//   envelope: label scanned and left (looked up), seed count, remarks; the
//   remarks' Enter confirms: user, lot, label (looked up again), count and
//   executor checked; in one write transaction the label's envelope and live
//   crossing checked again and the envelope inserted; its lot's figures kept
//   in the lot grid and the envelope grid's first page read with its count kept.
//   write-off: label scanned, Enter confirms: user and label checked (looked
//   up); in one write transaction the label looked up again and its current
//   crossing updated; the grid's first page read with its count kept.
//
//   bench_scanner --benchmark_repetitions=5 --benchmark_report_aggregates_only=true

#include "BenchProgram.h"
#include "BenchSqlite.h"
#include "CampaignBuilder.h"
#include "UDBVersion.h"
#include "UFCruzaEti_Baixa_Cad.h"
#include "UFCruzaEti_Cad.h"
#include "UXComboBox.h"
#include "XCollation.h"

#include <QFile>
#include <QLineEdit>

#include <cstdio>
#include <map>
#include <memory>
#include <vector>

namespace {

const int Sizes[] = {1000, 10000, 100000};
// Labels with a live crossing and no envelope, one for every timed scan of a run.
constexpr int Spare = 120;
constexpr int Iterations = 100;
// Rows the layer reads of a grid before the user scrolls.
constexpr int FirstPage = 64;

std::unique_ptr<QTemporaryDir> Dir;

void Raw(sqlite3* Db, const QString& Sql)
{
    char* err = nullptr;
    if (sqlite3_exec(Db, Sql.toUtf8().constData(), nullptr, nullptr, &err) != SQLITE_OK) {
        std::fprintf(stderr, "%s\n", err);
        sqlite3_free(err);
    }
}

// One campaign per size and index choice, built once: N crossings (the last
// Spare of them live ones on labels kept free of envelopes) and N envelopes,
// filled with raw INSERT ... SELECT. Every run works on a fresh copy (TRunFile).
QString CampaignPath(int N)
{
    static std::map<int, QString> built;
    const int key = N;
    if (!built.count(key)) {
        TCampaignOptions o;
        o.Labels = N + Spare;
        o.Crossings = N - Spare;
        const QString path = Dir->filePath(QStringLiteral("s%1.mdb").arg(N));
        TCampaignBuilder::Build(path, o);
        sqlite3* db = nullptr;
        sqlite3_open(path.toUtf8().constData(), &db);
        Raw(db, QStringLiteral("CREATE TEMP TABLE spare AS SELECT nc_rep FROM Etiqueta_Cruza "
                               "WHERE nc_rep NOT IN (SELECT nc_rep FROM Cruza) ORDER BY nc_rep LIMIT %1").arg(Spare));
        Raw(db, QStringLiteral("INSERT INTO Cruza (nc_rep, seq, reverso, id_emasculador, status, dupd, cmaq) "
                               "SELECT nc_rep, 1, '0', 1, 'M', '2025-02-01 08:00:00', 'BENCH' FROM spare"));
        Raw(db, QStringLiteral("INSERT INTO Colheita (nc_rep, qte_sem, lote, id_usua, dupd, cmaq) "
                               "SELECT nc_rep, 5, 'L' || (rowid % 40), 1, "
                               "printf('2025-03-%02d %02d:%02d:%02d', 1 + rowid / 86400, (rowid / 3600) % 24, (rowid / 60) % 60, rowid % 60), "
                               "'BENCH' FROM Etiqueta_Cruza WHERE nc_rep NOT IN (SELECT nc_rep FROM spare) LIMIT %1").arg(N));
        sqlite3_close(db);
        built[key] = path;
    }
    return built[key];
}

// The spare labels; with StartUp, the file first gets the indexes the program makes when it connects.
std::vector<qint64> SpareLabels(const QString& Path, bool StartUp = false)
{
    TADOConnection c;
    c.setConnectionString(QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=") + Path);
    c.Open();
    if (StartUp)
        CreateQueryIndexes(&c);
    TADOQuery q;
    q.setConnection(&c);
    q.SQL.setText(QStringLiteral("SELECT nc_rep FROM Cruza WHERE cmaq = 'BENCH' ORDER BY nc_rep"));
    q.Open();
    std::vector<qint64> out;
    for (; !q.Eof(); q.Next())
        out.push_back(q.Fields(0)->AsLargeInt());
    return out;
}

void Check(benchmark::State& State, int Boxes, const QString& Texts, int Done, int Wanted)
{
    if (Boxes || Done != Wanted)
        State.SkipWithError(qPrintable(QStringLiteral("%1 boxes (%2), %3 of %4 done").arg(Boxes).arg(Texts).arg(Done).arg(Wanted)));
}

void BM_Envelope(benchmark::State& State)
{
    const TRunFile file(*Dir, CampaignPath(int(State.range(0))));
    const std::vector<qint64> labels = SpareLabels(file.Path);
    TBenchProgram<TFCruzaEti_Cad> p(file.Path, true);
    p.W->usua->setCurrentIndex(0);
    p.W->lote->setText(QStringLiteral("CX-01"));
    p.W->NC_REP_LIDO->setFocus();
    size_t next = 0;
    const int before = p.W->QGrid->RecordCount();
    for (auto _ : State) {
        Type(TCampaignBuilder::Barcode(labels[next++], false));
        Type(QStringLiteral("3"));
        Type(QStringLiteral("ok"));
        QCoreApplication::processEvents();
    }
    Check(State, p.Dlg.Count(), p.Dlg.Texts().join(u'|'), p.W->QGrid->RecordCount() - before, int(next));
    State.counters["envelopes"] = p.W->QGrid->RecordCount();
}

void BM_WriteOff(benchmark::State& State)
{
    const TRunFile file(*Dir, CampaignPath(int(State.range(0))));
    const std::vector<qint64> labels = SpareLabels(file.Path);
    TBenchProgram<TFCruzaEti_Baixa_Cad> p(file.Path, true);
    p.W->usua->setCurrentIndex(0);
    p.W->NC_REP_LIDO->setFocus();
    size_t next = 0;
    const int before = p.W->QGrid->RecordCount();
    for (auto _ : State) {
        Type(TCampaignBuilder::Barcode(labels[next++], false));
        QCoreApplication::processEvents();
    }
    Check(State, p.Dlg.Count(), p.Dlg.Texts().join(u'|'), p.W->QGrid->RecordCount() - before, int(next));
    State.counters["written_off"] = p.W->QGrid->RecordCount();
}

// ---- the same statements, bare ----

sqlite3* OpenBare(const QString& Path)
{
    sqlite3* db = nullptr;
    sqlite3_open_v2(Path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
    XAdo::RegisterCollations(db);
    sqlite3_exec(db, "PRAGMA journal_mode = WAL", nullptr, nullptr, nullptr);
    sqlite3_exec(db, "PRAGMA synchronous = NORMAL", nullptr, nullptr, nullptr);
    return db;
}

const char* const EnvelopeLookup =
    "SELECT ec.nc_print, pc.codigo_cruza, cr.reverso, cr.id_emasculador, c.lote, c.qte_sem, pc.codigo_cruza, "
    "pc.planejamento, pc.id_vaso_mae, pc.id_vaso_pai, tmae.codigo AS mae, tpai.codigo as pai "
    "FROM ((((Etiqueta_Cruza ec LEFT OUTER JOIN (SELECT * FROM Cruza WHERE (status <> 'X' )) cr ON (ec.nc_rep = cr.nc_rep)) "
    "LEFT OUTER JOIN Colheita c ON (ec.nc_rep = c.nc_rep)) LEFT OUTER JOIN Planejamento_Cruza pc ON (ec.nc = pc.nc)) "
    "LEFT OUTER JOIN Parental tmae ON (pc.id_vaso_mae = tmae.id)) LEFT OUTER JOIN Parental tpai ON (pc.id_vaso_pai = tpai.id) "
    "WHERE ( ec.nc_rep = ?1 )";

void BM_EnvelopeBare(benchmark::State& State)
{
    const TRunFile file(*Dir, CampaignPath(int(State.range(0))));
    const std::vector<qint64> labels = SpareLabels(file.Path, true);
    sqlite3* db = OpenBare(file.Path);
    {
        TStmt mark(db, "PRAGMA data_version");
        TStmt users(db, "SELECT e.id, e.nome FROM Emasculador e ORDER BY e.nome COLLATE NAME_PT");
        TStmt lookup(db, EnvelopeLookup);
        TStmt begin(db, "BEGIN IMMEDIATE"), commit(db, "COMMIT");
        TStmt envelope(db, "SELECT lote, qte_sem FROM Colheita WHERE (nc_rep = ?1)");
        TStmt live(db, "SELECT dupd FROM Cruza WHERE (nc_rep = ?1) AND (status <> 'X')");
        TStmt insert(db, "INSERT INTO Colheita ( lote, nc_rep, qte_sem, obs, id_usua, dupd, cmaq ) "
                         "values (?1, ?2, ?3, ?4, ?5, ?6, ?7)");
        TStmt lots(db, "SELECT lote, count(1) as qte_cad, MAX(dupd) as last_upd FROM Colheita GROUP BY lote ORDER BY MAX(dupd) DESC");
        TStmt grid(db, "SELECT c.id_cruza, c.dupd, c.LOTE, c.NC_REP, ec.nc_print, c.qte_sem, c.obs, "
                       "iif(cr.reverso = '0', 'Não', 'Sim' ) AS reverso, cr.status, pc.codigo_cruza, pc.planejamento "
                       "FROM ((Colheita c LEFT JOIN Etiqueta_Cruza ec ON (c.nc_rep = ec.nc_rep)) "
                       "LEFT JOIN (SELECT * FROM Cruza WHERE (status <> 'X' )) cr ON (c.nc_rep = cr.nc_rep)) "
                       "LEFT JOIN Planejamento_Cruza pc ON (ec.nc = pc.nc) ORDER BY c.DUPD desc, c.lote");
        benchmark::DoNotOptimize(users.Run());
        benchmark::DoNotOptimize(lots.Run());
        size_t next = 0;
        int rows = 0;
        {
            TStmt count(db, "SELECT count(*) FROM Colheita");
            sqlite3_step(count.S);
            rows = sqlite3_column_int(count.S, 0);
        }
        for (auto _ : State) {
            const qint64 label = labels[next++];
            for (int pass = 0; pass < 2; ++pass) {   // when left, and again at the confirmation
                sqlite3_bind_double(lookup.S, 1, double(label));
                lookup.Run();
            }
            begin.Run();
            sqlite3_bind_int64(envelope.S, 1, label);
            envelope.Run();
            sqlite3_bind_int64(live.S, 1, label);
            live.Run();
            sqlite3_bind_text(insert.S, 1, "CX-01", -1, SQLITE_STATIC);
            sqlite3_bind_int64(insert.S, 2, label);
            sqlite3_bind_int(insert.S, 3, 3);
            sqlite3_bind_text(insert.S, 4, "OK", -1, SQLITE_STATIC);
            sqlite3_bind_int(insert.S, 5, 1);
            sqlite3_bind_text(insert.S, 6, "2026-02-05 09:05:07", -1, SQLITE_STATIC);
            sqlite3_bind_text(insert.S, 7, "BENCH", -1, SQLITE_STATIC);
            mark.Run();
            insert.Run();
            commit.Run();
            mark.Run();
            // The lots are not grouped again: the window adds its own envelope to the lot it read.
            grid.Run(FirstPage);
            ++rows;
        }
        State.counters["envelopes"] = rows;
    }
    sqlite3_close(db);
}

void BM_WriteOffBare(benchmark::State& State)
{
    const TRunFile file(*Dir, CampaignPath(int(State.range(0))));
    const std::vector<qint64> labels = SpareLabels(file.Path, true);
    sqlite3* db = OpenBare(file.Path);
    {
        TStmt mark(db, "PRAGMA data_version");
        TStmt lookup(db, "SELECT ec.nc, ec.rep, ec.nc_print, pc.codigo_cruza, c.dupd AS data_cruza, c.status, c.seq, c.x_dupd, "
                         "c.id_cruza, clt.dupd as dt_colheita FROM ((Etiqueta_Cruza ec LEFT OUTER JOIN Planejamento_Cruza pc "
                         "ON (ec.nc = pc.nc)) LEFT OUTER JOIN Cruza c ON (ec.nc_rep = c.nc_rep)) LEFT OUTER JOIN Colheita clt "
                         "ON (ec.nc_rep = clt.nc_rep) WHERE ( ec.nc_rep = ?1 ) ORDER BY c.seq DESC");
        TStmt begin(db, "BEGIN IMMEDIATE"), commit(db, "COMMIT");
        TStmt update(db, "UPDATE Cruza SET id_usua_baixa = ?1, x_dupd = ?2, x_cmaq = ?3, status = ?4 "
                         "WHERE (( nc_rep = ?5 ) AND (seq = ?6)) AND (status <> 'X')");
        TStmt grid(db, "SELECT c.id_cruza, c.dupd, c.nc_rep, c.status, c.seq, c.x_dupd, "
                       "iif(c.reverso='0', 'Não', 'Sim') as reverso, ec.nc_print as nc, pc.codigo_cruza, "
                       "e.nome AS nome_emasculador, pc.planejamento, "
                       "iif(c.id_cruza IS NULL or (c.id_cruza < 0), 'Adic', 'Tal') AS tal_transmissao FROM ((Cruza c "
                       "LEFT OUTER JOIN Etiqueta_Cruza ec ON (c.nc_rep = ec.nc_rep)) "
                       "LEFT OUTER JOIN Planejamento_Cruza pc ON (ec.nc = pc.nc)) "
                       "LEFT OUTER JOIN Emasculador e ON (c.id_emasculador = e.id) WHERE (c.status = 'X') ORDER BY c.x_dupd DESC");
        size_t next = 0;
        int rows = 0;
        {
            TStmt count(db, "SELECT count(*) FROM Cruza WHERE status = 'X'");
            sqlite3_step(count.S);
            rows = sqlite3_column_int(count.S, 0);
        }
        for (auto _ : State) {
            const qint64 label = labels[next++];
            for (int pass = 0; pass < 2; ++pass) {   // at the confirmation, and again in the write transaction
                if (pass == 1)
                    begin.Run();
                sqlite3_bind_double(lookup.S, 1, double(label));
                lookup.Run();
            }
            sqlite3_bind_int(update.S, 1, 1);
            sqlite3_bind_text(update.S, 2, "2026-02-05 09:05:07", -1, SQLITE_STATIC);
            sqlite3_bind_text(update.S, 3, "BENCH", -1, SQLITE_STATIC);
            sqlite3_bind_text(update.S, 4, "X", -1, SQLITE_STATIC);
            sqlite3_bind_int64(update.S, 5, label);
            sqlite3_bind_int(update.S, 6, 1);
            mark.Run();
            update.Run();
            commit.Run();
            mark.Run();
            grid.Run(FirstPage);
            ++rows;
        }
        State.counters["written_off"] = rows;
    }
    sqlite3_close(db);
}

void Sizes_(benchmark::internal::Benchmark* B)
{
    for (int n : Sizes)
        B->Args({n});
    B->ArgNames({"n"});
    B->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(Iterations);
}

BENCHMARK(BM_Envelope)->Apply(Sizes_);
BENCHMARK(BM_EnvelopeBare)->Apply(Sizes_);
BENCHMARK(BM_WriteOff)->Apply(Sizes_);
BENCHMARK(BM_WriteOffBare)->Apply(Sizes_);

} // namespace

int main(int argc, char** argv)
{
    return BenchMain(argc, argv, Dir);
}
