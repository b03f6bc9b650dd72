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

#include "BenchSqlite.h"
#include "BenchUtil.h"
#include "CampaignBuilder.h"
#include "ConsultationBench.h"
#include "UFCruzaEti_Cons.h"
#include "UFCruzaParental_Cons.h"
#include "UXXLS.h"
#include "XStringGrid.h"

#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>

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

// One consultation window on the campaign, its view chosen.
struct TProgram : TConsProgram
{
    TProgram(const QString& Path, TView View) : TConsProgram(Path)
    {
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
        Show();
    }
};

void BM_Atualizar(benchmark::State& State, TView View, bool Indexed)
{
    TProgram p(CampaignPath(Indexed), View);
    RunAtualizar(State, p);
}

// The statement the window runs for View, as the layer hands it to SQLite.
QString Statement(TView View)
{
    return TProgram(CampaignPath(true), View).BareStatement();
}

void BM_Bare(benchmark::State& State, TView View, bool Indexed)
{
    RunBare(State, CampaignPath(Indexed), Statement(View));
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
    for (TView v : {Resumo, Envelope, ParentalAll, ParentalEither, ParentalBoth})
        PrintPlan(CampaignPath(Indexed), QString::fromLatin1(ViewNames[v]) + (Indexed ? QStringLiteral(" (indexed)") : QString()),
                  Statement(v));
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
    return ConsBenchMain(argc, argv, Dir, [] {
        Explain(false);
        Explain(true);
        Register();
    });
}
