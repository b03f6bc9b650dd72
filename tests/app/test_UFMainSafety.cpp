// The start-up changes a campaign file only once it is accepted, and a file
// another program reads is not taken for an incompatible one.

#include "MainWindowHarness.h"

#include "XAdoEngine.h"

#include <QScopeGuard>

#include <sqlite3.h>

#include <gtest/gtest.h>

namespace {

// A campaign in a rollback journal, as files of other SQLite tools are; its connection closed.
void ToRollbackJournal(TCampaignFile& C)
{
    C.Conn.Close();
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(C.Path.toUtf8().constData(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, "PRAGMA journal_mode = DELETE", nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);
}

// The file's write version: 1 for a rollback journal, 2 for the write-ahead log.
int JournalFormat(const QString& Path) { return int(FileBytes(Path).at(18)); }

QString Indexes(TCampaignFile& C)
{
    return C.Rows(QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'index' AND name LIKE 'IX!_%' ESCAPE '!' ORDER BY name"));
}

} // namespace

struct StartUpSafety : testing::Test { TMainWindowHarness H; };

// Accepted, a file keeps its journal (a file in the rollback journal may be a share's,
// opened here by its local path) and gets the look-ups' indexes.
TEST_F(StartUpSafety, AnAcceptedFileKeepsItsJournalAndGetsTheLookUpIndexes)
{
    for (const int format : {1, 2}) {
        SCOPED_TRACE(format);
        TCampaignFile Campaign;
        if (format == 1)
            ToRollbackJournal(Campaign);
        else
            Campaign.Conn.Close();
        EXPECT_EQ(H.StartOn(Campaign)->PanelText(0), QStringLiteral("Conectado")) << H.Boxes();
        H.Stop();
        EXPECT_EQ(JournalFormat(Campaign.Path), format);
        Campaign.Conn.Open();
        EXPECT_EQ(Indexes(Campaign), QStringLiteral("IX_Colheita_DUPD;IX_Colheita_LOTE;IX_Cruza_DUPD;IX_Cruza_STATUS;IX_Etiqueta_Cruza_NC_REP"));
    }
}

// Refused, a file is left byte for byte; another program reading a file holds no
// start-up off, not even to make the look-ups' indexes: they are made at a start
// when nobody holds the file.
TEST_F(StartUpSafety, ARefusedFileIsLeftAsItWasAndAReadFileConnects)
{
    int waits = 0;
    XAdo::Engine::SetBusyIndicator([&](bool On) { waits += On ? 1 : 0; });
    const auto noIndicator = qScopeGuard([] { XAdo::Engine::SetBusyIndicator(nullptr); });
    TCampaignFile Newer, Read;
    Newer.Exec(QStringLiteral("UPDATE Configuracao SET versao_db = '02.006'"));
    ToRollbackJournal(Newer);
    ToRollbackJournal(Read);
    const QByteArray before = FileBytes(Newer.Path);
    sqlite3* reader = nullptr;
    ASSERT_EQ(sqlite3_open(Read.Path.toUtf8().constData(), &reader), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(reader, "BEGIN; SELECT count(*) FROM Cruza;", nullptr, nullptr, nullptr), SQLITE_OK);
    for (const auto& [path, connected] : {std::pair{Newer.Path, false}, std::pair{Read.Path, true}}) {
        H.SaveSettings(path);
        H.Dlg.Clear();
        EXPECT_EQ(H.Start()->PanelText(0), connected ? QStringLiteral("Conectado") : QStringLiteral("Desconectado"));
        EXPECT_EQ(H.Dlg.Count(), connected ? 0 : 1) << H.Boxes();
        H.Stop();
    }
    EXPECT_TRUE(FileBytes(Newer.Path) == before);
    EXPECT_EQ(waits, 0);
    Read.Conn.Open();
    EXPECT_EQ(Indexes(Read), QString());
    sqlite3_close(reader);
    EXPECT_EQ(H.Start()->PanelText(0), QStringLiteral("Conectado"));
    H.Stop();
    EXPECT_EQ(Indexes(Read), QStringLiteral("IX_Colheita_DUPD;IX_Colheita_LOTE;IX_Cruza_DUPD;IX_Cruza_STATUS;IX_Etiqueta_Cruza_NC_REP"));
}
