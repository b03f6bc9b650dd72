// Two stations on one campaign file in a network folder. One registers
// crossings in "Hibridação" while the other, over and over, scrolls to the end
// of "Consulta Colheita" ("Envelope Cadastrado", 60,000 envelopes: "Atualizar",
// then Ctrl+End) or of the grid of "Hibridação" (66,000 crossings: counted
// again, then Ctrl+End); and the same registrations with no reader beside
// them. Counters: registrations, those refused (any box), the median and the
// slowest registration (ms), the scrolls made meanwhile and the rows read.
//
// It needs two mounts of one folder that behave as two computers on a share,
// locks shared between them, such as the test aid shared/tools/netfs (as root):
//
//   netfs SHARE PC1 & netfs SHARE PC2 &
//   X_BENCH_SHARE=SHARE X_BENCH_STATIONS=PC1:PC2 bench_network
//
// The registering station is this program run again as
// "bench_network --station FILE COUNT [FROM]", in a process of its own (FROM:
// the free labels skipped first); several at once make a test of their own.

#include "BenchProgram.h"
#include "CampaignBuilder.h"
#include "ConsultationBench.h"
#include "UFCruzaEti_Cons.h"
#include "UFCruzaEti_Flor_Cad.h"
#include "XAdoEngine.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>

#include <algorithm>
#include <cstdio>

