#pragma once

#include "CampaignFile.h"
#include "XAdo.h"
#include "XExceptions.h"

#include <QTemporaryDir>
#include <QVariant>

#include <gtest/gtest.h>
#include <sqlite3.h>

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

// The message of the EOleException opening raises, "<opened>" when it opens.
inline QString OpenRefusal(TADOConnection& Conn)
{
    try {
        Conn.Open();
    } catch (const EOleException& e) {
        return e.Message();
    }
    return QStringLiteral("<opened>");
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

// A connection of another program, straight through SQLite, waiting for no lock.
struct RawConnection
{
    sqlite3* db = nullptr;
    explicit RawConnection(const QString& Path) { sqlite3_open(Path.toUtf8().constData(), &db); }
    ~RawConnection() { sqlite3_close(db); }
    int exec(const char* Sql) { return sqlite3_exec(db, Sql, nullptr, nullptr, nullptr); }

    // Every row, cells joined by "|" (Null as empty), rows by ";"; SQLite's message when it cannot run.
    QString rows(const QString& Sql)
    {
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(db, Sql.toUtf8().constData(), -1, &st, nullptr) != SQLITE_OK)
            return QString::fromUtf8(sqlite3_errmsg(db));
        QStringList out;
        while (sqlite3_step(st) == SQLITE_ROW) {
            QStringList cells;
            for (int c = 0; c < sqlite3_column_count(st); ++c)
                cells << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, c)));
            out << cells.join(u'|');
        }
        sqlite3_finalize(st);
        return out.join(u';');
    }
};
