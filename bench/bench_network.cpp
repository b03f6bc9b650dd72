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
// "bench_network --station FILE COUNT [FROM [PAUSE]]", in a process of its own
// (FROM: the free labels skipped first; PAUSE: ms between two registrations);
// several at once make a test of their own. It stops when its input is closed.
//
// BM_GridBesideWriteOffs: the grid of "Hibridação" on the first computer,
// re-queried, Ctrl+Home, then Ctrl+End once the second computer (run as
// "bench_network --writeoff FILE NEWEST COUNT") wrote off 8 live crossings
// among the 128 newest (the newest and the 64th newest, where the grid's
// first read stopped, among them), 100 times over, while the share's own
// computer registers a crossing every 250 ms. Per read, to stderr and summed
// in the counters: the rows the grid shows, those shown twice, the rows older
// than its first that it misses, and reads whose "Registros" is not the
// crossings shown; then the registrations' times.

#include "BenchProgram.h"
#include "CampaignBuilder.h"
#include "ConsultationBench.h"
#include "UFCruzaEti_Cons.h"
#include "UFCruzaEti_Flor_Cad.h"
#include "UFScanCad.h"
#include "XAdoEngine.h"
#include "XDBGrid.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QLabel>
#include <QProcess>

#include <poll.h>

#include <algorithm>
#include <cstdio>
#include <random>
#include <set>

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

// The parent closed this station's input, waited for up to Ms.
bool Stopped(int Ms = 0)
{
    pollfd in{0, POLLIN, 0};
    return ::poll(&in, 1, Ms) > 0;
}

