#pragma once

// A fresh database file per test, and the crossing tables written as the
// Jet DDL a schema tool emits ("LONG ", "FLOAT ", "TEXT(n)", " NULL ").

#include "CampaignFile.h"
#include "XAdo.h"
#include "XExceptions.h"

#include <QFile>
#include <QTemporaryDir>
#include <QVariant>

#include <gtest/gtest.h>

inline QString JetConnectionString(const QString& path)
{
    return QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=") + path
           + QStringLiteral(";Persist Security Info=False;Jet OLEDB:Database Password=pw1234");
}

// Columns as "NAME T" with T one of L (LONG), F (FLOAT), Tn (TEXT(n)); a trailing '?' allows Null.
inline QString JetCreateTable(const QString& table, const QString& cols, const QString& pk, const QString& uniqueKey = {})
{
    QStringList parts;
    for (const QString& c : cols.split(u',', Qt::SkipEmptyParts)) {
        const QStringList nt = c.split(u' ', Qt::SkipEmptyParts);
        const QString t = nt[1];
        const QString type = t[0] == u'L' ? QStringLiteral("LONG ") : t[0] == u'F' ? QStringLiteral("FLOAT ")
                                                                                   : "TEXT(" + QString(t.mid(1)).remove(u'?') + ")";
        parts.append(nt[0] + u' ' + type + u' ' + (t.endsWith(u'?') ? QStringLiteral(" NULL ") : QStringLiteral(" NOT NULL ")));
    }
    parts.append(QStringLiteral("CONSTRAINT PK_%1 PRIMARY KEY (%2)").arg(table, pk));
    if (!uniqueKey.isEmpty())
        parts.append(QStringLiteral("CONSTRAINT AK1_%1 UNIQUE (%2)").arg(table, uniqueKey));
    return QStringLiteral("CREATE TABLE %1 (%2)").arg(table, parts.join(QStringLiteral(", ")));
}

// The eight crossing tables in their current structure.
inline QStringList CrossingTablesDdl()
{
    return {
        JetCreateTable("Configuracao", "CFG_ID L, VERSAO_DB T10, NC_CODE L, ID_PAIS_CODE L, ETIQ_PAG L, ALERT_SOUND T100?, "
                       "LIMPA_EMASC L, CAB_ETIQ_FLOR L, PLAN_ETIQ_FLOR L, TAL_LOCK L?, ID_HIBRIDACAO L, VERSION_HIBRID L, "
                       "SMT_MAX_HIBR L", "CFG_ID"),
        JetCreateTable("Cruza", "ID_CRUZA L?, NC_REP F, SEQ L, REVERSO T1, ID_EMASCULADOR L, STATUS T1, DUPD T20, CMAQ T20?, "
                       "ID_USUA_BAIXA L?, X_DUPD T20?, X_CMAQ T20?", "NC_REP, SEQ"),
        JetCreateTable("Emasculador", "ID L, NOME T60, USUA T30, DUPD T20, CMAQ T20", "ID"),
        JetCreateTable("Colheita", "ID_CRUZA L?, ID_USUA L?, NC_REP F, QTE_SEM L, LOTE T15, OBS T50?, DUPD T20, CMAQ T20", "NC_REP"),
        JetCreateTable("Colheita_Del", "ID_CRUZA L?, ID_USUA_DEL L?, NC_REP F, DUPD T20, CMAQ T20", "NC_REP, DUPD"),
        JetCreateTable("Parental", "ID_PLANEJAMENTOCRUZA L?, ID_PROGENITOR L?, ID L, CODIGO T30, TRATAMENTO T50, GGEN T20, "
                       "GENEALOGIA T250?, CFLOR T10?, CPUB T10?, USUA T30, DUPD T20, CMAQ T20, UPD_TAL L", "ID", "CODIGO"),
        JetCreateTable("Planejamento_Cruza", "ID_PLANEJAMENTOCRUZA F?, ID_CRUZA F?, NC F, CODIGO_CRUZA T30, ID_VASO_MAE L, "
                       "ID_VASO_PAI L, PLANEJAMENTO T60, REP L, USUA T30, DUPD T20, CMAQ T20", "NC", "CODIGO_CRUZA"),
        JetCreateTable("Etiqueta_Cruza", "ID_CRUZA L?, NC F, REP L, NC_REP F, NC_PRINT T12, USUA T30, DUPD T20, CMAQ T20", "NC, REP"),
    };
}

// Sets a parameter's type and value.
inline void SetParam(TParameters& params, const QString& name, TFieldType type, const QVariant& value)
{
    params.ParamByName(name)->DataType = type;
    params.ParamByName(name)->Value = value;
}

// A new database file in a temporary folder, open on conn.
struct AdoTestDb
{
    QTemporaryDir dir;
    QString path;
    TADOConnection conn;

    explicit AdoTestDb(const QString& fileName = QStringLiteral("campanha.mdb"))
    {
        path = dir.filePath(fileName);
        CreateDatabaseFile(path);
        conn.setConnectionString(JetConnectionString(path));
        conn.Open();
    }

    int exec(const QString& sql)
    {
        TADOCommand cmd;
        cmd.setConnection(&conn);
        cmd.setCommandText(sql);
        return cmd.Execute();
    }

    // Binds q to this database with the given text.
    void prepare(TADOQuery& q, const QString& sql)
    {
        q.setConnection(&conn);
        q.SQL.setText(sql);
    }

    // The message of the EOleException the statement raises, "<accepted>" when it runs.
    QString refusal(const QString& sql)
    {
        try {
            exec(sql);
        } catch (const EOleException& e) {
            return e.Message();
        }
        return QStringLiteral("<accepted>");
    }

    // The first column of the first row, as text.
    QString scalar(const QString& sql)
    {
        TADOQuery q;
        prepare(q, sql);
        q.Open();
        return q.IsEmpty() ? QStringLiteral("<none>") : q.Fields(0)->AsString();
    }

    // Every row, columns joined by "|", rows by ";".
    QString rows(const QString& sql)
    {
        TADOQuery q;
        prepare(q, sql);
        q.Open();
        return DataSetRows(q);
    }

    void createCrossingTables()
    {
        for (const QString& ddl : CrossingTablesDdl())
            exec(ddl);
    }
};
