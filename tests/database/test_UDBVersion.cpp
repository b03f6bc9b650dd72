#include "CampaignFile.h"
#include "UDBTables.h"
#include "UDBVersion.h"
#include "UTBStruct_DB.h"
#include "XAdoEngine.h"
#include "XDialogs.h"

#include <gtest/gtest.h>

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

std::string Sanitized(const testing::TestParamInfo<QString>& info)
{
    return QString(info.param).remove(u'.').toStdString();
}

} // namespace

using UpgradeFrom = testing::TestWithParam<QString>;

TEST_P(UpgradeFrom, ReachesTheCurrentVersionKeepingRowsAndComparesClean)
{
    const QString version = GetParam();
    TCampaignFile f(At(version));
    const QString before = Content(f);
    TDlgRecorder rec;
    {
        StructureCheck check(&f.Conn);
        EXPECT_TRUE(check.Compared) << qPrintable(check.Log.Text());
        EXPECT_EQ(rec.Count(), 0) << qPrintable(rec.Texts().join(u'\n'));
    }
    EXPECT_EQ(StoredVersion(f), QStringLiteral("02.005"));
    EXPECT_EQ(Content(f), before);
    // Defaults of the steps, and the builder's own values where the column was there.
    EXPECT_EQ(f.Rows(QStringLiteral("SELECT etiq_pag, limpa_emasc, cab_etiq_flor, plan_etiq_flor, smt_max_hibr FROM Configuracao")),
              QStringLiteral("16|0|0|1|4"));

    // A fresh start on the upgraded file: nothing to do, nothing differs.
    f.Reopen();
    const int changes = f.Changes();
    const int cookie = f.SchemaCookie();
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
                         Sanitized);

TEST(Upgrade, NewerVersionIsRefused)
{
    for (const QString& stored : {QStringLiteral("02.006"), QStringLiteral("1.0")}) {
        TCampaignFile f(At(DBVersion));
        f.Exec(QStringLiteral("UPDATE Configuracao SET versao_db = '%1'").arg(stored));
        const int changes = f.Changes();
        const int cookie = f.SchemaCookie();
        TDlgRecorder rec;
        StructureCheck check(&f.Conn);
        EXPECT_FALSE(check.Upgraded);
        EXPECT_EQ(rec.Texts(), QStringList(QStringLiteral("Versão do Aplicativo diferente da versão do Banco de Dados.\r\n"
                                                          "Deve-se Atualizar o Aplicativo.\r\nAplicativo: [02.005]\r\n"
                                                          "Banco de Dados: [")
                                           + stored + u']'));
        EXPECT_EQ(f.Changes(), changes);
        EXPECT_EQ(f.SchemaCookie(), cookie);
    }
}

TEST(Upgrade, OnlyTheStepsAboveTheStoredVersionRun)
{
    TCampaignFile f(At(QStringLiteral("01.017")));
    // A Null that step "01.011" would set to 0.
    f.Exec(QStringLiteral("ALTER TABLE Configuracao ALTER COLUMN LIMPA_EMASC LONG NULL"));
    f.Exec(QStringLiteral("UPDATE Configuracao SET limpa_emasc = NULL"));
    TDlgRecorder rec;
    StructureCheck check(&f.Conn);
    EXPECT_TRUE(check.Compared) << qPrintable(check.Log.Text());
    EXPECT_EQ(f.Rows(QStringLiteral("SELECT limpa_emasc, smt_max_hibr, versao_db FROM Configuracao")), QStringLiteral("|4|02.005"));
    EXPECT_EQ(rec.Count(), 0);
}

