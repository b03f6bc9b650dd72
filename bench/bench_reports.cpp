// "Atualizar" of the planned-versus-realised consultation (harvest per
// crossing; crossing book), of the executor report (summary; one line per
// event; the detail for one month and one executor) and of the parental
// summary (every plan; one plan; threshold 1) on a campaign of 100,000
// labels, 100,000 crossings and 50,000 envelopes: the query set up, opened
// and counted, and the grid's first page painted offscreen. Beside each, in
// the same run, the bare statement on raw SQLite (the text the layer
// prepares, every row stepped and every column read). The campaign carries
// the look-up indexes the program adds when it connects (the label number
// on Etiqueta_Cruza, Cruza.DUPD): without the label index "Realizado" joins
// every current crossing with a full scan of the labels (see the plans on
// stderr, printed for both files) and does not finish in minutes.
//
//   bench_reports --benchmark_repetitions=5 --benchmark_report_aggregates_only=true

#include "CampaignBuilder.h"
#include "UAppConfig.h"
#include "UDM.h"
#include "UFCruza_Emasculador_Cons.h"
#include "UFCruza_Parental_Pivot_Cons.h"
#include "UFCruza_Planejado_Cons.h"
#include "UFMain.h"
#include "UXComboBox.h"
#include "UXNumEdit.h"
#include "XAdo.h"
#include "XDBGrid.h"
#include "XDialogs.h"
#include "XJetSql.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdio>
#include <iterator>
#include <memory>

namespace {

std::unique_ptr<QTemporaryDir> Dir;

enum TReport { Realizado, Livro, Sintetico, Analitico, AnaliticoMes, Resumo, ResumoPlano, ResumoLimite1 };
const char* const ReportNames[] = {"Planejado/Realizado", "Planejado/LivroCruza", "Emasculador/Sintetico",
                                   "Emasculador/Analitico", "Emasculador/AnaliticoMesExecutor", "Pivot/Todos",
                                   "Pivot/UmPlano", "Pivot/Limite1"};
const TReport Reports[] = {Realizado, Livro, Sintetico, Analitico, AnaliticoMes, Resumo, ResumoPlano, ResumoLimite1};

QString CampaignPath(bool Indexed = true)
{
    static QString paths[2];
    QString& path = paths[Indexed];
    if (path.isEmpty()) {
        TCampaignOptions o;
        o.Labels = 100000;
        o.Crossings = 100000;
        o.Envelopes = 50000;
        o.EnvelopesWithoutCrossing = 1000;
        o.LabelIndex = Indexed;
        o.DateIndex = Indexed;
        path = Dir->filePath(Indexed ? QStringLiteral("indexada.mdb") : QStringLiteral("campanha.mdb"));
        const TCampaignInfo info = TCampaignBuilder::Build(path, o);
        std::fprintf(stderr, "%s; %d envelopes\n", qPrintable(info.Describe()), info.Envelopes);
    }
    return path;
}

// The program around one report window: main window, data module on the
// campaign, configuration loaded, the window shown with its choices set.
struct TProgram
{
    TDlgRecorder Dlg;
    TFBCons* W = nullptr;

    TProgram(const QString& Path, TReport Report)
    {
        new TFMain;
        DM = new TDM;
        DM->Conn->setConnectionString(QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=") + Path);
        DM->Conn->Open();
        FMain->AppConfig->SetConnection(DM->Conn);
        FMain->AppConfig->Load(true);
        switch (Report) {
        case Realizado:
        case Livro: {
            auto* w = new TFCruza_Planejado_Cons(nullptr);
            w->RGFiltro->SetItemIndex(Report == Livro ? 1 : 0);
            W = w;
            break;
        }
        case Sintetico:
        case Analitico:
        case AnaliticoMes: {
            auto* w = new TFCruza_Emasculador_Cons(nullptr);
            W = w;
            w->show();
            w->RGFiltro->SetItemIndex(Report == Sintetico ? 0 : 1);
            if (Report == AnaliticoMes) {
                // The builder's crossings start on 2024-10-02, two minutes apart or so.
                w->ckfiltro->click();
                w->datai->setDate(QDate(2024, 10, 10));
                w->dataf->setDate(QDate(2024, 11, 9));
                w->id_emasculador->setCurrentIndex(2);
            }
            break;
        }
        case Resumo:
        case ResumoPlano:
        case ResumoLimite1: {
            auto* w = new TFCruza_Parental_Pivot_Cons(nullptr);
            W = w;
            w->show();
            if (Report == ResumoPlano)
                w->id_planejamento->setCurrentIndex(1);
            if (Report == ResumoLimite1)
                w->nviavel->SetValue(1);
            break;
        }
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

void BM_Atualizar(benchmark::State& State, TReport Report)
{
    TProgram p(CampaignPath(), Report);
    QImage image(p.W->GCons->size(), QImage::Format_ARGB32_Premultiplied);
    for (auto _ : State) {
        p.W->BConfirmClick();
        QPainter painter(&image);
        p.W->GCons->render(&painter);
    }
    if (p.Dlg.Count())
        State.SkipWithError(qPrintable(p.Dlg.Texts().join(u'|')));
    State.counters["rows"] = p.W->Q->RecordCount();
}

// The statement the window runs for Report, as the layer hands it to SQLite.
QString Statement(TReport Report)
{
    static QString texts[std::size(Reports)];
    if (texts[Report].isEmpty()) {
        TProgram p(CampaignPath(), Report);
        p.W->BConfirmClick();
        texts[Report] = JetSql::RewriteStatement(p.W->Q->SQL.Text());
    }
    return texts[Report];
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

void BM_Bare(benchmark::State& State, TReport Report)
{
    const QByteArray sql = Statement(Report).toUtf8();
    sqlite3* db = nullptr;
    sqlite3_open_v2(CampaignPath().toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);
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

void Explain(bool Indexed)
{
    sqlite3* db = nullptr;
    sqlite3_open_v2(CampaignPath(Indexed).toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    for (TReport r : Reports) {
        const QByteArray sql = "EXPLAIN QUERY PLAN " + Statement(r).toUtf8();
        sqlite3_stmt* s = nullptr;
        sqlite3_prepare_v2(db, sql.constData(), -1, &s, nullptr);
        std::fprintf(stderr, "-- %s%s\n", ReportNames[r], Indexed ? "" : " (sem o índice das etiquetas)");
        while (s && sqlite3_step(s) == SQLITE_ROW)
            std::fprintf(stderr, "   %d %d %s\n", sqlite3_column_int(s, 0), sqlite3_column_int(s, 1),
                         reinterpret_cast<const char*>(sqlite3_column_text(s, 3)));
        sqlite3_finalize(s);
    }
    sqlite3_close(db);
}

void Register()
{
    for (TReport r : Reports) {
        benchmark::RegisterBenchmark((std::string("Atualizar/") + ReportNames[r]).c_str(), BM_Atualizar, r)
            ->Unit(benchmark::kMillisecond)->UseRealTime();
        benchmark::RegisterBenchmark((std::string("Bare/") + ReportNames[r]).c_str(), BM_Bare, r)
            ->Unit(benchmark::kMillisecond)->UseRealTime();
    }
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
    Explain(true);
    Explain(false);
    Register();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    Dir.reset();
    return 0;
}
