#include "CampaignFile.h"
#include "ForkedChild.h"
#include "UDM.h"
#include "UXLib.h"
#include "XDialogs.h"
#include "XExceptions.h"
#include "XReplaceFile.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <sqlite3.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <random>

namespace {

void WriteAll(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

QByteArray Pack(qint32 count, const QByteArray& path, qint32 length = INT_MIN)
{
    TXData p;
    PackInit(p);
    PutI(p, count);
    PutI(p, length == INT_MIN ? qint32(path.size()) : length);
    p.Data.replace(p.Position - 1, path.size(), path);
    p.Position += qint32(path.size());
    PackFinish(p);
    return p.Data;
}

// The message of what Call raised; empty when it raised nothing.
template <typename F>
QString Raised(F Call)
{
    try {
        Call();
    } catch (const Exception& e) {
        return e.Message();
    }
    return QString();
}

} // namespace

class DataModule : public testing::Test
{
protected:
    void SetUp() override { TDM::SetConfigBaseName(Base); }
    void TearDown() override { TDM::SetConfigBaseName(QString()); }
    void WriteSettings(const QByteArray& plain) { WriteAll(Dat, EncodeText(plain, SettingsKey)); }
    QString MakeFile(const char* Name)
    {
        WriteAll(Dir.filePath(QLatin1String(Name)), "mdb");
        return Dir.filePath(QLatin1String(Name));
    }
    void SaveEach(TDM& dm, std::initializer_list<QString> Paths)
    {
        for (const QString& path : Paths) {
            dm.SetDatabase(path);
            ASSERT_TRUE(dm.SaveConfig());
        }
    }