TEST(Upgrade, NullParentCodeStopsTheUpgradeAndKeepsTheVersion)
{
    TCampaignFile f(At(QStringLiteral("01.004")));
    f.Exec(QStringLiteral("UPDATE Parental SET codigo = NULL WHERE id = %1").arg(TCampaignBuilder::PotNumber(0)));
    const int parentals = f.Count(QStringLiteral("Parental"));
    TDlgRecorder rec;
    StructureCheck check(&f.Conn);
    EXPECT_FALSE(check.Upgraded);
    ASSERT_EQ(rec.Count(), 1);
    EXPECT_TRUE(rec.Last().Text.startsWith(
        QStringLiteral("Erro ao Alterar a estrutura do campo da Tabela [Parental].\r\nTipo: EOleException\r\nErro: ")));
    EXPECT_EQ(StoredVersion(f), QStringLiteral("01.004"));
    EXPECT_EQ(f.Count(QStringLiteral("Parental")), parentals);
    EXPECT_EQ(f.Scalar(QStringLiteral("SELECT count(*) FROM sqlite_master WHERE name LIKE 'jet_old%'")), QStringLiteral("0"));
    // The later parts did not run.
    EXPECT_EQ(check.Actual.FindTable(QStringLiteral("Planejamento_Cruza"))->FindField(QStringLiteral("F1_AGROBASE")), nullptr);
    EXPECT_TRUE(check.Actual.FindTable(QStringLiteral("Parental"))->FindField(QStringLiteral("CODIGO"))->AllowNull);

    // Once the code is filled in, the next start finishes the upgrade.
    f.Exec(QStringLiteral("UPDATE Parental SET codigo = 'PAR-NOVO' WHERE codigo IS NULL"));
    rec.Clear();
    StructureCheck next(&f.Conn);
    EXPECT_TRUE(next.Compared) << qPrintable(next.Log.Text());
    EXPECT_EQ(rec.Count(), 0);
}

// A start killed inside the upgrade leaves the file as the upgrade's own
// statements made it up to that point; the next start finishes the upgrade.
TEST(Upgrade, ARunCutShortAfterAnyStatementIsFinishedAtTheNextStart)
{
    const auto add = [](const char* Table, const char* Column, const char* Type) {
        return QStringLiteral("ALTER TABLE %1 ADD COLUMN %2 %3 NULL").arg(QLatin1String(Table), QLatin1String(Column), QLatin1String(Type));
    };
    const QStringList cruza = {add("Cruza", "X_USUA", "TEXT(30)"), add("Cruza", "X_DUPD", "TEXT(20)"),
                               add("Cruza", "X_CMAQ", "TEXT(20)"), add("Cruza", "SEQ", "LONG")};
    const QString cab = add("Configuracao", "CAB_ETIQ_FLOR", "LONG"), plan = add("Configuracao", "PLAN_ETIQ_FLOR", "LONG");
    const QString cabSet = QStringLiteral("UPDATE Configuracao SET cab_etiq_flor = 1");   // a value the fill must keep
    // The stored version (and the structure the file had), what the cut run had committed.
    const std::pair<const char*, QStringList> cuts[] = {
        {"01.001", {QStringLiteral("ALTER TABLE Cruza DROP CONSTRAINT PK_Cruza")}},   // between the old key and the new
        {"01.001", cruza.mid(0, 1)},
        {"01.001", cruza},
        {"01.001", cruza + QStringList{QStringLiteral("UPDATE Cruza   SET seq = 1  WHERE (seq IS null)")}},
        {"01.002", {add("Configuracao", "etiq_pag", "LONG")}},
        {"01.003", {add("Parental", "ID_AGROBASE", "TEXT(30)"), add("Parental", "CODIGO_FN", "TEXT(30)")}},
        {"01.005", {add("Configuracao", "LIMPA_EMASC", "LONG")}},
        {"01.015", {cab}},
        {"01.015", {cab, plan}},
        {"01.015", {cab, cabSet, plan}},
        {"01.018", {add("Configuracao", "SMT_MAX_HIBR", "LONG")}},
    };
    for (const auto& [version, done] : cuts) {
        SCOPED_TRACE(QString(QLatin1String(version) + u' ' + done.join(u'|')).toStdString());
        TCampaignFile f(At(QLatin1String(version)));
        const QString before = Content(f);
        for (const QString& statement : done)
            f.Exec(statement);
        f.Reopen();
        TDlgRecorder rec;
        EXPECT_TRUE(StructureCheck(&f.Conn).Compared);
        EXPECT_EQ(rec.Count(), 0) << qPrintable(rec.Texts().join(u'\n'));
        EXPECT_EQ(StoredVersion(f), QStringLiteral("02.005"));
        EXPECT_EQ(Content(f), before);
        EXPECT_EQ(f.Scalar(QStringLiteral("SELECT COUNT(*) FROM Cruza WHERE seq IS NULL")), QStringLiteral("0"));
        EXPECT_EQ(CruzaKey(&f.Conn), QStringLiteral("PK_Cruza(NC_REP, SEQ)"));
        EXPECT_EQ(f.Rows(QStringLiteral("SELECT etiq_pag, limpa_emasc, cab_etiq_flor, plan_etiq_flor, smt_max_hibr FROM Configuracao")),
                  QStringLiteral("16|0|%1|1|4").arg(done.contains(cabSet) ? 1 : 0));
    }
}

