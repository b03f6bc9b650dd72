#pragma once

#include "XAdo.h"

#include <QHash>
#include <QString>

#include <memory>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;
class XResultSet;

namespace XAdo {

struct ColumnInfo
{
    QString name;
    TFieldType type = ftUnknown;
    int size = 0;
};

// One open database file: the SQLite handle and the prepared statements of
// the Jet texts run on it (rewrite included), kept for the next run.
class Engine
{
public:
    // EOleException when the file is missing, is no database, or fails to open.
    static std::unique_ptr<Engine> Open(const QString& path, int timeoutSeconds);
    ~Engine();
    Engine(const Engine&) = delete;
    Engine& operator=(const Engine&) = delete;

    sqlite3* Db() const { return m_db; }

    // A statement that returns rows, read whole into rs.
    void Query(const QString& jetSql, const TParameters& params, XResultSet& rs, std::vector<ColumnInfo>& columns);
    // Any other statement, DDL included; rows affected.
    int Execute(const QString& jetSql, const TParameters& params);

    // SQLite text as it stands, without parameters or cache.
    void Exec(const QString& sqliteSql);
    // EOleException with the engine's message for result code rc.
    [[noreturn]] void Raise(int rc) const;

    int CachedStatementCount() const { return int(m_cache.size()); }

private:
    struct Statement
    {
        sqlite3_stmt* stmt = nullptr;
        std::vector<QString> params;   // name of each bind index, from 1
        bool changesRows = false;      // INSERT, UPDATE or DELETE
        // The result's columns as last described; described again when SQLite re-prepares.
        std::vector<ColumnInfo> columns;
        std::vector<bool> declared;
        int described = -1;            // re-prepare count when described
    };
    void describe(Statement& st);

    explicit Engine(sqlite3* db) : m_db(db) {}
    Statement* prepare(const QString& jetSql, bool* cached);
    void release(Statement* st, bool cached);
    void bind(Statement& st, const TParameters& params);
    void clearCache();

    sqlite3* m_db = nullptr;
    QHash<QString, Statement*> m_cache;
};

// The engine's message, made readable for the layer's own constraints.
QString EngineMessage(sqlite3* db);

} // namespace XAdo
