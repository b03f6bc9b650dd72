// "Atualizar" of the harvest consultation (summary and envelope views) and
// of the parental filter (every planned crossing; a list of pots as mother
// or father; as both) on a campaign of 100,000 labels, 100,000 crossings and
// 50,000 envelopes, made as the program's schema makes it: the query set
// up, opened and counted, and the first page of the grid painted offscreen.
// Beside each, in the same run, the bare statement on raw SQLite (the text
// the layer prepares, every row stepped and every column read). Then the
// same on a copy with the indexes the program adds when it connects (the
// label number; Cruza.DUPD descending), and the export of the largest view
// (on that copy) with the peak resident set. The query plans go to stderr.
//
//   bench_consultations --benchmark_repetitions=5 --benchmark_report_aggregates_only=true

#include "BenchUtil.h"
#include "CampaignBuilder.h"
#include "UAppConfig.h"
#include "UDM.h"
#include "UFCruzaEti_Cons.h"
#include "UFCruzaParental_Cons.h"
#include "UFMain.h"
#include "UXXLS.h"
#include "XAdo.h"
#include "XDBGrid.h"
#include "XDialogs.h"
#include "XFileDialogs.h"
#include "XJetSql.h"
#include "XStringGrid.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLineEdit>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdio>
#include <memory>