// The registering station: one line per registration, "<ms> ok <label>" or
// "<ms> refused <label> <text>", for Count free labels from the From-th on,
// Pause ms between two.
int Station(const QString& Path, int Count, int From = 0, int Pause = 0)
{
    TBenchProgram<TFCruzaEti_Flor_Cad> p(Path, true);   // started as the program starts
    const std::vector<TFreeLabel> all = FreeLabels(DM->Conn);
    const std::vector<TFreeLabel> free(all.begin() + qMin(From, int(all.size())),
                                       all.begin() + qMin(From + Count, int(all.size())));
    std::printf("ready\n");
    std::fflush(stdout);
    for (const auto& l : free) {
        if (Stopped(&l == free.data() ? 0 : Pause))
            break;
        p.Dlg.Clear();
        QElapsedTimer t;
        t.start();
        ScanFlower(p.W, l);
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

// The writing-off station: at each line of its input, up to Count live
// crossings written off one at a time with the write-off window's statement:
// the newest, the FirstPage-th newest (where a grid's first read stops), and
// others at random among the older ones of the Newest newest; a line each,
// "<ms> ok|missed <label>", then "done".
constexpr int FirstPage = 64;

int WriteOffStation(const QString& Path, int Newest, int Count)
{
    TBenchHost p(Path, true);
    std::mt19937 rnd(7);
    std::printf("ready\n");
    std::fflush(stdout);
    char line[16];
    while (std::fgets(line, sizeof line, stdin)) {
        std::vector<std::pair<qint64, int>> live, older;
        {
            TADOQuery q;
            q.setConnection(DM->Conn);
            q.SQL.setText(QStringLiteral("SELECT nc_rep, seq, status FROM Cruza ORDER BY dupd DESC LIMIT %1").arg(Newest));
            q.Open();
            for (int n = 1; !q.Eof(); q.Next(), ++n) {
                const std::pair<qint64, int> id(q.Fields(0)->AsLargeInt(), q.Fields(1)->AsInteger());
                if (q.Fields(2)->AsString() == QLatin1String("X"))
                    continue;
                if (n > FirstPage)
                    older.push_back(id);
                else if (live.empty() || n == FirstPage)
                    live.push_back(id);
            }
        }
        std::shuffle(older.begin(), older.end(), rnd);
        live.insert(live.end(), older.begin(), older.end());
        live.resize(std::min(live.size(), size_t(Count)));
        for (const auto& [label, seq] : live) {
            QElapsedTimer t;
            t.start();
            const int n = TCampaignBuilder::Exec(
                DM->Conn, QStringLiteral("UPDATE Cruza SET id_usua_baixa = 1, x_dupd = '%1', x_cmaq = 'PC2', status = 'X', "
                                         "id_cruza = -id_cruza WHERE ((nc_rep = %2) AND (seq = %3)) AND (status <> 'X')")
                              .arg(NowStr())
                              .arg(label)
                              .arg(seq));
            std::printf("%.3f %s %lld\n", double(t.nsecsElapsed()) / 1e6, n == 1 ? "ok" : "missed", label);
        }
        std::printf("done\n");
        std::fflush(stdout);
    }
    return 0;
}

// The registrations of a station's output, "<ms> ok|refused ..." lines.
struct TRegistrations
{
    std::vector<double> Times;
    int Refused = 0;
    QString FirstRefusal;

    void Read(const QByteArray& Output)
    {
        for (const QByteArray& line : Output.split('\n')) {
            const QList<QByteArray> parts = line.split(' ');
            if (parts.size() < 2)
                continue;
            Times.push_back(parts[0].toDouble());
            if (parts[1] == "refused" && Refused++ == 0)
                FirstRefusal = QString::fromUtf8(line);
        }
    }
    void Report(benchmark::State& State)
    {
        std::sort(Times.begin(), Times.end());
        State.counters["registrations"] = double(Times.size());
        State.counters["refused"] = Refused;
        State.counters["median_ms"] = Times.empty() ? 0 : Times[Times.size() / 2];
        State.counters["p90_ms"] = Times.empty() ? 0 : Times[Times.size() * 9 / 10];
        State.counters["slowest_ms"] = Times.empty() ? 0 : Times.back();
        if (!FirstRefusal.isEmpty())
            std::fprintf(stderr, "first refusal: %s\n", qPrintable(FirstRefusal));
    }
};

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
    TRegistrations registrations;
    int scrolls = 0;
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
        registrations.Read(station.readAllStandardOutput());
    }
    registrations.Report(State);
    State.counters["scrolls"] = scrolls;
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

constexpr int Reads = 100;
// Crossings written off before each Ctrl+End, among the newest: the grid's first two pages.
constexpr int WriteOffs = 8;
constexpr int Newest = 128;
constexpr int RegistrationPause = 250;

void BM_GridBesideWriteOffs(benchmark::State& State)
{
    if (Share().isEmpty() || Stations().size() < 2) {
        State.SkipWithError("set X_BENCH_SHARE and X_BENCH_STATIONS (two mounts of it as two computers)");
        return;
    }
    const QString name = Campaign();
    QProcess writer, station;
    writer.start(QCoreApplication::applicationFilePath(),
                 {QStringLiteral("--writeoff"), QDir(Stations()[1]).filePath(name), QString::number(Newest),
                  QString::number(WriteOffs)});
    station.start(QCoreApplication::applicationFilePath(),
                  {QStringLiteral("--station"), QDir(Share()).filePath(name), QStringLiteral("100000"), QStringLiteral("0"),
                   QString::number(RegistrationPause)});
    for (QProcess* p : {&writer, &station}) {
        while (!p->canReadLine() && p->waitForReadyRead(600000)) {
        }
        p->readLine();
    }
    TBenchProgram<TFCruzaEti_Flor_Cad> grid{QDir(Stations()[0]).filePath(name)};
    TFScanCad* w = grid.W;
    auto text = [&](int RecNo, const char* Field) { return w->GCad->FieldText(RecNo, QLatin1String(Field)); };
    int writeOffs = 0;
    double twiceSum = 0, blankSum = 0, missing = 0, countOff = 0, shown = 0, inFile = 0;
    std::vector<double> requeryMs, endMs;
    for (auto _ : State)
        for (int read = 1; read <= Reads; ++read) {
            QElapsedTimer t;
            t.start();
            w->Refresh_Grid();
            requeryMs.push_back(double(t.nsecsElapsed()) / 1e6);
            QTest::keyClick(w->GCad, Qt::Key_Home, Qt::ControlModifier);
            writer.write("go\n");
            for (QByteArray line; !line.startsWith("done");) {
                while (!writer.canReadLine() && writer.waitForReadyRead(600000)) {
                }
                line = writer.readLine();
                writeOffs += line.contains(" ok ");
            }
            t.restart();
            QTest::keyClick(w->GCad, Qt::Key_End, Qt::ControlModifier);
            QCoreApplication::processEvents();   // the grid follows the rows read
            endMs.push_back(double(t.nsecsElapsed()) / 1e6);
            // Registrations come on top while the grid reads, so those of its first row's second are left out.
            const int rows = w->GCad->DataModel()->rowCount();
            const QString top = text(1, "dupd");
            std::set<std::pair<QString, QString>> ids, older;
            int blank = 0;
            for (int r = 1; r <= rows; ++r) {
                const std::pair<QString, QString> id(text(r, "nc_rep"), text(r, "seq"));
                if (id.first.isEmpty()) {
                    ++blank;   // a row counted and never read
                    continue;
                }
                ids.insert(id);
                if (text(r, "dupd") != top)
                    older.insert(id);
            }
            TADOQuery q;
            q.setConnection(DM->Conn);
            q.SQL.setText(QStringLiteral("SELECT (SELECT COUNT(*) FROM Cruza), (SELECT COUNT(*) FROM Cruza WHERE dupd < "
                                         "(SELECT dupd FROM Cruza WHERE nc_rep = %1 AND seq = %2))")
                              .arg(text(1, "nc_rep"), text(1, "seq")));
            q.Open();
            const int file = q.Fields(0)->AsInteger(), olderInFile = q.Fields(1)->AsInteger();
            q.Close();
            const int label = w->LReg->text().section(u' ', 1).toInt();
            const int twice = rows - blank - int(ids.size());
            std::fprintf(stderr, "read %d: shown %d, twice %d, blank %d, older than the first %d of %d in the file (%d in all), "
                                 "\"%s\", dataset %d; re-query %.0f ms, Ctrl+End %.0f ms\n",
                         read, rows, twice, blank, int(older.size()), olderInFile, file, qPrintable(w->LReg->text()),
                         w->QGrid->RecordCount(), requeryMs.back(), endMs.back());
            twiceSum += twice;
            blankSum += blank;
            missing += olderInFile - int(older.size());
            countOff += label != int(ids.size());
            shown = rows;
            inFile = file;
        }
    writer.closeWriteChannel();
    station.closeWriteChannel();
    writer.waitForFinished(-1);
    station.waitForFinished(-1);
    TRegistrations registrations;
    registrations.Read(station.readAllStandardOutput());
    registrations.Report(State);
    std::sort(requeryMs.begin(), requeryMs.end());
    std::sort(endMs.begin(), endMs.end());
    State.counters["shown"] = shown;
    State.counters["in_file"] = inFile;
    State.counters["twice"] = twiceSum;
    State.counters["blank"] = blankSum;
    State.counters["missing"] = missing;
    State.counters["count_off"] = countOff;
    State.counters["write_offs"] = writeOffs;
    State.counters["requery_ms"] = requeryMs[requeryMs.size() / 2];
    State.counters["end_ms"] = endMs[endMs.size() / 2];
}

BENCHMARK(BM_RegisterAlone)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RegisterBesideAConsultation)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RegisterBesideAGrid)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GridBesideWriteOffs)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    const QByteArray mode = argc >= 4 ? QByteArray(argv[1]) : QByteArray();
    if ((mode == "--station" && argc <= 6) || (mode == "--writeoff" && argc == 5)) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        QApplication app(argc, argv);
        auto number = [&](int i) { return i < argc ? QByteArray(argv[i]).toInt() : 0; };
        const QString file = QString::fromLocal8Bit(argv[2]);
        return mode == "--station" ? Station(file, number(3), number(4), number(5)) : WriteOffStation(file, number(3), number(4));
    }
    return BenchMain(argc, argv, Dir);
}
