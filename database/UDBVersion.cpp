#include "UDBVersion.h"

#include "UXForms.h"
#include "UXLib.h"
#include "XAdo.h"
#include "XAdoEngine.h"
#include "XExceptions.h"

#include <memory>
#include <optional>

const QString DBVersion = QStringLiteral("02.005");

void GetDBVersion(TDB_Struct* DB, QString& Msg, QString& Ver)
{
    if (!DB->FindTable(QStringLiteral("Configuracao"))) {
        Ver.clear();
        Msg = QStringLiteral("Tabela de configuração não encontrado no banco de dados.");
        return;
    }
    if (!IsConnected(DB))
        ConnectDB(DB, true);
    if (!IsConnected(DB)) {
        Ver.clear();
        Msg = QStringLiteral("Não foi possível conectar ao banco de dados.");
        return;
    }
    std::unique_ptr<TADOQuery> q(NewQuery(DB->Connection));
    try {
        q->SQL.setText(QStringLiteral("SELECT versao_db   FROM Configuracao"));
        q->Open();
        if (!q->IsEmpty()) {
            q->First();
            Ver = q->FieldByName(QStringLiteral("versao_db"))->AsString();
        }
        q->Close();
    } catch (const Exception& e) {
        Ver.clear();
        Msg = e.Message();
    }
}

namespace {

// One run of the upgrade: its result so far and the reason of a failure.
class TUpgrade
{
public:
    TUpgrade(TDB_Struct* DB, const QString& Ver) : m_db(DB), m_ver(Ver) {}

    bool Ok = true;
    QString Detail;

    // A part runs when its step applies and nothing has failed; Tab is its table.
    bool Begin(const char* Step, const char* Table, TTab_Struct*& Tab)
    {
        Tab = nullptr;
        if (!(m_ver < QLatin1String(Step)) || !Ok)
            return false;
        const QString name = QString::fromLatin1(Table);
        Tab = m_db->FindTable(name);
        if (!Tab) {
            Ok = false;
            Detail = QStringLiteral("Tabela ") + name + QStringLiteral(" não encontrado.");
            return false;
        }
        return true;
    }

    // Runs one part in one write transaction: a part that fails, or a run
    // killed inside it, leaves none of it, and the next start runs it whole.
    template <typename F>
    void Part(const char* Step, const char* Table, F Body)
    {
        TTab_Struct* t = nullptr;
        if (!Begin(Step, Table, t))
            return;
        std::optional<TADOTransaction> tx;
        if (Guarded([&] { tx.emplace(m_db->Connection); }))
            Body(t);
        if (Ok)
            Guarded([&] { tx->Commit(); });
    }

    // Adds the column when the table lacks it; true when it was added now.
    bool Added(TTab_Struct* Tab, const QString& Field, quint8 Type, qint32 Size, bool AllowNull)
    {
        if (!Ok || Tab->FindField(Field))
            return false;
        Ok = AddColumn(Tab, m_db->Connection, Field, Type, Size, AllowNull);
        return Ok;
    }

    bool AddMissing(TTab_Struct* Tab, const QString& Field, quint8 Type, qint32 Size, bool AllowNull)
    {
        Added(Tab, Field, Type, Size, AllowNull);
        return Ok;
    }

    bool Alter(TTab_Struct* Tab, const QString& Field, quint8 Type, qint32 Size, bool AllowNull)
    {
        if (Ok)
            Ok = AlterColumn(Tab, m_db->Connection, Field, Type, Size, AllowNull);
        return Ok;
    }

    bool Exec(const QString& SQL)
    {
        if (Ok)
            Ok = ExecSQL(m_db->Connection, SQL);
        return Ok;
    }

    // A default update: one statement on the schema's connection.
    bool Update(const QString& SQL, const QString& ErrorPrefix)
    {
        if (Ok)
            Ok = RunStatement(m_db, SQL, ErrorPrefix);
        return Ok;
    }

    static bool RunStatement(TDB_Struct* DB, const QString& SQL, const QString& ErrorPrefix)
    {
        std::unique_ptr<TADOCommand> cmd(NewCommand(DB->Connection));
        return Reported(ErrorPrefix, [&] {
            cmd->setCommandText(SQL);
            cmd->Execute();
            return true;
        });
    }

private:
    // A transaction that cannot begin or commit ends the upgrade with its reason.
    template <typename F>
    bool Guarded(F Work)
    {
        try {
            Work();
            return true;
        } catch (...) {
            Ok = false;
            Detail = ExceptionMessage(std::current_exception());
            return false;
        }
    }

