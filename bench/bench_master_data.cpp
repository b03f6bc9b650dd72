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
// times the 10,000-row one. BM_RawImport is the import's exact twin on the
// SQLite C API: the ceiling that committing every row sets on this disk.

#include "BenchProgram.h"
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
#include <sqlite3.h>

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
struct TProgram : TBenchHost
{
    TFImport_CSV* W = nullptr;

    explicit TProgram(const QString& Path) : TBenchHost(Path)
    {
        FMain->AppConfig->ExpoCad = true;
        W = new TFImport_CSV(nullptr);
        W->show();
    }
    ~TProgram() { delete W; }

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

// The same rows through the SQLite C API: per row BEGIN IMMEDIATE, the
// delete by key, the insert of the non-empty cells, COMMIT, with the log
// folded back as seldom as during the window's import.
void BM_RawImport(benchmark::State& State)
{
    const int kind = int(State.range(0));
    const int rows = int(State.range(1));
    const QStringList lines = kind == TFImport_CSV::kdCruzamento ? TMasterSheets::Crossings(Campaign, rows)
                                                                 : TMasterSheets::Parentals(rows);
    SheetFile(kind, rows);
    for (auto _ : State) {
        State.PauseTiming();
        const QString file = CampaignCopy();
        sqlite3* db = nullptr;
        sqlite3_open(file.toUtf8().constData(), &db);
        sqlite3_exec(db, "PRAGMA journal_mode = WAL; PRAGMA synchronous = NORMAL", nullptr, nullptr, nullptr);
        sqlite3_wal_autocheckpoint(db, 10000);
        QHash<QString, int> pots;
        sqlite3_stmt* q = nullptr;
        sqlite3_prepare_v2(db, "SELECT codigo, id FROM Parental", -1, &q, nullptr);
        while (sqlite3_step(q) == SQLITE_ROW)
            pots.insert(QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(q, 0))), sqlite3_column_int(q, 1));
        sqlite3_finalize(q);
        const bool crossings = kind == TFImport_CSV::kdCruzamento;
        const char* del = crossings ? "DELETE FROM Planejamento_Cruza WHERE (nc = ?1)" : "DELETE FROM Parental WHERE (id = ?1)";
        const char* ins = crossings
                              ? "INSERT INTO Planejamento_Cruza (planejamento, nc, codigo_cruza, rep, id_vaso_mae, id_vaso_pai, "
                                "f1_agrobase, lote_semente_f1, dupd, usua, cmaq) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11)"
                              : "INSERT INTO Parental (id, codigo, tratamento, ggen, genealogia, cflor, cpub, id_agrobase, expe_fn, "
                                "parc_fn, codigo_fn, lote_semente_fn, dupd, usua, cmaq, upd_tal) VALUES (?1, ?2, ?3, ?4, ?5, ?6, "
                                "?7, ?8, ?9, ?10, ?11, ?12, ?13, ?14, ?15, 0)";
        sqlite3_stmt *begin = nullptr, *commit = nullptr, *d = nullptr, *i = nullptr;
        sqlite3_prepare_v2(db, "BEGIN IMMEDIATE", -1, &begin, nullptr);
        sqlite3_prepare_v2(db, "COMMIT", -1, &commit, nullptr);
        sqlite3_prepare_v2(db, del, -1, &d, nullptr);
        sqlite3_prepare_v2(db, ins, -1, &i, nullptr);
        auto text = [&](int Index, const QString& Value) {
            const QByteArray u = Value.toUtf8();
            sqlite3_bind_text(i, Index, u.constData(), int(u.size()), SQLITE_TRANSIENT);
        };
        int done = 0;
        State.ResumeTiming();
        for (int r = 1; r < lines.size(); ++r) {
            const QStringList c = lines[r].split(u';');
            sqlite3_step(begin);
            sqlite3_reset(begin);
            sqlite3_bind_int64(d, 1, c[crossings ? 1 : 0].toLongLong());
            sqlite3_step(d);
            sqlite3_reset(d);
            const QString stamp = QStringLiteral("2026-01-01 00:00:00");
            if (crossings) {
                text(1, c[0]);
                sqlite3_bind_double(i, 2, c[1].toDouble());
                text(3, c[2]);
                sqlite3_bind_int64(i, 4, c[5].toLongLong());
                sqlite3_bind_int64(i, 5, pots.value(c[3]));
                sqlite3_bind_int64(i, 6, pots.value(c[4]));
                text(7, c[6]);
                text(8, c[8]);
                text(9, stamp);
                text(10, QStringLiteral("IMPORTACAO"));
                text(11, QStringLiteral("BENCH"));
            } else {
                sqlite3_bind_int64(i, 1, c[0].toLongLong());
                for (int k = 1; k < 12; ++k)
                    text(k + 1, c[k]);
                text(13, stamp);
                text(14, QStringLiteral("IMPORTACAO"));
                text(15, QStringLiteral("BENCH"));
            }
            done += sqlite3_step(i) == SQLITE_DONE;
            sqlite3_reset(i);
            sqlite3_step(commit);
            sqlite3_reset(commit);
        }
        State.PauseTiming();
        for (sqlite3_stmt* st : {begin, commit, d, i})
            sqlite3_finalize(st);
        sqlite3_close(db);
        for (const char* suffix : {"", "-wal", "-shm"})
            QFile::remove(file + QLatin1String(suffix));
        if (done != rows) {
            State.SkipWithError("rows refused");
            return;
        }
        State.ResumeTiming();
    }
    State.counters["rows_per_s"] = benchmark::Counter(double(rows), benchmark::Counter::kIsIterationInvariantRate);
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
BENCHMARK(BM_RawImport)->Apply(Sizes);

} // namespace

int main(int argc, char** argv)
{
    return BenchMain(argc, argv, Dir);
}
