#include "CampaignFile.h"
#include "ForkedChild.h"
#include "UDBTables.h"
#include "UDBVersion.h"
#include "UTBStruct_DB.h"
#include "XAdoEngine.h"
#include "XDialogs.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

namespace {

// The start-up sequence on a file: read, upgrade, compare.
struct StructureCheck
{
    TDB_Struct Expected;
    TDB_Struct Actual;
    TStringList Log;
    bool Upgraded = false;
    bool Compared = false;

    explicit StructureCheck(TADOConnection* conn)
    {
        RegisterDBStructs(&Expected);
        SetConnection(&Actual, conn);
        ReadSchema(&Actual);
        Upgraded = UpdateDBVersion(&Actual);
        if (Upgraded)
            Compared = CompareSchema(&Expected, &Actual, &Log);
    }
    ~StructureCheck() { ClearConnection(&Actual); }
};

TCampaignOptions At(const QString& version, int labels = 24, int crossings = 12)
{
    TCampaignOptions o;
    o.Version = version;
    o.Labels = labels;
    o.Crossings = crossings;
    o.Seed = 11;
    return o;
}

QString StoredVersion(TCampaignFile& f)
{
    return f.Scalar(QStringLiteral("SELECT versao_db FROM Configuracao"));
}

QString CruzaKey(TADOConnection* Conn)
{
    TADOTable t;
    t.setConnection(Conn);
    t.setTableName(QStringLiteral("Cruza"));
    for (const TIndexDef& d : t.IndexDefs())
        if (d.Primary)
            return d.Name + u'(' + d.Fields + u')';
    return QStringLiteral("<none>");
}

// The rows the upgrade must keep.
QString Content(TCampaignFile& f)
{
    return f.Rows(QStringLiteral("SELECT id, codigo, tratamento, ggen FROM Parental ORDER BY id")) + u'#'
           + f.Rows(QStringLiteral("SELECT nc, codigo_cruza, id_vaso_mae, id_vaso_pai, planejamento, rep FROM Planejamento_Cruza ORDER BY nc"))
           + u'#' + f.Rows(QStringLiteral("SELECT nc, rep, nc_rep, nc_print FROM Etiqueta_Cruza ORDER BY nc, rep")) + u'#'
           + f.Rows(QStringLiteral("SELECT nc_rep, id_cruza, reverso, id_emasculador, status, dupd, cmaq, id_usua_baixa FROM Cruza ORDER BY nc_rep, dupd"))
           + u'#' + f.Rows(QStringLiteral("SELECT id, nome FROM Emasculador ORDER BY id"));
}

// A start that brings the file whole to the last version, with no box and the
// crossing key (what stops two stations storing a label's sequence twice);
// Config is the configuration row it leaves, Key the key Cruza then has.
void ExpectUpgraded(TCampaignFile& f, const QString& Config = QStringLiteral("16|0|0|1|4"),
                    const QString& Key = QStringLiteral("PK_Cruza(NC_REP, SEQ)"))
{
    TDlgRecorder rec;
    {
        StructureCheck check(&f.Conn);
        EXPECT_TRUE(check.Compared) << qPrintable(check.Log.Text());
    }
    EXPECT_EQ(rec.Count(), 0) << qPrintable(rec.Texts().join(u'\n'));
    EXPECT_EQ(StoredVersion(f), QStringLiteral("02.005"));
    EXPECT_EQ(CruzaKey(&f.Conn), Key);
    EXPECT_EQ(f.Rows(QStringLiteral("SELECT etiq_pag, limpa_emasc, cab_etiq_flor, plan_etiq_flor, smt_max_hibr FROM Configuracao")),
              Config);
}

// A start killed (no commit, no close) as its connection begins the Nth
// statement containing Sql; the answer is empty when it died there.
QByteArray KilledAt(TCampaignFile& f, const char* Sql, int Nth)
{
    f.Conn.Close();
    const QByteArray answer = InForkedChild([&] {
        static QLatin1String sql;
        static int left;
        sql = QLatin1String(Sql), left = Nth;
        f.Conn.Open();
        const auto trace = [](unsigned, void*, void* Stmt, void*) {
            if (QString::fromUtf8(sqlite3_sql(static_cast<sqlite3_stmt*>(Stmt))).contains(sql, Qt::CaseInsensitive) && --left == 0)
                _exit(0);
            return 0;
        };
        sqlite3_trace_v2(f.Conn.Engine()->Db(), SQLITE_TRACE_STMT, trace, nullptr);
        TDlgRecorder rec;
        StructureCheck check(&f.Conn);
        return QByteArray("not killed");
    });
    f.Conn.Open();
    return answer;
}

} // namespace

