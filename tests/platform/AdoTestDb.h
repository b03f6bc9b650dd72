#pragma once

// A fresh database file per test, and the crossing tables written as the
// Jet DDL a schema tool emits ("LONG ", "FLOAT ", "TEXT(n)", " NULL ").

#include "CampaignFile.h"
#include "XAdo.h"

#include <QFile>
#include <QTemporaryDir>
#include <QVariant>

#include <gtest/gtest.h>

inline QString JetConnectionString(const QString& path)
{
    return QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=") + path
           + QStringLiteral(";Persist Security Info=False;Jet OLEDB:Database Password=pw1234");
}

inline QByteArray FileBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

struct JetCol
{
    const char* name;
    int code;   // 2 TEXT(size), 3 LONG, 4 FLOAT
    int size;
    bool null;
};

inline QString JetTypeText(int code, int size)
{
    switch (code) {
    case 2: return QStringLiteral("TEXT(%1)").arg(size);
    case 3: return QStringLiteral("LONG ");
    case 4: return QStringLiteral("FLOAT ");
    }
    return QString();
}

inline QString JetCreateTable(const QString& table, std::initializer_list<JetCol> cols, const QString& pk,
                              const QString& uniqueKey = QString())
{
    QStringList parts;
    for (const JetCol& c : cols)
        parts.append(QString::fromLatin1(c.name) + u' ' + JetTypeText(c.code, c.size) + u' '
                     + (c.null ? QStringLiteral(" NULL ") : QStringLiteral(" NOT NULL ")));
    parts.append(QStringLiteral("CONSTRAINT PK_%1 PRIMARY KEY (%2)").arg(table, pk));
    if (!uniqueKey.isEmpty())
        parts.append(QStringLiteral("CONSTRAINT AK1_%1 UNIQUE (%2)").arg(table, uniqueKey));
    return QStringLiteral("CREATE TABLE %1 (%2)").arg(table, parts.join(QStringLiteral(", ")));
}

// The eight crossing tables in their current structure.
inline QStringList CrossingTablesDdl()
{
    return {
        JetCreateTable("Configuracao",
                       {{"CFG_ID", 3, 0, false}, {"VERSAO_DB", 2, 10, false}, {"NC_CODE", 3, 0, false},
                        {"ID_PAIS_CODE", 3, 0, false}, {"ETIQ_PAG", 3, 0, false}, {"ALERT_SOUND", 2, 100, true},
                        {"LIMPA_EMASC", 3, 0, false}, {"CAB_ETIQ_FLOR", 3, 0, false}, {"PLAN_ETIQ_FLOR", 3, 0, false},
                        {"TAL_LOCK", 3, 0, true}, {"ID_HIBRIDACAO", 3, 0, false}, {"VERSION_HIBRID", 3, 0, false},
                        {"SMT_MAX_HIBR", 3, 0, false}},
                       "CFG_ID"),
        JetCreateTable("Cruza",
                       {{"ID_CRUZA", 3, 0, true}, {"NC_REP", 4, 0, false}, {"SEQ", 3, 0, false},
                        {"REVERSO", 2, 1, false}, {"ID_EMASCULADOR", 3, 0, false}, {"STATUS", 2, 1, false},
                        {"DUPD", 2, 20, false}, {"CMAQ", 2, 20, true}, {"ID_USUA_BAIXA", 3, 0, true},
                        {"X_DUPD", 2, 20, true}, {"X_CMAQ", 2, 20, true}},
                       "NC_REP, SEQ"),
        JetCreateTable("Emasculador",
                       {{"ID", 3, 0, false}, {"NOME", 2, 60, false}, {"USUA", 2, 30, false},
                        {"DUPD", 2, 20, false}, {"CMAQ", 2, 20, false}},
                       "ID"),
        JetCreateTable("Colheita",
                       {{"ID_CRUZA", 3, 0, true}, {"ID_USUA", 3, 0, true}, {"NC_REP", 4, 0, false},
                        {"QTE_SEM", 3, 0, false}, {"LOTE", 2, 15, false}, {"OBS", 2, 50, true},
                        {"DUPD", 2, 20, false}, {"CMAQ", 2, 20, false}},
                       "NC_REP"),
        JetCreateTable("Colheita_Del",
                       {{"ID_CRUZA", 3, 0, true}, {"ID_USUA_DEL", 3, 0, true}, {"NC_REP", 4, 0, false},
                        {"DUPD", 2, 20, false}, {"CMAQ", 2, 20, false}},
                       "NC_REP, DUPD"),
        JetCreateTable("Parental",
                       {{"ID_PLANEJAMENTOCRUZA", 3, 0, true}, {"ID_PROGENITOR", 3, 0, true}, {"ID", 3, 0, false},
                        {"CODIGO", 2, 30, false}, {"TRATAMENTO", 2, 50, false}, {"GGEN", 2, 20, false},
                        {"GENEALOGIA", 2, 250, true}, {"CFLOR", 2, 10, true}, {"CPUB", 2, 10, true},
                        {"USUA", 2, 30, false}, {"DUPD", 2, 20, false}, {"CMAQ", 2, 20, false},
                        {"UPD_TAL", 3, 0, false}},
                       "ID", "CODIGO"),
        JetCreateTable("Planejamento_Cruza",
                       {{"ID_PLANEJAMENTOCRUZA", 4, 0, true}, {"ID_CRUZA", 4, 0, true}, {"NC", 4, 0, false},
                        {"CODIGO_CRUZA", 2, 30, false}, {"ID_VASO_MAE", 3, 0, false}, {"ID_VASO_PAI", 3, 0, false},
                        {"PLANEJAMENTO", 2, 60, false}, {"REP", 3, 0, false}, {"USUA", 2, 30, false},
                        {"DUPD", 2, 20, false}, {"CMAQ", 2, 20, false}},
                       "NC", "CODIGO_CRUZA"),
        JetCreateTable("Etiqueta_Cruza",
                       {{"ID_CRUZA", 3, 0, true}, {"NC", 4, 0, false}, {"REP", 3, 0, false}, {"NC_REP", 4, 0, false},
                        {"NC_PRINT", 2, 12, false}, {"USUA", 2, 30, false}, {"DUPD", 2, 20, false},
                        {"CMAQ", 2, 20, false}},
                       "NC, REP"),
    };
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

    // The first column of the first row, as text.
    QString scalar(const QString& sql)
    {
        TADOQuery q;
        q.setConnection(&conn);
        q.SQL.setText(sql);
        q.Open();
        return q.IsEmpty() ? QStringLiteral("<none>") : q.Fields(0)->AsString();
    }

    // Every row, columns joined by "|", rows by ";".
    QString rows(const QString& sql)
    {
        TADOQuery q;
        q.setConnection(&conn);
        q.SQL.setText(sql);
        q.Open();
        return DataSetRows(q);
    }

    void createCrossingTables()
    {
        for (const QString& ddl : CrossingTablesDdl())
            exec(ddl);
    }
};
