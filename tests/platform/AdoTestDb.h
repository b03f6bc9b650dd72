#pragma once

#include "CampaignFile.h"
#include "XAdo.h"
#include "XExceptions.h"

#include <QTemporaryDir>
#include <QVariant>

#include <gtest/gtest.h>

inline QString JetConnectionString(const QString& path)
{
    return QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=") + path
           + QStringLiteral(";Persist Security Info=False;Jet OLEDB:Database Password=pw1234");
}

inline void SetParam(TParameters& params, const QString& name, TFieldType type, const QVariant& value)
{
    params.ParamByName(name)->DataType = type;
    params.ParamByName(name)->Value = value;
}

// A new database file in a temporary folder, open on conn, with small helpers for assertions.
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
};