    TDB_Struct* m_db;
    const QString& m_ver;
};

bool WriteVersion(TDB_Struct* DB)
{
    if (!IsConnected(DB))
        ConnectDB(DB, true);
    if (!IsConnected(DB)) {
        ShowError(QStringLiteral("Erro ao atualizar a versão do banco de dados. \r\n"
                                 "Erro: Não foi possível conectar ao banco de dados."));
        return false;
    }
    return TUpgrade::RunStatement(DB, QStringLiteral("UPDATE Configuracao   SET versao_db = '") + DBVersion
                                          + QStringLiteral("'"),
                                  QStringLiteral("Erro ao atualizar a versão do banco de dados. \r\nErro: "));
}

// The crossing key as the upgrade makes it.
bool IsCruzaKey(const TIndex_Struct* Index)
{
    if (!Index || !Index->Primary)
        return false;
    QString fields = Index->Fields;
    fields.remove(u' ');
    return fields.compare(QLatin1String("NC_REP,SEQ"), Qt::CaseInsensitive) == 0;
}

const QString ConfigError = QStringLiteral("Erro ao atualizar a configuração do banco de dados (");

} // namespace

bool UpdateDBVersion(TDB_Struct* DB)
{
    QString detail;
    QString ver;
    GetDBVersion(DB, detail, ver);

    bool result = true;
    if (ver.isEmpty()) {
        result = false;
    } else if (ver > DBVersion) {
        ShowError(QStringLiteral("Versão do Aplicativo diferente da versão do Banco de Dados.\r\n"
                                 "Deve-se Atualizar o Aplicativo.\r\nAplicativo: [")
                  + DBVersion + QStringLiteral("]\r\nBanco de Dados: [") + ver + QStringLiteral("]"));
        result = false;
    } else if (ver < DBVersion) {
        TUpgrade u(DB, ver);

        u.Part("01.002", "Cruza", [&](TTab_Struct* t) {
            u.AddMissing(t, QStringLiteral("X_USUA"), fcText, 30, true);
            u.AddMissing(t, QStringLiteral("X_DUPD"), fcText, 20, true);
            u.AddMissing(t, QStringLiteral("X_CMAQ"), fcText, 20, true);
            // Also when SEQ was there: a Null in it would stop the key's rebuild.
            if (u.AddMissing(t, QStringLiteral("SEQ"), fcLong, 0, true))
                u.Update(QStringLiteral("UPDATE Cruza   SET seq = 1  WHERE (seq IS null)"),
                         QStringLiteral("Erro ao atualizar a versão do banco de dados ([Cruza]:Seq). \r\nErro: "));
        });
        u.Part("01.002", "Cruza", [&](TTab_Struct* t) {
            // A file without the key may hold a label twice on SEQ 1: it stays without one.
            const TIndex_Struct* key = t->FindIndex(QStringLiteral("PK_Cruza"));
            if (!key || IsCruzaKey(key))
                return;
            u.Exec(QStringLiteral("ALTER TABLE Cruza DROP CONSTRAINT PK_Cruza"));
            u.Exec(QStringLiteral("CREATE INDEX PK_Cruza ON Cruza (NC_REP, SEQ) WITH PRIMARY"));
        });
        u.Part("01.003", "Configuracao", [&](TTab_Struct* t) {
            if (u.Added(t, QStringLiteral("etiq_pag"), fcLong, 0, true))
                u.Update(QStringLiteral("UPDATE Configuracao   SET etiq_pag = 16  WHERE (etiq_pag IS null)"),
                         ConfigError + QStringLiteral("[etiq_pag]). \r\nErro: "));
        });
        u.Part("01.005", "Parental", [&](TTab_Struct* t) {
            u.AddMissing(t, QStringLiteral("ID_AGROBASE"), fcText, 30, true);
            u.AddMissing(t, QStringLiteral("CODIGO_FN"), fcText, 30, true);
            u.AddMissing(t, QStringLiteral("LOTE_SEMENTE_FN"), fcText, 30, true);
            u.AddMissing(t, QStringLiteral("EXPE_FN"), fcText, 50, true);
            u.AddMissing(t, QStringLiteral("PARC_FN"), fcText, 20, true);
            if (t->FindField(QStringLiteral("CODIGO")))
                u.Alter(t, QStringLiteral("CODIGO"), fcText, 30, false);
            else
                u.AddMissing(t, QStringLiteral("CODIGO"), fcText, 30, false);
        });
        u.Part("01.005", "Planejamento_Cruza", [&](TTab_Struct* t) {
            u.AddMissing(t, QStringLiteral("F1_AGROBASE"), fcText, 30, true);
            u.AddMissing(t, QStringLiteral("CRUZA_AGROBASE"), fcText, 30, true);
            u.AddMissing(t, QStringLiteral("LOTE_SEMENTE_F1"), fcText, 30, true);
        });
        u.Part("01.011", "Configuracao", [&](TTab_Struct* t) {
            if (u.AddMissing(t, QStringLiteral("LIMPA_EMASC"), fcLong, 0, true))
                u.Update(QStringLiteral("UPDATE Configuracao   SET limpa_emasc = 0  WHERE (limpa_emasc IS null)"),
                         ConfigError + QStringLiteral("[limpa_emasc]). \r\nErro: "));
        });
        u.Part("01.015", "Parental", [&](TTab_Struct* t) {
            u.AddMissing(t, QStringLiteral("CFLOR"), fcText, 10, true);
            u.AddMissing(t, QStringLiteral("CPUB"), fcText, 10, true);
        });
        u.Part("01.017", "Configuracao", [&](TTab_Struct* t) {
            u.AddMissing(t, QStringLiteral("CAB_ETIQ_FLOR"), fcLong, 0, true);
            if (u.Added(t, QStringLiteral("PLAN_ETIQ_FLOR"), fcLong, 0, true))
                u.Update(QStringLiteral("UPDATE Configuracao   SET cab_etiq_flor = 0, plan_etiq_flor = 1  "
                                        "WHERE ((cab_etiq_flor IS null) OR (plan_etiq_flor IS null))"),
                         ConfigError + QStringLiteral("[cab_etiq_flor, plan_etiq_flor]). \r\nErro: "));
        });
        u.Part("01.018", "Planejamento_Cruza", [&](TTab_Struct* t) {
            if (t->FindField(QStringLiteral("PLANEJAMENTO")))
                u.Alter(t, QStringLiteral("PLANEJAMENTO"), fcText, 60, false);
            else
                u.AddMissing(t, QStringLiteral("PLANEJAMENTO"), fcText, 60, true);
        });
        u.Part("02.002", "Configuracao", [&](TTab_Struct* t) {
            if (u.Added(t, QStringLiteral("SMT_MAX_HIBR"), fcLong, 0, true))
                u.Update(QStringLiteral("UPDATE Configuracao   SET smt_max_hibr = 4  WHERE (smt_max_hibr IS null) "),
                         ConfigError + QStringLiteral("[SMT_MAX_HIBR]). \r\nErro: "));
        });

        result = u.Ok;
        detail = u.Detail;
        if (result)
            result = WriteVersion(DB);
    }
    if (!result && !detail.isEmpty())
        ShowError(QStringLiteral("Erro ao atualizar o banco de dados.\r\n") + detail);
    return result;
}