namespace {

std::unique_ptr<QTemporaryDir> Dir;

enum TView { Resumo, Envelope, ParentalAll, ParentalEither, ParentalBoth };
const char* const ViewNames[] = {"Resumo", "Envelope", "ParentalTodos", "ParentalMaeOuPai", "ParentalAmbos"};

// The campaign, built once; the indexed copy made from it.
QString CampaignPath(bool Indexed)
{
    static QString plain, indexed;
    if (plain.isEmpty()) {
        TCampaignOptions o;
        o.Labels = 100000;
        o.Crossings = 100000;
        o.Envelopes = 50000;
        o.EnvelopesWithoutCrossing = 1000;
        o.LabelIndex = false;
        o.DateIndex = false;
        plain = Dir->filePath(QStringLiteral("campanha.mdb"));
        const TCampaignInfo info = TCampaignBuilder::Build(plain, o);
        std::fprintf(stderr, "%s; %d envelopes\n", qPrintable(info.Describe()), info.Envelopes);
    }
    if (Indexed && indexed.isEmpty()) {
        indexed = Dir->filePath(QStringLiteral("campanha_ix.mdb"));
        QFile::copy(plain, indexed);
        TADOConnection c;
        c.setConnectionString(QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=") + indexed);
        c.Open();
        TCampaignBuilder::Exec(&c, QStringLiteral("CREATE INDEX IX_Etiqueta_Cruza_NC_REP ON Etiqueta_Cruza (NC_REP)"));
        TCampaignBuilder::Exec(&c, QStringLiteral("CREATE INDEX IX_Cruza_DUPD ON Cruza (DUPD DESC)"));
    }
    return Indexed ? indexed : plain;
}

// The program around one consultation window: main window, data module on
// the campaign, configuration loaded, boxes and file dialogs recorded.
struct TProgram
{
    TDlgRecorder Dlg;
    TFileDialogRecorder Files;
    TFBCons* W = nullptr;

    TProgram(const QString& Path, TView View)
    {
        new TFMain;
        DM = new TDM;
        DM->Conn->setConnectionString(QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=") + Path);
        DM->Conn->Open();
        FMain->AppConfig->SetConnection(DM->Conn);
        FMain->AppConfig->Load(true);
        if (View == Resumo || View == Envelope) {
            auto* w = new TFCruzaEti_Cons(nullptr);
            w->RGFiltro->SetItemIndex(View == Envelope ? 1 : 0);
            W = w;
        } else {
            auto* w = new TFCruzaParental_Cons(nullptr);
            W = w;
            w->show();
            // The parents of the first five planned crossings, entered as the user does.
            QStringList pots;
            if (View != ParentalAll) {
                TADOQuery q;
                q.setConnection(DM->Conn);
                q.SQL.setText(QStringLiteral("SELECT id_vaso_mae, id_vaso_pai FROM Planejamento_Cruza WHERE nc <= 10005"));
                for (q.Open(); !q.Eof(); q.Next())
                    for (int f = 0; f < 2; ++f)
                        if (!pots.contains(q.Fields(f)->AsString()))
                            pots << q.Fields(f)->AsString();
            }
            for (const QString& pot : pots) {
                w->efiltro->setText(pot);
                w->BInsClick();
            }
            w->CBParental->setCurrentIndex(View == ParentalBoth ? 3 : 0);
        }
        W->resize(1200, 800);
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
};

// The grid's first page as the screen would show it.
void PaintFirstPage(TDBGrid* Grid, QImage& Image)
{
    QPainter painter(&Image);
    Grid->render(&painter);
}

void BM_Atualizar(benchmark::State& State, TView View, bool Indexed)
{
    TProgram p(CampaignPath(Indexed), View);
    QImage image(p.W->GCons->size(), QImage::Format_ARGB32_Premultiplied);
    for (auto _ : State) {
        p.W->BConfirmClick();
        PaintFirstPage(p.W->GCons, image);
    }
    if (p.Dlg.Count())
        State.SkipWithError(qPrintable(p.Dlg.Texts().join(u'|')));
    State.counters["rows"] = p.W->Q->RecordCount();
}

// The statement the window runs for View, as the layer hands it to SQLite.
QString Statement(TView View)
{
    TProgram p(CampaignPath(true), View);
    p.W->BConfirmClick();
    return JetSql::RewriteStatement(p.W->Q->SQL.Text());
}

int StepAll(sqlite3_stmt* S)
{
    int rows = 0;
    const int cols = sqlite3_column_count(S);
    while (sqlite3_step(S) == SQLITE_ROW) {
        for (int c = 0; c < cols; ++c) {
            switch (sqlite3_column_type(S, c)) {
            case SQLITE_INTEGER: benchmark::DoNotOptimize(sqlite3_column_int64(S, c)); break;
            case SQLITE_FLOAT: benchmark::DoNotOptimize(sqlite3_column_double(S, c)); break;
            case SQLITE_TEXT: benchmark::DoNotOptimize(sqlite3_column_text(S, c)); break;
            default: break;
            }
        }
        ++rows;
    }
    sqlite3_reset(S);
    return rows;
}

void BM_Bare(benchmark::State& State, TView View, bool Indexed)
{
    const QByteArray sql = Statement(View).toUtf8();
    sqlite3* db = nullptr;
    sqlite3_open_v2(CampaignPath(Indexed).toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* s = nullptr;
    if (sqlite3_prepare_v2(db, sql.constData(), -1, &s, nullptr) != SQLITE_OK) {
        State.SkipWithError(sqlite3_errmsg(db));
        sqlite3_close(db);
        return;
    }
    int rows = 0;
    for (auto _ : State)
        rows = StepAll(s);
    State.counters["rows"] = rows;
    sqlite3_finalize(s);
    sqlite3_close(db);
}

void BM_ExportEnvelope(benchmark::State& State)
{
    TProgram p(CampaignPath(true), Envelope);
    p.W->BConfirmClick();
    const double rssBefore = PeakRssMB();
    int n = 0;
    double fileMB = 0;
    for (auto _ : State) {
        const QString file = Dir->filePath(QStringLiteral("envelopes%1.xls").arg(++n));
        p.Files.Answer(file);
        p.W->BExportarClick();
        fileMB = double(QFileInfo(file).size()) / (1024.0 * 1024.0);
        QFile::remove(file);
    }
    if (p.Dlg.Count() != n)
        State.SkipWithError(qPrintable(p.Dlg.Texts().join(u'|')));
    State.counters["rows"] = p.W->Q->RecordCount();
    State.counters["file_MB"] = fileMB;
    State.counters["peak_rss_before_MB"] = rssBefore;
    State.counters["peak_rss_MB"] = PeakRssMB();
}

void Explain(bool Indexed)
{
    sqlite3* db = nullptr;
    sqlite3_open_v2(CampaignPath(Indexed).toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    for (TView v : {Resumo, Envelope, ParentalAll, ParentalEither, ParentalBoth}) {
        const QByteArray sql = "EXPLAIN QUERY PLAN " + Statement(v).toUtf8();
        sqlite3_stmt* s = nullptr;
        sqlite3_prepare_v2(db, sql.constData(), -1, &s, nullptr);
        std::fprintf(stderr, "-- %s%s\n", ViewNames[v], Indexed ? " (indexed)" : "");
        while (s && sqlite3_step(s) == SQLITE_ROW)
            std::fprintf(stderr, "   %d %d %s\n", sqlite3_column_int(s, 0), sqlite3_column_int(s, 1),
                         reinterpret_cast<const char*>(sqlite3_column_text(s, 3)));
        sqlite3_finalize(s);
    }
    sqlite3_close(db);
}

void Register()
{
    // Without the label-number index the harvest views read every label for
    // each crossing (see their plans): minutes a run, so only on request.
    const bool slow = qEnvironmentVariableIsSet("BENCH_HARVEST_UNINDEXED");
    for (bool indexed : {false, true})
        for (TView v : {Resumo, Envelope, ParentalAll, ParentalEither, ParentalBoth}) {
            if (!indexed && v <= Envelope && !slow)
                continue;
            const std::string suffix = std::string(ViewNames[v]) + (indexed ? "/indexado" : "");
            benchmark::RegisterBenchmark(("Atualizar/" + suffix).c_str(), BM_Atualizar, v, indexed)
                ->Unit(benchmark::kMillisecond)->UseRealTime();
            benchmark::RegisterBenchmark(("Bare/" + suffix).c_str(), BM_Bare, v, indexed)
                ->Unit(benchmark::kMillisecond)->UseRealTime();
        }
    benchmark::RegisterBenchmark("Exportar/Envelope", BM_ExportEnvelope)->Unit(benchmark::kMillisecond)->Iterations(1);
}

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
    Explain(false);
    Explain(true);
    Register();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    Dir.reset();
    return 0;
}
