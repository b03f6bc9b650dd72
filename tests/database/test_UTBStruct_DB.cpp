#include "CampaignFile.h"
#include "UDBTables.h"
#include "UTBStruct_DB.h"
#include "XDialogs.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

TTab_Struct* Table(const QString& name, std::initializer_list<std::tuple<const char*, quint8, int>> fields)
{
    auto* t = new TTab_Struct(name);
    for (const auto& [f, type, size] : fields)
        AddField(t, QLatin1String(f), type, size, true);
    return t;
}

} // namespace

// One entry per table missing or differing, in registration order, a line for
// each field; names match in any case, nullability is not compared.
TEST(SchemaCompare, OneEntryPerTableInRegistrationOrderWithALinePerField)
{
    TDB_Struct expected;
    TDB_Struct actual;
    AddTable(&expected, QStringLiteral("Configuracao"), Table(QStringLiteral("Configuracao"), {{"ETIQ_PAG", fcLong, 0}}));
    AddTable(&expected, QStringLiteral("Cruza"), Table(QStringLiteral("Cruza"), {{"DUPD", fcText, 20}, {"SEQ", fcLong, 0},
                                                                                 {"NC_REP", fcFloat, 0}, {"CMAQ", fcText, 20},
                                                                                 {"ID_CRUZA", fcLong, 0}}));
    AddTable(&expected, QStringLiteral("_Aux"), Table(QStringLiteral("_Aux"), {{"A", fcLong, 0}}));
    AddTable(&actual, QStringLiteral("CONFIGURACAO"), Table(QStringLiteral("CONFIGURACAO"), {{"etiq_pag", fcLong, 0}}));
    AddTable(&actual, QStringLiteral("cruza"), Table(QStringLiteral("cruza"), {{"dupd", fcText, 50}, {"SEQ", fcFloat, 0},
                                                                               {"nc_rep", fcFloat, 0}, {"EXTRA", fcMemo, 0},
                                                                               {"ID_CRUZA", fcNone, 0}}));
    AddTable(&actual, QStringLiteral("Sobra"), Table(QStringLiteral("Sobra"), {}));
    actual.FindTable(QStringLiteral("Cruza"))->FindField(QStringLiteral("NC_REP"))->AllowNull = false;
    TStringList log;
    log.Add(QStringLiteral("antiga"));
    EXPECT_FALSE(CompareSchema(&expected, &actual, &log));
    EXPECT_EQ(log.ToStringList(),
              QStringList({QStringLiteral("Tabela: Cruza\r\n"
                                          "Campo: DUPD.  Estrutura Esperada: TEXT(20)  Estrutura retornada: TEXT(50)\r\n"
                                          "Campo: SEQ.  Estrutura Esperada: LONG   Estrutura retornada: FLOAT \r\n"
                                          "Campo: CMAQ não encontrado na tabela cruza.\r\n"
                                          "Campo: ID_CRUZA.  Estrutura Esperada: LONG   Estrutura retornada: \r\n"),
                           QStringLiteral("Tabela _Aux não encontrado.")}));
}

TEST(SchemaRead, CurrentFileMatchesTheDefinitions)
{
    TDlgRecorder rec;
    TCampaignFile file;
    // Neither tables whose name does not begin with a letter, nor views,
    // nor the engine's own tables are read as tables.
    file.Exec(QStringLiteral("CREATE TABLE [_Aux] (A LONG NULL, CONSTRAINT PK_Aux PRIMARY KEY (A))"));
    file.Exec(QStringLiteral("CREATE TABLE [9Tab] (A LONG NULL, CONSTRAINT PK_9 PRIMARY KEY (A))"));
    file.Exec(QStringLiteral("CREATE VIEW Vista AS SELECT nc_rep FROM Cruza"));
    file.Exec(QStringLiteral("ANALYZE"));
    ASSERT_EQ(file.Scalar(QStringLiteral("SELECT COUNT(*) FROM sqlite_master WHERE name = 'sqlite_stat1'")), "1");
    TDB_Struct expected;
    RegisterDBStructs(&expected);
    TDB_Struct actual;
    SetConnection(&actual, &file.Conn);
    ASSERT_TRUE(ReadSchema(&actual));
    QStringList names = actual.Tables.ToStringList();
    names.sort(Qt::CaseInsensitive);
    EXPECT_EQ(names, QStringList({"Colheita", "Colheita_Del", "Configuracao", "Cruza", "Emasculador", "Etiqueta_Cruza",
                                  "Parental", "Planejamento_Cruza"}));
    TStringList log;
    EXPECT_TRUE(CompareSchema(&expected, &actual, &log)) << qPrintable(log.Text());

    const TTab_Struct* cruza = actual.FindTable(QStringLiteral("cruza"));
    ASSERT_NE(cruza, nullptr);
    EXPECT_FALSE(cruza->FindField(QStringLiteral("SEQ"))->AllowNull);
    EXPECT_TRUE(cruza->FindField(QStringLiteral("X_USUA"))->AllowNull);
    const TIndex_Struct* pk = cruza->FindIndex(QStringLiteral("PK_Cruza"));
    EXPECT_TRUE(pk && pk->Primary);
    const TIndex_Struct* ak = actual.FindTable(QStringLiteral("Parental"))->FindIndex(QStringLiteral("AK1_Parental"));
    EXPECT_TRUE(ak && ak->Unique && !ak->Primary);
    EXPECT_EQ(rec.Count(), 0);
    ClearConnection(&actual);
}