namespace {

std::unique_ptr<QTemporaryDir> Dir;
constexpr int Envelopes = 60000;
constexpr int Registrations = 150;

QString Share()
{
    return qEnvironmentVariable("X_BENCH_SHARE");
}

QStringList Stations()
{
    return qEnvironmentVariable("X_BENCH_STATIONS").split(u':', Qt::SkipEmptyParts);
}

// The campaign in the share, in the rollback journal as a network folder keeps it.
QString Campaign()
{
    static QString name;
    if (name.isEmpty()) {
        name = QStringLiteral("bench_network.mdb");
        const QString path = QDir(Share()).filePath(name);
        for (const char* suffix : {"", "-wal", "-shm", "-journal"})
            QFile::remove(path + QLatin1String(suffix));
        TCampaignOptions o;
        o.Labels = 72000;
        o.Crossings = 66000;
        o.Envelopes = Envelopes;
        o.DateIndex = o.LabelIndex = true;
        TCampaignBuilder::Build(path, o);
        sqlite3* db = nullptr;
        sqlite3_open(path.toUtf8().constData(), &db);
        sqlite3_exec(db, "PRAGMA journal_mode = DELETE", nullptr, nullptr, nullptr);
        sqlite3_close(db);
    }
    return name;
}

// The registering station: one line per registration, "<ms> ok <label>" or
// "<ms> refused <label> <text>", for Count free labels from the From-th on.
int Station(const QString& Path, int Count, int From = 0)
{
    TBenchProgram<TFCruzaEti_Flor_Cad> p(Path, true);   // started as the program starts
    const std::vector<TFreeLabel> all = FreeLabels(DM->Conn);
    const std::vector<TFreeLabel> free(all.begin() + qMin(From, int(all.size())),
                                       all.begin() + qMin(From + Count, int(all.size())));
    std::printf("ready\n");
    std::fflush(stdout);
    for (const auto& l : free) {
        p.Dlg.Clear();
        QElapsedTimer t;
        t.start();
        QTest::keyClick(p.W->id_emasculador, Qt::Key_Down);
        QTest::keyClick(p.W->id_emasculador, Qt::Key_Return);
        QTest::keyClick(p.W->reverso, Qt::Key_Return);
        Type(TCampaignBuilder::Barcode(l.Mother, false));
        Type(TCampaignBuilder::Barcode(l.Father, false));
        Type(TCampaignBuilder::Barcode(l.Number, false));
        QCoreApplication::processEvents();
        const double ms = double(t.nsecsElapsed()) / 1e6;
        if (p.Dlg.Count())
            std::printf("%.3f refused %lld %s\n", ms, l.Number, qPrintable(p.Dlg.Texts().join(u'|').simplified()));
        else
            std::printf("%.3f ok %lld\n", ms, l.Number);
        std::fflush(stdout);
        if (p.Dlg.Count())
            p.W->Reset_Entry();
    }
    return 0;
}

// What the reading station does, over and over, while the other registers.
enum class TReader { None, Consultation, Grid };

void BesideAReader(benchmark::State& State, TReader Reads)
{
    if (Share().isEmpty() || Stations().size() < 2) {
        State.SkipWithError("set X_BENCH_SHARE and X_BENCH_STATIONS (two mounts of it as two computers)");
        return;
    }
    const QString name = Campaign();
    const QString reading = QDir(Stations()[0]).filePath(name);
    const QString writing = QDir(Stations()[1]).filePath(name);
    // "Consulta Colheita", a sorted statement read whole at "Atualizar"; or the
    // grid of "Hibridação" (66,000 crossings, read in key order), counted again and scrolled.
    std::unique_ptr<TConsProgram> consultation;
    std::unique_ptr<TBenchProgram<TFCruzaEti_Flor_Cad>> grid;
    std::function<void()> scroll;
    if (Reads == TReader::Consultation) {
        consultation = std::make_unique<TConsProgram>(reading);
        consultation->W = new TFCruzaEti_Cons(nullptr);
        consultation->Show();
        static_cast<TFCruzaEti_Cons*>(consultation->W)->RGFiltro->SetItemIndex(1);
        scroll = [&] {
            consultation->W->BConfirmClick();
            QTest::keyClick(consultation->W->GCons, Qt::Key_End, Qt::ControlModifier);
        };
    } else if (Reads == TReader::Grid) {
        grid = std::make_unique<TBenchProgram<TFCruzaEti_Flor_Cad>>(reading);
        scroll = [&] {
            grid->W->QGrid->Requery();
            QTest::keyClick(grid->W->GCad, Qt::Key_End, Qt::ControlModifier);
        };
    }
    std::vector<double> times;
    int refused = 0, scrolls = 0;
    QString firstRefusal;
    for (auto _ : State) {
        QProcess station;
        station.start(QCoreApplication::applicationFilePath(),
                      {QStringLiteral("--station"), writing, QString::number(Registrations)});
        station.waitForReadyRead(600000);   // its free labels found
        station.readLine();
        while (station.state() != QProcess::NotRunning) {
            if (scroll) {
                scroll();
                ++scrolls;
            }
            station.waitForFinished(scroll ? 0 : 100);
        }
        station.waitForFinished(-1);
        for (const QByteArray& line : station.readAllStandardOutput().split('\n')) {
            const QList<QByteArray> parts = line.split(' ');
            if (parts.size() < 2)
                continue;
            times.push_back(parts[0].toDouble());
            if (parts[1] == "refused") {
                ++refused;
                if (firstRefusal.isEmpty())
                    firstRefusal = QString::fromUtf8(line);
            }
        }
    }
    std::sort(times.begin(), times.end());
    State.counters["registrations"] = double(times.size());
    State.counters["refused"] = refused;
    State.counters["median_ms"] = times.empty() ? 0 : times[times.size() / 2];
    State.counters["slowest_ms"] = times.empty() ? 0 : times.back();
    State.counters["scrolls"] = scrolls;
    if (!firstRefusal.isEmpty())
        std::fprintf(stderr, "first refusal: %s\n", qPrintable(firstRefusal));
    if (consultation)
        State.counters["rows"] = consultation->W->Q->RecordCount();
    if (grid)
        State.counters["rows"] = grid->W->QGrid->RecordCount();
}

void BM_RegisterAlone(benchmark::State& State)
{
    BesideAReader(State, TReader::None);
}

void BM_RegisterBesideAConsultation(benchmark::State& State)
{
    BesideAReader(State, TReader::Consultation);
}

void BM_RegisterBesideAGrid(benchmark::State& State)
{
    BesideAReader(State, TReader::Grid);
}

BENCHMARK(BM_RegisterAlone)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RegisterBesideAConsultation)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RegisterBesideAGrid)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    if ((argc == 4 || argc == 5) && QByteArray(argv[1]) == "--station") {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        QApplication app(argc, argv);
        return Station(QString::fromLocal8Bit(argv[2]), QByteArray(argv[3]).toInt(), argc == 5 ? QByteArray(argv[4]).toInt() : 0);
    }
    return BenchMain(argc, argv, Dir);
}