    QTemporaryDir Dir;
    const QString Base = Dir.filePath(QStringLiteral("crossing"));
    const QString Dat = Base + QStringLiteral(".dat"), Bkp = Base + QStringLiteral(".bkp");
    TDlgRecorder Rec;
};

TEST_F(DataModule, DataSourceFollowsOnlyFilesThatExistAndConnectsFromTheSettingsFile)
{
    TDM dm;
    TDM::SetConfigBaseName(QString());   // the program's own: beside it, without extension
    EXPECT_EQ(dm.ConfigBaseName(), QCoreApplication::applicationFilePath());
    TDM::SetConfigBaseName(Base);

    TCampaignFile f;
    f.Conn.Close();
    const QString missing = f.Dir.filePath(QStringLiteral("outro.mdb"));
    dm.SetDatabase(missing);
    EXPECT_EQ(dm.Conn->ConnectionString(),
              QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Persist Security Info=False;Jet OLEDB:Database Password=") + DBPassword);
    EXPECT_FALSE(dm.DataSourceExists());
    dm.SetDatabase(f.Path);
    dm.SetDatabaseChecked(QStringLiteral("   "));
    dm.SetDatabaseChecked(missing);
    EXPECT_EQ(dm.GetDataSource(), f.Path);
    EXPECT_TRUE(dm.DataSourceExists());
    EXPECT_EQ(Rec.Texts(), QStringList(2, QStringLiteral("Nome do Banco de Dados inválido.")));
    Rec.Clear();

    WriteSettings(Pack(1, f.Path.toUtf8()));
    dm.ClearDatabase();
    ASSERT_TRUE(dm.SetConnected(true));
    EXPECT_TRUE(dm.Conn->Connected());
    EXPECT_EQ(dm.GetDataSource(), f.Path);
    // An ordinary path makes the same unquoted string as before paths were quoted.
    EXPECT_EQ(dm.Conn->ConnectionString(), QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=") + f.Path
                                               + QStringLiteral(";Persist Security Info=False;Jet OLEDB:Database Password=") + DBPassword);
    EXPECT_TRUE(dm.TestConnection());
    EXPECT_FALSE(dm.Conn_Check->Connected());

    // Already connected: the settings file is not read again.
    WriteSettings(Pack(1, "x", 1000));
    EXPECT_TRUE(dm.SetConnected(true));
    EXPECT_EQ(Rec.Count(), 0);

    // Without datasets nothing is asked.
    EXPECT_TRUE(dm.SetConnected(false));
    EXPECT_FALSE(dm.Conn->Connected());
    EXPECT_EQ(Rec.Count(), 0);
}

// Open on a file: another file is refused while a query is open on it; the file
// then replaced by one that does not open: the test connection fails, the open
// one stays. (A start on such a file: test_UFMain.)
TEST_F(DataModule, AnOpenConnectionOutlivesAChangeOfFileAndTheFileReplacedUnderIt)
{
    TCampaignFile f, b(TCampaignOptions(), QStringLiteral("outra.mdb"));
    TDM dm;
    dm.SetDatabase(f.Path);
    ASSERT_TRUE(dm.SetConnected(true));
    TADOQuery q;
    q.setConnection(dm.Conn);
    q.SQL.setText(QStringLiteral("SELECT * FROM Etiqueta_Cruza"));
    q.Open();
    for (const QString& path : {b.Path, QString()}) {
        EXPECT_THROW(dm.SetDatabase(path), EOleException);
        EXPECT_TRUE(dm.Conn->Connected() && q.Active());
        EXPECT_EQ(dm.GetDataSource(), f.Path);
    }
    ASSERT_TRUE(QFile::rename(f.Path, f.Path + QStringLiteral(".old")));
    WriteAll(f.Path, QByteArray(8192, 'z'));
    EXPECT_FALSE(dm.TestConnection());
    ASSERT_EQ(Rec.Count(), 1);
    EXPECT_TRUE(Rec.Last().Text.startsWith(QStringLiteral("Erro ao verificar conexão com o banco de dados corrente.\r\n"
                                                          "Erro (Classe): (EOleException) ")));
    EXPECT_TRUE(dm.SetConnected(true));
    EXPECT_EQ(Rec.Count(), 2);
    EXPECT_TRUE(dm.Conn->Connected());
    EXPECT_FALSE(dm.Conn_Check->Connected());
}

TEST_F(DataModule, EverySaveKeepsThePreviousFileAsBackup)
{
    const QString a = MakeFile("a.mdb"), b = MakeFile("b.mdb"), c = MakeFile("c.mdb");
    TDM dm;
    QByteArray previous;
    for (const QString& path : {a, b, c, a}) {
        dm.SetDatabase(path);
        dm.SaveConfig();
        EXPECT_EQ(FileBytes(Bkp), previous);
        previous = FileBytes(Dat);
        // Count 1, then the path with its length; not readable as plain text.
        EXPECT_EQ(DecodeText(previous, SettingsKey), Pack(1, path.toUtf8()));
        EXPECT_FALSE(previous.contains(path.toUtf8()));
    }

    // Count 2 reads the same way; any other count is ignored.
    TDM other;
    other.ClearDatabase();
    for (const auto& [count, path, read] : {std::tuple{1, a, a}, {2, b, b}, {3, c, b}}) {
        WriteSettings(Pack(count, path.toUtf8()));
        other.LoadConfig();
        EXPECT_EQ(other.GetDataSource(), read) << count;
    }
    EXPECT_EQ(Rec.Count(), 0);
}

TEST_F(DataModule, DamagedSettingsFilesNeverCrash)
{
    const QString chosen = MakeFile("a.mdb");
    TDM dm;
    const auto load = [&] {
        dm.ClearDatabase();
        return Raised([&] { dm.LoadConfig(); });
    };
    {
        QFile big(Dat);
        ASSERT_TRUE(big.open(QIODevice::WriteOnly) && big.resize(qint64(6) << 30));   // sparse: no disk used
    }
    EXPECT_EQ(load(), QStringLiteral("Arquivo de configuração danificado: ") + Dat);   // refused unread
    EXPECT_EQ(dm.GetDataSource(), QString());
    // A length field before the start: the pack's error reaches the caller.
    WriteSettings(Pack(1, chosen.toUtf8(), -5));
    EXPECT_NE(load(), QString());

    // Every cut of a good file, garbage, a byte changed: read without a crash;
    // a path that is taken at all is the good one.
    dm.SetDatabase(chosen);
    dm.SaveConfig();
    const QByteArray good = FileBytes(Dat);
    std::mt19937 rnd(3);
    QList<QByteArray> damaged;
    for (int n = 0; n < good.size(); ++n)
        damaged.append(good.left(n));
    for (int i = 0; i < 100; ++i) {
        QByteArray g(int(rnd() % 200), '\0');
        std::generate(g.begin(), g.end(), [&] { return char(rnd()); });
        damaged.append(g);
        damaged.append(good);
        damaged.last()[int(rnd() % good.size())] = char(rnd());
    }
    int raised = 0;
    for (const QByteArray& bytes : damaged) {
        WriteAll(Dat, bytes);
        if (const QString error = load(); !error.isEmpty()) {
            EXPECT_EQ(error, QStringLiteral("GetS error - bigger than pack"));
            ++raised;
        }
        const QString path = dm.GetDataSource();
        EXPECT_TRUE(path.isEmpty() || path == chosen) << qPrintable(path);
    }
    EXPECT_GT(raised, 0);
}

// A save killed after each of its steps (a child process that ends there):
// the settings file is always there, with the last choice or the new one.
TEST_F(DataModule, ASaveKilledAfterAnyStepLeavesTheLastOrTheNewChoice)
{
    using S = XReplacingFile::Step;
    const QString older = MakeFile("a.mdb"), last = MakeFile("b.mdb"), newer = MakeFile("c.mdb");
    for (const auto& [step, read] : {std::pair{S::Created, last}, {S::Written, last}, {S::Synced, last}, {S::BackedUp, last},
                                     {S::Renamed, newer}}) {
        SCOPED_TRACE(int(step));
        TDM dm;
        SaveEach(dm, {older, last});
        const QByteArray answer = InForkedChild([&] {
            static S killedAt;
            killedAt = step;
            XReplacingFile::SetStepHook([](S Reached) {
                if (Reached == killedAt)
                    _exit(0);
            });
            dm.SetDatabase(newer);
            return QByteArray(dm.SaveConfig() ? "not killed" : "failed");
        });
        EXPECT_EQ(answer, QByteArray());
        EXPECT_EQ(DecodeText(FileBytes(Dat), SettingsKey), Pack(1, read.toUtf8()));
    }
}

// The start reads the settings file alone: without it, a first start; a
// damaged one as it reads, even with a good backup of another campaign.
TEST_F(DataModule, TheStartNeverFallsBackToTheBackup)
{
    TCampaignFile older, last(TCampaignOptions(), QStringLiteral("b.mdb"));
    older.Conn.Close();
    const QString notFound = QStringLiteral("Banco de Dados  não Encontrado.");
    // The settings file after two saves ("<deleted>": none); the box or what the start raised.
    const std::pair<QByteArray, QString> cases[] = {
        {"<deleted>", notFound}, {"", notFound}, {"<cut>", QStringLiteral("GetS error - bigger than pack")}};
    for (const auto& [bytes, shown] : cases) {
        SCOPED_TRACE(bytes.left(9).toStdString());
        TDM dm;
        SaveEach(dm, {older.Path, last.Path});
        if (bytes == "<deleted>")
            QFile::remove(Dat);
        else
            WriteAll(Dat, bytes == "<cut>" ? FileBytes(Dat).chopped(8) : bytes);
        Rec.Clear();
        dm.ClearDatabase();
        const QString raised = Raised([&] { EXPECT_FALSE(dm.SetConnected(true)); });
        EXPECT_EQ((Rec.Count() ? Rec.Texts().join(u'\n') : raised).toStdString(), shown.toStdString());
        EXPECT_FALSE(dm.Conn->Connected());
        EXPECT_EQ(dm.GetDataSource().toStdString(), "");
    }
}

// Saves by a user who is not the files' owner (nobody, root's files): a
// read-only file in a folder the user may write is replaced; a writable file
// in a folder the user may not write is written in place; with neither, the
// box says why. The file is read in every case.
TEST_F(DataModule, ASaveGoesAsFarAsTheFolderAndTheFileAllow)
{
    const QString previous = MakeFile("a.mdb"), chosen = MakeFile("b.mdb"), other = MakeFile("c.mdb");
    const QString refused = QStringLiteral("Não foi possível gravar o arquivo de configuração ") + Dat
                            + QStringLiteral(".\r\nErro: Permission denied");
    // Modes of the folder and of the settings file; the child's answer, the settings file and its backup after.
    const std::tuple<int, int, QString, QString, QString> cases[] = {
        {0x7777, 0x4444, QStringLiteral("|saved|"), other, chosen},
        {0x7555, 0x6666, QStringLiteral("|saved|"), other, previous},
        {0x7555, 0x4444, QStringLiteral("|refused|") + refused, chosen, previous}};
    for (const auto& [folder, file, shown, dat, bkp] : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << folder << " " << file);
        TDM dm;
        SaveEach(dm, {previous, chosen});
        QFile::setPermissions(Dir.path(), QFileDevice::Permissions(folder));
        QFile::setPermissions(Dat, QFileDevice::Permissions(file));
        const QByteArray answer = InForkedChild([&] {
            if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0))
                return QByteArray("<not nobody>");
            dm.ClearDatabase();
            dm.LoadConfig();
            QByteArray out = dm.GetDataSource().toUtf8();
            dm.SetDatabase(other);
            out += dm.SaveConfig() ? "|saved|" : "|refused|";
            return out + Rec.Texts().join(u'\n').toUtf8();
        });
        EXPECT_EQ(QString::fromUtf8(answer).toStdString(), (chosen + shown).toStdString());
        EXPECT_EQ(DecodeText(FileBytes(Dat), SettingsKey), Pack(1, dat.toUtf8()));
        EXPECT_EQ(DecodeText(FileBytes(Bkp), SettingsKey), Pack(1, bkp.toUtf8()));
    }
}

TEST_F(DataModule, AFileLockedByAnotherProgramIsReportedAsInUse)
{
    TCampaignFile f;
    f.Conn.Close();
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(f.Path.toUtf8().constData(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "PRAGMA journal_mode = DELETE; BEGIN EXCLUSIVE;", nullptr, nullptr, nullptr), SQLITE_OK);
    TDM dm;
    dm.Conn->setConnectionTimeout(1);
    dm.SetDatabase(f.Path);
    EXPECT_FALSE(dm.SetConnected(true));
    EXPECT_EQ(Rec.Texts(), QStringList{QStringLiteral("Erro ao conectar ao banco de dados.\r\nErro: Could not use '%1'; "
                                                      "file already in use.\r\nHelp Context: EOleException").arg(f.Path)});
    sqlite3_close(other);
    EXPECT_TRUE(dm.SetConnected(true));
}
