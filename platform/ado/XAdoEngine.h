#pragma once

#include "XAdo.h"

#include <QHash>
#include <QObject>
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

class Cursor;

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

    // The file could not be opened for writing; every write is refused.
    bool ReadOnly() const { return m_readOnly; }
    // The program has accepted the file: it goes to write-ahead logging now,
    // unless another program's lock holds that off. True when writable and logging
    // (in a network folder: writable, the rollback journal kept).
    bool Accept();
    bool WriteAheadLog() const { return m_wal; }
    // A read-only file read as it stands is read into memory when opened; the
    // file is not read again. Reader handles read the same copy.
    bool InMemory() const { return !m_copy.isEmpty(); }
    // CREATE INDEX on the in-memory copy of a read-only file: the look-ups get
    // their indexes without a write to the file. Refused as any write otherwise.
    void IndexCopy(const QString& jetSql);
    // The file lies in a folder other computers may share: the rollback journal, never the log.
    bool NetworkFolder() const { return m_network; }
    // Ends the read transaction of every cursor; each takes a new one when read again.
    void SuspendSnapshots();

    WriteMark Mark();
    // Own writes since From were Writes statements (a lone one changing |Rows| rows), and nobody else wrote.
    bool OnlyOwnWrite(const WriteMark& From, int Rows, int Writes = 1);
    // Own writes since From were Writes statements, and nobody else wrote.
    bool OnlyOwnWrites(const WriteMark& From, int Writes);

    // A write transaction that holds the file's write lock from its start.
    void BeginTransaction();
    void CommitTransaction();
    void RollbackTransaction();

    // A statement that returns rows, read whole into rs.
    void Query(const QString& jetSql, const TParameters& params, XResultSet& rs, std::vector<ColumnInfo>& columns);
    // A statement that returns rows, read in a snapshot of its own on a reader
    // handle: its first rows go into rs, *count gets its exact row count, and
    // the cursor reads the rest into rs as asked. Null when rs holds the whole
    // result already (a short result, or a statement that cannot be read so).
    // With known >= 0 the count is not taken: it is known, and the undeclared
    // columns keep the types given in columns.
    std::unique_ptr<Cursor> OpenLazy(const QString& jetSql, const TParameters& params, XResultSet& rs,
                                     std::vector<ColumnInfo>& columns, int* count, int known = -1);
    // Any other statement, DDL included; rows affected.
    int Execute(const QString& jetSql, const TParameters& params);

    // SQLite text as it stands, without parameters or cache.
    void Exec(const QString& sqliteSql);
    // EOleException with the engine's message for result code rc.
    [[noreturn]] void Raise(int rc) const;

    int CachedStatementCount() const { return int(m_cache.size()); }
    // Snapshots held now by datasets whose rows are not all read.
    int SnapshotCount() const { return int(m_cursors.size()); }

private:
    friend class Cursor;
    struct Statement
    {
        sqlite3_stmt* stmt = nullptr;
        std::vector<QString> params;   // name of each bind index, from 1
        bool changesRows = false;      // INSERT, UPDATE or DELETE
        // The result's columns as last described; described again when SQLite re-prepares.
        std::vector<ColumnInfo> columns;
        std::vector<bool> declared;
        int described = -1;            // re-prepare count when described
        bool inUse = false;            // being run: never evicted from the cache
    };
    void describe(Statement& st);

    explicit Engine(sqlite3* db) : m_db(db) {}
    static std::unique_ptr<Engine> OpenReader(const QString& path, int timeoutSeconds, bool immutable);
    void readIntoMemory();
    std::unique_ptr<Engine> OpenCopyReader();
    QString JournalMode();
    void holdAloneForNetwork();
    void toRollbackJournal();
    qint64 PragmaInteger(const char* name);
    void evictIdleStatements();
    void suspendWhenIdle();
    void beforeWrite();
    std::unique_ptr<Engine> takeReader();
    void giveBack(std::unique_ptr<Engine> reader);
    Statement* prepare(const QString& jetSql, bool* cached);
    void release(Statement* st, bool cached);
    void bind(Statement& st, const TParameters& params);
    void clearCache();

    sqlite3* m_db = nullptr;
    QHash<QString, Statement*> m_cache;
    QString m_path;
    int m_timeout = 0;
    std::vector<std::unique_ptr<Engine>> m_idle;   // reader handles ready for the next cursor
    std::vector<Cursor*> m_cursors;                // cursors reading now, each on a reader of its own
    bool m_readOnly = false;
    bool m_immutable = false;
    QByteArray m_copy;   // URI of the in-memory copy, shared with the readers
    bool m_wal = false;
    bool m_network = false;
    quint64 m_writes = 0;
    int m_lastChanges = 0;
    sqlite3_stmt* m_dataVersion = nullptr;
    // Queued calls that end the cursors' snapshots once the program is idle; gone with the engine.
    std::unique_ptr<QObject> m_idleContext = std::make_unique<QObject>();
    bool m_idleQueued = false;
};

// The rest of a lazily opened statement, read in its reader's snapshot. The
// read transaction ends, and the reader goes back to the pool, once the last
// row is read, or when the cursor goes (or its engine closes).
class Cursor
{
public:
    ~Cursor();
    Cursor(const Cursor&) = delete;
    Cursor& operator=(const Cursor&) = delete;

    // Reads rows until the result holds row (from 0), or all of them when row < 0.
    // EOleException when the engine fails on the way (the cursor is then done).
    void FetchTo(int row);
    bool Done() const { return !m_reader; }

private:
    friend class Engine;
    Cursor() = default;
    void finish(bool keepReader);
    // Ends the read transaction, keeping the place; resume() steps back to it in a new one.
    void suspend();
    void pause();
    void resume();

    Engine* m_owner = nullptr;
    std::unique_ptr<Engine> m_reader;
    Engine::Statement* m_st = nullptr;
    bool m_cached = false;
    XResultSet* m_rs = nullptr;
    int m_count = 0;
    bool m_suspended = false;
};

// Whether the folder of path lies on a network file system (a FUSE mount counts
// as one), where the log's index in one computer's memory cannot be shared.
// Folders listed in X_NETWORK_FOLDERS (separated by ':') count as network too.
bool OnNetworkFolder(const QString& path);

// The refusal of a file in the log that another connection holds in a network folder.
QString NetworkInUseMessage(const QString& path);

// The engine's message, made readable for the layer's own constraints.
QString EngineMessage(sqlite3* db);

} // namespace XAdo