// SEQ there with a Null left before its fill: the fill takes only the Null.
TEST(Upgrade, TheSequenceFillKeepsTheNumbersThere)
{
    TCampaignFile f(At(QStringLiteral("01.001"), 8, 3));
    f.Exec(QStringLiteral("ALTER TABLE Cruza ADD COLUMN SEQ LONG NULL"));
    f.Exec(QStringLiteral("UPDATE Cruza SET seq = 2 WHERE nc_rep > (SELECT MIN(nc_rep) FROM Cruza)"));
    TDlgRecorder rec;
    EXPECT_TRUE(StructureCheck(&f.Conn).Compared);
    EXPECT_EQ(f.Rows(QStringLiteral("SELECT seq FROM Cruza ORDER BY nc_rep")), QStringLiteral("1;2;2"));
}

TEST(Upgrade, AFailingStepStopsWithItsMessageAndKeepsTheStoredVersion)
{
    const QString lock = QStringLiteral("CREATE TRIGGER trava BEFORE UPDATE ON %1 BEGIN SELECT RAISE(ABORT, 'bloqueado'); END");
    const QString config = QStringLiteral("Erro ao atualizar a configuração do banco de dados ([%1]). \r\nErro: bloqueado");
    const std::tuple<const char*, QString, QString> cases[] = {
        {"01.001", QStringLiteral("DROP TABLE Cruza"), QStringLiteral("Erro ao atualizar o banco de dados.\r\nTabela Cruza não encontrado.")},
        {"01.004", QStringLiteral("DROP TABLE Planejamento_Cruza"),
         QStringLiteral("Erro ao atualizar o banco de dados.\r\nTabela Planejamento_Cruza não encontrado.")},
        {"01.001", lock.arg("Cruza"), QStringLiteral("Erro ao atualizar a versão do banco de dados ([Cruza]:Seq). \r\nErro: bloqueado")},
        {"01.002", lock.arg("Configuracao"), config.arg("etiq_pag")},
        {"01.010", lock.arg("Configuracao"), config.arg("limpa_emasc")},
        {"01.015", lock.arg("Configuracao"), config.arg("cab_etiq_flor, plan_etiq_flor")},
        {"01.018", lock.arg("Configuracao"), config.arg("SMT_MAX_HIBR")},
        {"02.002", lock.arg("Configuracao"), QStringLiteral("Erro ao atualizar a versão do banco de dados. \r\nErro: bloqueado")},
    };
    for (const auto& [version, shape, message] : cases) {
        SCOPED_TRACE(shape.toStdString());
        TCampaignFile f(At(QLatin1String(version), 8, 4));
        f.Conn.Engine()->Exec(shape);
        TDlgRecorder rec;
        StructureCheck check(&f.Conn);
        EXPECT_FALSE(check.Upgraded);
        EXPECT_EQ(rec.Texts(), QStringList(message));
        EXPECT_EQ(StoredVersion(f), QLatin1String(version));
    }
    // No configuration to read the version from.
    TCampaignFile f(At(DBVersion));
    f.Exec(QStringLiteral("DROP TABLE Configuracao"));
    TDlgRecorder rec;
    EXPECT_FALSE(StructureCheck(&f.Conn).Upgraded);
    EXPECT_EQ(rec.Texts(), QStringList(QStringLiteral("Erro ao atualizar o banco de dados.\r\n"
                                                      "Tabela de configuração não encontrado no banco de dados.")));
    // An empty one: nothing to upgrade, nothing written.
    TCampaignFile empty(At(QStringLiteral("01.011")));
    empty.Exec(QStringLiteral("DELETE FROM Configuracao"));
    EXPECT_FALSE(StructureCheck(&empty.Conn).Upgraded);
    EXPECT_EQ(rec.Count(), 1);
    EXPECT_EQ(empty.Changes(), 1);
}