namespace {

bool HasIndexOn(TADOConnection* Conn, const QString& Table, const QString& FirstField)
{
    TADOTable t;
    t.setConnection(Conn);
    t.setTableName(Table);
    for (const TIndexDef& d : t.IndexDefs())
        if (d.Fields.section(u',', 0, 0).trimmed().compare(FirstField, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

} // namespace

void CreateQueryIndexes(TADOConnection* Conn, bool Label, bool Date)
{
    // A read-only file takes them in its in-memory copy, the file unchanged.
    if (!Conn || !Conn->Connected() || (Conn->ReadOnly() && !Conn->Engine()->InMemory()))
        return;
    const struct {
        bool Wanted;
        const char* Table;
        const char* Field;
        const char* Sql;
    } indexes[] = {
        {Label, "Etiqueta_Cruza", "NC_REP", "CREATE INDEX IX_Etiqueta_Cruza_NC_REP ON Etiqueta_Cruza (NC_REP, NC, NC_PRINT)"},
        {Date, "Cruza", "DUPD", "CREATE INDEX IX_Cruza_DUPD ON Cruza (DUPD DESC)"},
        // The newest envelopes and write-offs first, and the lots' figures read from an index.
        {Date, "Colheita", "DUPD", "CREATE INDEX IX_Colheita_DUPD ON Colheita (DUPD DESC, LOTE)"},
        {Date, "Colheita", "LOTE", "CREATE INDEX IX_Colheita_LOTE ON Colheita (LOTE, DUPD)"},
        {Date, "Cruza", "STATUS", "CREATE INDEX IX_Cruza_STATUS ON Cruza (STATUS, X_DUPD)"},
    };
    XAdo::Engine* E = Conn->Engine();
    bool Writing = false;
    for (const auto& ix : indexes) {
        try {
            if (!ix.Wanted || HasIndexOn(Conn, QLatin1String(ix.Table), QLatin1String(ix.Field)))
                continue;
            if (Conn->ReadOnly()) {
                E->IndexCopy(QLatin1String(ix.Sql));
                continue;
            }
            // Made while no other program uses the file, or left for a later start: the start never waits for them.
            if (!Writing && !(Writing = E->TryBeginExclusive()))
                return;
            TADOCommand cmd;
            cmd.setConnection(Conn);
            cmd.setCommandText(QLatin1String(ix.Sql));
            cmd.Execute();
        } catch (const Exception&) {
            // An older structure: the look-ups work without it.
        }
    }
    if (!Writing)
        return;
    try {
        E->CommitTransaction();
    } catch (const Exception&) {
        E->RollbackTransaction();
    }
}
