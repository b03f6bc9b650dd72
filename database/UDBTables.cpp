#include "UDBTables.h"

#include "UXLib.h"

namespace {

const bool Null = true;
const bool NotNull = false;

void PrimaryKey(TTab_Struct* Tab, const QString& Fields)
{
    AddIndex(Tab, Fields, QStringLiteral("PK_") + Tab->Name, true, false);
}

void UniqueKey(TTab_Struct* Tab, const QString& Fields)
{
    AddIndex(Tab, Fields, QStringLiteral("AK1_") + Tab->Name, false, true);
}

} // namespace

TTab_Struct* Struct_Configuracao(const QString& Name)
{
    auto* t = new TTab_Struct(Name);
    AddField(t, QStringLiteral("CFG_ID"), fcLong, 0, NotNull);
    AddField(t, QStringLiteral("VERSAO_DB"), fcText, 10, NotNull);
    AddField(t, QStringLiteral("NC_CODE"), fcLong, 0, NotNull);
    AddField(t, QStringLiteral("ID_PAIS_CODE"), fcLong, 0, NotNull);
    AddField(t, QStringLiteral("ETIQ_PAG"), fcLong, 0, NotNull);
    AddField(t, QStringLiteral("ALERT_SOUND"), fcText, 100, Null);
    AddField(t, QStringLiteral("LIMPA_EMASC"), fcLong, 0, NotNull);
    AddField(t, QStringLiteral("CAB_ETIQ_FLOR"), fcLong, 0, NotNull);
    AddField(t, QStringLiteral("PLAN_ETIQ_FLOR"), fcLong, 0, NotNull);
    AddField(t, QStringLiteral("TAL_LOCK"), fcLong, 0, Null);
    AddField(t, QStringLiteral("ID_HIBRIDACAO"), fcLong, 0, NotNull);
    AddField(t, QStringLiteral("VERSION_HIBRID"), fcLong, 0, NotNull);
    AddField(t, QStringLiteral("SMT_MAX_HIBR"), fcLong, 0, NotNull);
    PrimaryKey(t, QStringLiteral("CFG_ID"));
    return t;
}

TTab_Struct* Struct_Cruza(const QString& Name)
{
    auto* t = new TTab_Struct(Name);
    AddField(t, QStringLiteral("ID_CRUZA"), fcLong, 0, Null);
    AddField(t, QStringLiteral("NC_REP"), fcFloat, 0, NotNull);
    AddField(t, QStringLiteral("SEQ"), fcLong, 0, NotNull);
    AddField(t, QStringLiteral("REVERSO"), fcText, 1, NotNull);
    AddField(t, QStringLiteral("ID_EMASCULADOR"), fcLong, 0, NotNull);
    AddField(t, QStringLiteral("STATUS"), fcText, 1, NotNull);
    AddField(t, QStringLiteral("DUPD"), fcText, 20, NotNull);
    AddField(t, QStringLiteral("CMAQ"), fcText, 20, Null);
    AddField(t, QStringLiteral("ID_USUA_BAIXA"), fcLong, 0, Null);
    AddField(t, QStringLiteral("X_DUPD"), fcText, 20, Null);
    AddField(t, QStringLiteral("X_CMAQ"), fcText, 20, Null);
    PrimaryKey(t, QStringLiteral("NC_REP, SEQ"));
    return t;
}

TTab_Struct* Struct_Emasculador(const QString& Name)
{
    auto* t = new TTab_Struct(Name);
    AddField(t, QStringLiteral("ID"), fcLong, 0, NotNull);
    AddField(t, QStringLiteral("NOME"), fcText, 60, NotNull);
    AddField(t, QStringLiteral("USUA"), fcText, 30, NotNull);
    AddField(t, QStringLiteral("DUPD"), fcText, 20, NotNull);
    AddField(t, QStringLiteral("CMAQ"), fcText, 20, NotNull);
    PrimaryKey(t, QStringLiteral("ID"));
    return t;
}

TTab_Struct* Struct_Colheita(const QString& Name)
{
    auto* t = new TTab_Struct(Name);
    AddField(t, QStringLiteral("ID_CRUZA"), fcLong, 0, Null);
    AddField(t, QStringLiteral("ID_USUA"), fcLong, 0, Null);
    AddField(t, QStringLiteral("NC_REP"), fcFloat, 0, NotNull);
    AddField(t, QStringLiteral("QTE_SEM"), fcLong, 0, NotNull);
    AddField(t, QStringLiteral("LOTE"), fcText, 15, NotNull);
    AddField(t, QStringLiteral("OBS"), fcText, 50, Null);
    AddField(t, QStringLiteral("DUPD"), fcText, 20, NotNull);
    AddField(t, QStringLiteral("CMAQ"), fcText, 20, NotNull);
    PrimaryKey(t, QStringLiteral("NC_REP"));
    return t;
}

TTab_Struct* Struct_Colheita_Del(const QString& Name)
{
    auto* t = new TTab_Struct(Name);
    AddField(t, QStringLiteral("ID_CRUZA"), fcLong, 0, Null);
    AddField(t, QStringLiteral("ID_USUA_DEL"), fcLong, 0, Null);
    AddField(t, QStringLiteral("NC_REP"), fcFloat, 0, NotNull);
    AddField(t, QStringLiteral("DUPD"), fcText, 20, NotNull);
    AddField(t, QStringLiteral("CMAQ"), fcText, 20, NotNull);
    PrimaryKey(t, QStringLiteral("NC_REP, DUPD"));
    return t;
}