using UpgradeFrom = testing::TestWithParam<QString>;

TEST_P(UpgradeFrom, ReachesTheCurrentVersionKeepingRowsAndComparesClean)
{
    const QString version = GetParam();
    TCampaignFile f(At(version));
    const QString before = Content(f);
    // Defaults of the steps, and the builder's own values where the column was there.
    ExpectUpgraded(f);
    EXPECT_EQ(Content(f), before);

    // A fresh start on the upgraded file: nothing to do, nothing differs.
    f.Reopen();
    const int changes = f.Changes(), cookie = f.SchemaCookie();
    TDlgRecorder rec;
    {
        StructureCheck again(&f.Conn);
        EXPECT_TRUE(again.Compared) << qPrintable(again.Log.Text());
        // Nullability is not compared.
        EXPECT_FALSE(again.Actual.FindTable(QStringLiteral("Parental"))->FindField(QStringLiteral("CODIGO"))->AllowNull);
        EXPECT_FALSE(again.Actual.FindTable(QStringLiteral("Planejamento_Cruza"))->FindField(QStringLiteral("PLANEJAMENTO"))->AllowNull);
    }
    EXPECT_EQ(f.Changes(), changes);
    EXPECT_EQ(f.SchemaCookie(), cookie);
    EXPECT_EQ(rec.Count(), 0);
}

INSTANTIATE_TEST_SUITE_P(EveryOlderVersion, UpgradeFrom,
                         testing::ValuesIn(TCampaignBuilder::Versions().mid(0, TCampaignBuilder::Versions().size() - 1)),
                         [](const auto& info) { return QString(info.param).remove(u'.').toStdString(); });

// A kill inside a part (after its ADD COLUMN, before or after its fill) leaves
// the file as it was before the part; a kill between parts keeps those done.
// Either way the next start runs what is left whole.
TEST(Upgrade, AStartKilledInsideOrBetweenPartsIsFinishedWholeAtTheNextStart)
{
    const QString add = QStringLiteral("ALTER TABLE Cruza ADD COLUMN %1 NULL");
    // Cruza with SEQ already: the key's rebuild is the first change.
    const QStringList withSeq = {add.arg("X_USUA TEXT(30)"), add.arg("X_DUPD TEXT(20)"), add.arg("X_CMAQ TEXT(20)"),
                                 add.arg("SEQ LONG"), QStringLiteral("UPDATE Cruza SET seq = 1")};
    const std::tuple<const char*, QStringList, const char*, int, bool> cuts[] = {
        {"01.001", {}, "SET seq = 1", 1, true},   // columns added, not filled
        {"01.001", {}, "COMMIT", 1, true},        // filled, not committed
        {"01.001", withSeq, "RENAME TO", 2, true},   // the old key dropped, the new one not made: a key lost here would never come back
        {"01.001", withSeq, "COMMIT", 2, true},
        {"01.002", {}, "SET etiq_pag = 16", 1, true},      {"01.002", {}, "COMMIT", 1, true},
        {"01.010", {}, "SET limpa_emasc = 0", 1, true},    {"01.010", {}, "COMMIT", 1, true},
        {"01.015", {}, "SET cab_etiq_flor = 0", 1, true},  {"01.015", {}, "COMMIT", 1, true},
        {"01.018", {}, "SET smt_max_hibr = 4", 1, true},   {"01.018", {}, "COMMIT", 1, true},
        {"01.001", {}, "BEGIN", 3, false},           // between steps
        {"01.001", {}, "SET versao_db", 1, false},   // every part done
    };
    for (const auto& [version, shape, sql, nth, untouched] : cuts) {
        SCOPED_TRACE(QStringLiteral("%1 %2 %3 %4").arg(QLatin1String(version)).arg(shape.size()).arg(QLatin1String(sql)).arg(nth).toStdString());
        TCampaignFile f(At(QLatin1String(version)));
        for (const QString& statement : shape)
            f.Exec(statement);
        const QString before = Content(f);
        const auto state = [&] {
            return f.Rows(QStringLiteral("SELECT name, sql FROM sqlite_master ORDER BY name")) + u'#'
                   + f.Rows(QStringLiteral("SELECT * FROM Configuracao"));
        };
        const QString shaped = state();
        ASSERT_EQ(KilledAt(f, sql, nth), QByteArray());
        EXPECT_EQ(state() == shaped, untouched);
        EXPECT_EQ(StoredVersion(f), QLatin1String(version));
        ExpectUpgraded(f);
        EXPECT_EQ(Content(f), before);
    }
}

