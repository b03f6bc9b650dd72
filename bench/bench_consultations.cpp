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
// Then a campaign of 10,000 and of 100,000 labels without those indexes that
// the user may only read ("SomenteLeitura"), beside the same file writable
// once the program connected to it ("Gravavel": write-ahead log, indexes):
// the program's connection (structure check; for the read-only file, its copy
// in memory and the indexes made there) with the resident set it adds and its
// peak, and "Atualizar" of the five consultations. The ratios of the medians
// follow the table. Root may write any file: run as root, the program goes on
// as the unprivileged user "nobody" (65534).
//
//   bench_consultations --benchmark_repetitions=5 --benchmark_report_aggregates_only=true

#include "BenchSqlite.h"
#include "BenchUtil.h"
#include "CampaignBuilder.h"
#include "ConsultationBench.h"
#include "UFCruzaEti_Cons.h"
#include "UFCruzaParental_Cons.h"
#include "UFCruza_Emasculador_Cons.h"
#include "UFCruza_Parental_Pivot_Cons.h"
#include "UFCruza_Planejado_Cons.h"
#include "UXXLS.h"
#include "XAdoEngine.h"
#include "XStringGrid.h"

#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QMap>

#include <sys/prctl.h>
#include <unistd.h>

namespace {

std::unique_ptr<QTemporaryDir> Dir;

enum TView { Resumo, Envelope, ParentalAll, ParentalEither, ParentalBoth, Realizado, Sintetico, Pivot };
const char* const ViewNames[] = {"Resumo", "Envelope", "ParentalTodos", "ParentalMaeOuPai", "ParentalAmbos",
                                 "PlanejadoRealizado", "EmasculadorSintetico", "ResumoParental"};

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

// One consultation window on the campaign, its view chosen; StartUp: connected
// as the program's start-up does.
struct TProgram : TConsProgram
{
    TProgram(const QString& Path, TView View, bool StartUp = false) : TConsProgram(Path, StartUp)
    {
        if (View == Realizado) {
            W = new TFCruza_Planejado_Cons(nullptr);
        } else if (View == Sintetico) {
            W = new TFCruza_Emasculador_Cons(nullptr);
        } else if (View == Pivot) {
            W = new TFCruza_Parental_Pivot_Cons(nullptr);
        } else if (View == Resumo || View == Envelope) {
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

// The campaign of Labels labels without the look-up indexes, as the schema
// code makes it: read-only, or writable and connected to once by the program.
QString SizedCampaign(int Labels, bool ReadOnly)
{
    static QMap<int, QString> plain, copies[2];
    if (copies[ReadOnly].contains(Labels))
        return copies[ReadOnly][Labels];
    if (Labels == 100000)
        plain[Labels] = CampaignPath(false);
    if (!plain.contains(Labels)) {
        TCampaignOptions o;
        o.Labels = Labels;
        o.Crossings = Labels;
        o.Envelopes = Labels / 2;
        o.EnvelopesWithoutCrossing = Labels / 100;
        plain[Labels] = Dir->filePath(QStringLiteral("campanha%1.mdb").arg(Labels));
        std::fprintf(stderr, "%s\n", qPrintable(TCampaignBuilder::Build(plain[Labels], o).Describe()));
    }
    const QString path = Dir->filePath(QStringLiteral("%1%2.mdb").arg(ReadOnly ? "leitura" : "gravavel").arg(Labels));
    QFile::copy(plain[Labels], path);
    if (ReadOnly) {
        QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther);
    } else {
        TBenchHost connectedOnce(path, true);
    }
    return copies[ReadOnly][Labels] = path;
}

std::string SizedName(const char* What, bool ReadOnly, int Labels)
{
    return std::string(ReadOnly ? "SomenteLeitura/" : "Gravavel/") + What + "/" + std::to_string(Labels);
}

// The program's connection to the campaign, the start-up's structure check
// and indexes included; the resident set it adds (held, and at its peak).
void BM_Connect(benchmark::State& State, int Labels, bool ReadOnly)
{
    const QString path = SizedCampaign(Labels, ReadOnly);
    double held = 0, peak = 0, copy = 0;
    for (auto _ : State) {
        State.PauseTiming();
        malloc_trim(0);
        ResetPeakRss();
        const double before = StatusMB("VmRSS");
        State.ResumeTiming();
        auto host = std::make_unique<TBenchHost>(path, true);
        State.PauseTiming();
        held = StatusMB("VmRSS") - before;
        peak = StatusMB("VmHWM") - before;
        XAdo::Engine* e = DM->Conn->Engine();
        if (ReadOnly != e->InMemory() || !host->Dlg.Texts().isEmpty())
            State.SkipWithError(qPrintable(host->Dlg.Texts().join(u'|') + QStringLiteral(" in memory: %1").arg(e->InMemory())));
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(e->Db(), "SELECT page_count * page_size FROM pragma_page_count, pragma_page_size", -1, &st, nullptr);
        if (sqlite3_step(st) == SQLITE_ROW)
            copy = double(sqlite3_column_int64(st, 0)) / (1024.0 * 1024.0);
        sqlite3_finalize(st);
        host.reset();
        State.ResumeTiming();
    }
    State.counters["file_MB"] = double(QFileInfo(path).size()) / (1024.0 * 1024.0);
    State.counters["db_MB"] = copy;
    State.counters["rss_held_MB"] = held;
    State.counters["rss_peak_MB"] = peak;
}

void BM_SizedAtualizar(benchmark::State& State, TView View, int Labels, bool ReadOnly)
{
    TProgram p(SizedCampaign(Labels, ReadOnly), View, true);
    if (ReadOnly != DM->Conn->Engine()->InMemory()) {
        State.SkipWithError("the read-only campaign is not in memory");
        return;
    }
    RunAtualizar(State, p);
}

void RegisterSized()
{
    for (int labels : {10000, 100000})
        for (bool readOnly : {true, false}) {
            benchmark::RegisterBenchmark(SizedName("Conectar", readOnly, labels).c_str(), BM_Connect, labels, readOnly)
                ->Unit(benchmark::kMillisecond)->UseRealTime();
            for (TView v : {Resumo, Envelope, ParentalAll, Realizado, Sintetico, Pivot})
                benchmark::RegisterBenchmark(SizedName((std::string("Atualizar/") + ViewNames[v]).c_str(), readOnly, labels).c_str(),
                                             BM_SizedAtualizar, v, labels, readOnly)
                    ->Unit(benchmark::kMillisecond)->UseRealTime();
        }
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
    RegisterSized();
}

} // namespace

int main(int argc, char** argv)
{
    if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) {
        std::perror("setuid");
        return 1;
    }
    // Its own /proc files again (the change of user gave them to root): the peak resident set is reset there.
    prctl(PR_SET_DUMPABLE, 1);
    MedianRatioReporter reporter({std::pair<std::string, std::string>("SomenteLeitura/", "Gravavel/")});
    return BenchMain(argc, argv, Dir, &reporter, [] {
        Explain(false);
        Explain(true);
        Register();
    });
}