TTab_Struct* Struct_Parental(const QString& Name)
{
    auto* t = new TTab_Struct(Name);
    AddField(t, QStringLiteral("ID_PLANEJAMENTOCRUZA"), fcLong, 0, Null);
    AddField(t, QStringLiteral("ID_PROGENITOR"), fcLong, 0, Null);
    AddField(t, QStringLiteral("ID"), fcLong, 0, NotNull);
    AddField(t, QStringLiteral("CODIGO"), fcText, 30, NotNull);
    AddField(t, QStringLiteral("TRATAMENTO"), fcText, 50, NotNull);
    AddField(t, QStringLiteral("GGEN"), fcText, 20, NotNull);
    AddField(t, QStringLiteral("GENEALOGIA"), fcText, 250, Null);
    AddField(t, QStringLiteral("CFLOR"), fcText, 10, Null);
    AddField(t, QStringLiteral("CPUB"), fcText, 10, Null);
    AddField(t, QStringLiteral("USUA"), fcText, 30, NotNull);
    AddField(t, QStringLiteral("DUPD"), fcText, 20, NotNull);
    AddField(t, QStringLiteral("CMAQ"), fcText, 20, NotNull);
    AddField(t, QStringLiteral("UPD_TAL"), fcLong, 0, NotNull);
    PrimaryKey(t, QStringLiteral("ID"));
    UniqueKey(t, QStringLiteral("CODIGO"));
    return t;
}

TTab_Struct* Struct_Planejamento_Cruza(const QString& Name)
{
    auto* t = new TTab_Struct(Name);
    AddField(t, QStringLiteral("ID_PLANEJAMENTOCRUZA"), fcFloat, 0, Null);
    AddField(t, QStringLiteral("ID_CRUZA"), fcFloat, 0, Null);
    AddField(t, QStringLiteral("NC"), fcFloat, 0, NotNull);
    AddField(t, QStringLiteral("CODIGO_CRUZA"), fcText, 30, NotNull);
    AddField(t, QStringLiteral("ID_VASO_MAE"), fcLong, 0, NotNull);
    AddField(t, QStringLiteral("ID_VASO_PAI"), fcLong, 0, NotNull);
    AddField(t, QStringLiteral("PLANEJAMENTO"), fcText, 60, NotNull);
    AddField(t, QStringLiteral("REP"), fcLong, 0, NotNull);
    AddField(t, QStringLiteral("USUA"), fcText, 30, NotNull);
    AddField(t, QStringLiteral("DUPD"), fcText, 20, NotNull);
    AddField(t, QStringLiteral("CMAQ"), fcText, 20, NotNull);
    PrimaryKey(t, QStringLiteral("NC"));
    UniqueKey(t, QStringLiteral("CODIGO_CRUZA"));
    return t;
}

TTab_Struct* Struct_Etiqueta_Cruza(const QString& Name)
{
    auto* t = new TTab_Struct(Name);
    AddField(t, QStringLiteral("ID_CRUZA"), fcLong, 0, Null);
    AddField(t, QStringLiteral("NC"), fcFloat, 0, NotNull);
    AddField(t, QStringLiteral("REP"), fcLong, 0, NotNull);
    AddField(t, QStringLiteral("NC_REP"), fcFloat, 0, NotNull);
    AddField(t, QStringLiteral("NC_PRINT"), fcText, 12, NotNull);
    AddField(t, QStringLiteral("USUA"), fcText, 30, NotNull);
    AddField(t, QStringLiteral("DUPD"), fcText, 20, NotNull);
    AddField(t, QStringLiteral("CMAQ"), fcText, 20, NotNull);
    PrimaryKey(t, QStringLiteral("NC, REP"));
    return t;
}

void RegisterDBStructs(TDB_Struct* DB)
{
    if (!DB) {
        ShowError(QStringLiteral("Instância de TDB_Struct não criado."));
        return;
    }
    struct Def
    {
        const char* name;
        TTab_Struct* (*make)(const QString&);
    };
    static const Def defs[] = {
        {"Configuracao", Struct_Configuracao},
        {"Cruza", Struct_Cruza},
        {"Emasculador", Struct_Emasculador},
        {"Colheita", Struct_Colheita},
        {"Colheita_Del", Struct_Colheita_Del},
        {"Parental", Struct_Parental},
        {"Planejamento_Cruza", Struct_Planejamento_Cruza},
        {"Etiqueta_Cruza", Struct_Etiqueta_Cruza},
    };
    for (const Def& d : defs) {
        const QString name = QString::fromLatin1(d.name);
        AddTable(DB, name, d.make(name));
    }
}

QString ConfigSelectSQL()
{
    return QStringLiteral("SELECT VERSAO_DB, NC_CODE, ID_PAIS_CODE, ETIQ_PAG,        ALERT_SOUND, LIMPA_EMASC, "
                          "CAB_ETIQ_FLOR, PLAN_ETIQ_FLOR, TAL_LOCK, SMT_MAX_HIBR   FROM Configuracao "
                          "WHERE (cfg_id = 1) ");
}