// A column there before its step keeps its Nulls: the fills are for columns
// added now; LIMPA_EMASC's fill always runs, and so does SEQ's, without which
// the key cannot be rebuilt. Only the steps above the stored version run.
TEST(Upgrade, AColumnAlreadyThereKeepsItsNullsSaveThoseOfSeqAndLimpaEmasc)
{
    const QString add = QStringLiteral("ALTER TABLE %1 ADD COLUMN %2 LONG NULL");
    const QString cfg = QStringLiteral("Configuracao");
    const QString first = QStringLiteral("(SELECT MIN(nc_rep) FROM Cruza)");
    struct Case
    {
        const char* version;
        QStringList shape;
        const char* seq;
        const char* config;
        const char* key = "PK_Cruza(NC_REP, SEQ)";
    };
    const Case cases[] = {
        {"01.001", {add.arg("Cruza", "SEQ"), QStringLiteral("UPDATE Cruza SET seq = 2 WHERE nc_rep > %1").arg(first)},
         "1;2;2", "16|0|0|1|4"},
        // No key, and a label written off and hybridised again: both crossings on SEQ 1, no key made.
        {"01.001",
         {QStringLiteral("ALTER TABLE Cruza DROP CONSTRAINT PK_Cruza"),
          QStringLiteral("UPDATE Cruza SET status = 'X', id_usua_baixa = 1 WHERE nc_rep = %1").arg(first),
          QStringLiteral("INSERT INTO Cruza (nc_rep, reverso, id_emasculador, status, dupd) "
                         "SELECT nc_rep, reverso, id_emasculador, 'M', '2024-10-09 07:00:00' FROM Cruza WHERE nc_rep = %1").arg(first)},
         "1;1;1;1", "16|0|0|1|4", "<none>"},
        {"01.002", {add.arg(cfg, "etiq_pag")}, "1;1;1", "|0|0|1|4"},
        {"01.010", {add.arg(cfg, "LIMPA_EMASC")}, "1;1;1", "16|0|0|1|4"},
        {"01.015", {add.arg(cfg, "CAB_ETIQ_FLOR"), add.arg(cfg, "PLAN_ETIQ_FLOR")}, "1;1;1", "16|0|||4"},
        // PLAN_ETIQ_FLOR added now: its fill sets both.
        {"01.015", {add.arg(cfg, "CAB_ETIQ_FLOR"), QStringLiteral("UPDATE Configuracao SET cab_etiq_flor = 2")}, "1;1;1", "16|0|0|1|4"},
        {"01.017", {QStringLiteral("ALTER TABLE Configuracao ALTER COLUMN LIMPA_EMASC LONG NULL"), QStringLiteral("UPDATE Configuracao SET limpa_emasc = NULL")},
         "1;1;1", "16||0|1|4"},
        {"01.018", {add.arg(cfg, "SMT_MAX_HIBR")}, "1;1;1", "16|0|0|1|"},
    };
    for (const auto& [version, shape, seq, config, key] : cases) {
        SCOPED_TRACE(QString(QLatin1String(version) + u' ' + shape.join(u'|')).toStdString());
        TCampaignFile f(At(QLatin1String(version), 8, 3));
        for (const QString& statement : shape)
            f.Exec(statement);
        ExpectUpgraded(f, QLatin1String(config), QLatin1String(key));
        EXPECT_EQ(f.Rows(QStringLiteral("SELECT seq FROM Cruza ORDER BY nc_rep")), QLatin1String(seq));
    }
}