TEST(SchemaRead, ProviderKindsReadBackAsTypeCodes)
{
    TCampaignFile file;
    file.Exec(QStringLiteral("CREATE TABLE Tipos (A SHORT NULL, B BIT NULL, C DOUBLE NULL, D MEMO NULL, E DATETIME NULL, "
                             "F COUNTER, G TEXT(50) NOT NULL, CONSTRAINT PK_Tipos PRIMARY KEY (F))"));
    std::unique_ptr<TTab_Struct> t;
    {
        TDB_Struct db;
        SetConnection(&db, &file.Conn);
        t.reset(ReadTable(&db, QStringLiteral("Tipos")));
    }
    // Freeing the schema closes a connection lent to it, unless cleared (as every structure check does).
    EXPECT_FALSE(file.Conn.Connected());
    ASSERT_EQ(t->Fields.Count(), 7);
    const quint8 codes[] = {fcLong, fcNone, fcFloat, fcMemo, fcDateTime, fcAutoInc, fcText};
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(t->FieldAt(i)->FieldType, codes[i]) << i;
    EXPECT_EQ(t->FieldAt(6)->Size, 50);
    EXPECT_FALSE(t->FieldAt(6)->AllowNull);

    // A SHORT column passes as LONG; a Yes/No column never does.
    std::unique_ptr<TTab_Struct> exp(Table(QStringLiteral("Tipos"), {{"A", fcLong, 0}, {"B", fcLong, 0}}));
    TStringList log;
    EXPECT_FALSE(CompareTable(exp.get(), t.get(), &log));
    EXPECT_EQ(log.Text(), QStringLiteral("Campo: B.  Estrutura Esperada: LONG   Estrutura retornada: \r\n"));
}

// Success of a new column or a statement is driven by every upgrade; a failed alteration by the upgrade of a Null parent code.
TEST(SchemaChange, FailuresAreReportedAndTheModelKeepsInStepWithTheFile)
{
    TDlgRecorder rec;
    TCampaignFile file;
    TDB_Struct db;
    SetConnection(&db, &file.Conn);
    ASSERT_TRUE(ReadSchema(&db));
    TTab_Struct* cfg = db.FindTable(QStringLiteral("Configuracao"));
    ASSERT_TRUE(AddColumn(cfg, &file.Conn, QStringLiteral("extra_pag"), fcLong, 0, true));
    EXPECT_EQ(cfg->FindField(QStringLiteral("EXTRA_PAG"))->Name, QStringLiteral("extra_pag"));
    const int fields = cfg->Fields.Count();
    EXPECT_FALSE(AddColumn(cfg, &file.Conn, QStringLiteral("CFG_ID"), fcLong, 0, true));
    EXPECT_EQ(cfg->Fields.Count(), fields);
    EXPECT_FALSE(ExecSQL(&file.Conn, QStringLiteral("UPDATE Nada SET a = 1")));
    file.Conn.Close();
    EXPECT_FALSE(ExecSQL(&file.Conn, QStringLiteral("UPDATE Configuracao SET etiq_pag = 1")));
    EXPECT_FALSE(ExecSQL(nullptr, QStringLiteral("UPDATE Configuracao SET etiq_pag = 1")));
    const QStringList texts = rec.Texts();
    ASSERT_EQ(texts.size(), 4);
    EXPECT_TRUE(texts[0].startsWith(QStringLiteral("Erro ao Criar o campo da Tabela [Configuracao].\r\nTipo: EOleException\r\nErro: ")));
    EXPECT_TRUE(texts[1].startsWith(QStringLiteral("Erro ao Executar Query \r\nClasse: EOleException\r\nErro: ")));
    EXPECT_TRUE(texts[1].contains(QStringLiteral("Nada")));
    EXPECT_EQ(texts.mid(2), QStringList(2, QStringLiteral("[TAdoConnection] deve estar configurado e conectado.")));
    ClearConnection(&db);
}

TEST(Tables, MissingSchemaIsReportedAndTheConfigurationRowIsCfgIdOne)
{
    TDlgRecorder rec;
    RegisterDBStructs(nullptr);
    EXPECT_EQ(rec.Texts(), QStringList(QStringLiteral("Instância de TDB_Struct não criado.")));

    TCampaignOptions o;
    o.Ean13 = true;
    o.TalLock = QVariant();
    TCampaignFile f(o);
    EXPECT_EQ(f.Rows(ConfigSelectSQL()), QStringLiteral("02.005|1|0|16||0|0|1||4"));
    f.Exec(QStringLiteral("UPDATE Configuracao SET cfg_id = 2"));
    EXPECT_EQ(f.Rows(ConfigSelectSQL()), QString());
}
