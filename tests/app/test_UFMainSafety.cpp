// The start-up changes a campaign file only once it is accepted, and a file
// another program reads is not taken for an incompatible one.

#include "MainWindowHarness.h"

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

} // namespace

struct StartUpSafety : testing::Test { TMainWindowHarness H; };

TEST_F(StartUpSafety, AnAcceptedFileGoesToTheLogAndGetsTheLookUpIndexes)
{
    TCampaignFile Campaign;
    ToRollbackJournal(Campaign);
    ASSERT_EQ(JournalFormat(Campaign.Path), 1);
    EXPECT_EQ(H.StartOn(Campaign)->PanelText(0), QStringLiteral("Conectado")) << H.Boxes();
    H.Stop();
    EXPECT_EQ(JournalFormat(Campaign.Path), 2);
    Campaign.Conn.Open();
    EXPECT_EQ(Campaign.Rows(QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'index' AND name LIKE 'IX!_%' ESCAPE '!' "
                                           "ORDER BY name")), QStringLiteral("IX_Colheita_DUPD;IX_Colheita_LOTE;IX_Cruza_DUPD;IX_Cruza_STATUS;IX_Etiqueta_Cruza_NC_REP"));
}

// Refused, a file is left byte for byte; another program reading a file holds no start-up off.
TEST_F(StartUpSafety, ARefusedFileIsLeftAsItWasAndAReadFileConnects)
{
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
    sqlite3_close(reader);
}