// A refused file or a failing part: its box, the stored version kept, nothing
// written; a failed part leaves none of it, though the Parental part done before
// the missing plan table stays. Once its cause is mended, the next start finishes.
TEST(Upgrade, ARefusalOrAFailingStepShowsWhyAndKeepsTheStoredVersion)
{
    const QString lock = QStringLiteral("CREATE TRIGGER trava BEFORE UPDATE ON %1 BEGIN SELECT RAISE(ABORT, 'bloqueado'); END");
    const QString config = QStringLiteral("Erro ao atualizar a configuração do banco de dados ([%1]). \r\nErro: bloqueado");
    const QString stamp = QStringLiteral("UPDATE Configuracao SET versao_db = '%1'");
    const QString newer = QStringLiteral("Versão do Aplicativo diferente da versão do Banco de Dados.\r\n"
                                         "Deve-se Atualizar o Aplicativo.\r\nAplicativo: [02.005]\r\nBanco de Dados: [%1]");
    const QString failed = QStringLiteral("Erro ao atualizar o banco de dados.\r\n");
    struct Case
    {
        const char* version;
        QString shape;
        QString message;
        QString mend = {};
    };
    const Case cases[] = {
        {"02.005", stamp.arg("02.006"), newer.arg("02.006")},
        {"02.005", stamp.arg("1.0"), newer.arg("1.0")},
        {"01.011", QStringLiteral("DELETE FROM Configuracao"), QString()},   // no version: nothing to do
        {"01.004", QStringLiteral("UPDATE Parental SET codigo = NULL WHERE id = %1").arg(TCampaignBuilder::PotNumber(0)),
         QStringLiteral("Erro ao Alterar a estrutura do campo da Tabela [Parental].\r\nTipo: EOleException\r\nErro: NOT NULL constraint failed: Parental.CODIGO"),
         QStringLiteral("UPDATE Parental SET codigo = 'PAR-NOVO' WHERE codigo IS NULL")},
        {"02.005", QStringLiteral("DROP TABLE Configuracao"), failed + QStringLiteral("Tabela de configuração não encontrado no banco de dados.")},
        {"01.001", QStringLiteral("DROP TABLE Cruza"), failed + QStringLiteral("Tabela Cruza não encontrado.")},
        {"01.004", QStringLiteral("DROP TABLE Planejamento_Cruza"), failed + QStringLiteral("Tabela Planejamento_Cruza não encontrado.")},
        {"01.001", lock.arg("Cruza"), QStringLiteral("Erro ao atualizar a versão do banco de dados ([Cruza]:Seq). \r\nErro: bloqueado")},
        {"01.002", lock.arg("Configuracao"), config.arg("etiq_pag")},
        {"01.010", lock.arg("Configuracao"), config.arg("limpa_emasc")},
        {"01.015", lock.arg("Configuracao"), config.arg("cab_etiq_flor, plan_etiq_flor")},
        {"01.018", lock.arg("Configuracao"), config.arg("SMT_MAX_HIBR")},
        {"02.002", lock.arg("Configuracao"), QStringLiteral("Erro ao atualizar a versão do banco de dados. \r\nErro: bloqueado")},
    };
    for (const auto& [version, shape, message, mend] : cases) {
        SCOPED_TRACE(shape.toStdString());
        TCampaignFile f(At(QLatin1String(version), 8, 4));
        f.Conn.Engine()->Exec(shape);
        const auto stored = [&] { return f.Count(QStringLiteral("sqlite_master WHERE name = 'Configuracao'")) ? StoredVersion(f) : QString(); };
        const QString before = stored();
        const int changes = f.Changes(), cookie = f.SchemaCookie();
        TDlgRecorder rec;
        EXPECT_FALSE(StructureCheck(&f.Conn).Upgraded);
        EXPECT_EQ(rec.Texts().join(u'\n').toStdString(), message.toStdString());
        EXPECT_EQ(stored(), before);
        EXPECT_EQ(f.Changes() == changes && f.SchemaCookie() == cookie, !shape.contains(QLatin1String("Planejamento")));
        if (!mend.isEmpty()) {
            f.Exec(mend);
            ExpectUpgraded(f);
        }
    }
    // Another station writing past the wait: the part does not begin.
    TCampaignFile busy(At(QStringLiteral("01.018")));
    TADOConnection other;
    other.setConnectionString(busy.Conn.ConnectionString());
    other.Open();
    TADOTransaction writing(&other);
    busy.Conn.setConnectionTimeout(1);
    TDlgRecorder rec;
    EXPECT_FALSE(StructureCheck(&busy.Conn).Upgraded);
    EXPECT_EQ(rec.Texts(), QStringList(failed + QStringLiteral("Could not use '%1'; file already in use.").arg(busy.Path)));
}
