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
#include "ConsultationBench.h"
#include "UFCruza_Emasculador_Cons.h"
#include "UFCruza_Parental_Pivot_Cons.h"
#include "UFCruza_Planejado_Cons.h"
#include "UXComboBox.h"
#include "UXNumEdit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>

#include <iterator>

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

// One report window on the campaign, its choices set.
struct TProgram : TConsProgram
{
    TProgram(const QString& Path, TReport Report) : TConsProgram(Path)
    {
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
        Show();
    }
};

void BM_Atualizar(benchmark::State& State, TReport Report)
{
    TProgram p(CampaignPath(), Report);
    RunAtualizar(State, p);
}

// The statement the window runs for Report, as the layer hands it to SQLite.
QString Statement(TReport Report)
{
    static QString texts[std::size(Reports)];
    if (texts[Report].isEmpty())
        texts[Report] = TProgram(CampaignPath(), Report).BareStatement();
    return texts[Report];
}

void BM_Bare(benchmark::State& State, TReport Report)
{
    RunBare(State, CampaignPath(), Statement(Report));
}

void Explain(bool Indexed)
{
    for (TReport r : Reports)
        PrintPlan(CampaignPath(Indexed), QString::fromUtf8(ReportNames[r]) + (Indexed ? QString() : QStringLiteral(" (sem o índice das etiquetas)")),
                  Statement(r));
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
    return ConsBenchMain(argc, argv, Dir, [] {
        Explain(true);
        Explain(false);
        Register();
    });
}
