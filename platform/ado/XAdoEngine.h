#pragma once

#include "XAdo.h"

#include <QElapsedTimer>
#include <QHash>
#include <QObject>
#include <QString>

#include <functional>
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

// The file and its journals as stat() sees them.
struct FileStamp
{
    qint64 size = -1, time = -1, logSize = -1, logTime = -1;
    bool journal = false;
    bool operator==(const FileStamp&) const = default;
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

    // The file could not be opened for writing; every write is refused.
    bool ReadOnly() const { return m_readOnly; }
    bool WriteAheadLog() const { return m_wal; }
    // A read-only file read as it stands is read into memory when opened, and
    // again at a statement once another station changed it. Reader handles read the same copy.
    bool InMemory() const { return !m_copy.isEmpty(); }
    // CREATE INDEX on the in-memory copy of a read-only file: the look-ups get
    // their indexes without a write to the file. Refused as any write otherwise.
    void IndexCopy(const QString& jetSql);
    // The file lies in a folder other computers may share: the rollback journal, never the log.
    bool NetworkFolder() const { return m_network; }
    // A reader of the file holds off every writer, the other computers' too.
    bool RollbackJournal() const { return !m_wal && !InMemory(); }
    // The wait on another program's lock, in seconds (0: as long as it takes).
    void SetTimeout(int seconds) { m_timeout = seconds; }
    // Writes that must not wait for another program's lock while it lives: they fail at once.
    class NoWait
    {
    public:
        explicit NoWait(Engine* e) : m_e(e), m_was(std::exchange(e->m_noWait, true)) {}
        ~NoWait() { m_e->m_noWait = m_was; }
        NoWait(const NoWait&) = delete;
        NoWait& operator=(const NoWait&) = delete;

    private:
        Engine* m_e;
        bool m_was;
    };
    // Ends the read transaction of every cursor; each takes a new one when read again.
    void SuspendSnapshots();

    WriteMark Mark();
    // Own writes since From were Writes statements (a lone one changing |Rows| rows), and nobody else wrote.
    bool OnlyOwnWrite(const WriteMark& From, int Rows, int Writes = 1);
    // Own writes since From were Writes statements, and nobody else wrote.
    bool OnlyOwnWrites(const WriteMark& From, int Writes);

    // A write transaction that holds the file's write lock from its start.
    void BeginTransaction();
    // A transaction that shuts every other program out of the file, taken at once or
    // not at all: false when another program reads or writes the file now.
    bool TryBeginExclusive();
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

    // Shown while a statement waits for another program's lock (true), hidden
    // once the program is idle again (false).
    static void SetBusyIndicator(std::function<void(bool)> Indicator);
    // The longest a reader holds a file in the rollback journal at a time (100 ms).
    static void SetReadSlice(qint64 Ms);

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
    void setUp(int timeoutSeconds);
    static int busyHandler(void* self, int count);
    // A reader found the journal of a program killed mid-write, which a reader
    // may not roll back: this writable connection rolls it back. True when done.
    bool rollBackHotJournal();
    static std::unique_ptr<Engine> OpenReader(const QString& path, int timeoutSeconds, bool immutable);
    void followFile();
    void indexCopy(const QString& jetSql);   // CREATE INDEX on the copy, which refuses writes again after it
    std::unique_ptr<Engine> OpenCopyReader();
    QString JournalMode();
    void holdAloneForNetwork();
    void toRollbackJournal();
    qint64 PragmaInteger(const char* name);
    void evictIdleStatements();
    void suspendWhenIdle();
    void beforeWrite();
    std::unique_ptr<Engine> takeReader();
    // The stepped statement sorted or grouped its whole result before its first row.
    bool sortsBeforeFirstRow(sqlite3_stmt* stmt);
    // A cursor on a reader of its own, reading into Rows with Params. EOleException without a reader.
    std::unique_ptr<Cursor> newCursor(XResultSet& Rows, const TParameters& Params);
    // The rows of Like's statement, walked in slices of a cursor of their own;
    // Kinds from every row's Undeclared columns. -1 when the walk fails.
    qint64 countInSlices(const Cursor& Like, const std::vector<int>& Undeclared, std::vector<qint64>& Kinds);
    void giveBack(std::unique_ptr<Engine> reader);
    Statement* prepare(const QString& jetSql, bool* cached);
    void release(Statement* st, bool cached);
    void bind(Statement& st, const TParameters& params, const TParameters* more = nullptr);
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
    bool m_follow = false;         // a read-only file read from a copy, taken again when it changes
    FileStamp m_stamp;             // the file when copied
    QStringList m_copyIndexes;     // the look-ups' indexes of the copy, made again on a new one
    bool m_wal = false;
    bool m_network = false;
    quint64 m_writes = 0;
    int m_lastChanges = 0;
    sqlite3_stmt* m_dataVersion = nullptr;
    // Queued calls that end the cursors' snapshots once the program is idle; gone with the engine.
    std::unique_ptr<QObject> m_idleContext = std::make_unique<QObject>();
    bool m_idleQueued = false;
    bool m_noWait = false;
    bool m_busyShown = false;
    QElapsedTimer m_busySince;
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
