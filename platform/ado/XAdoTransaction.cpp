#include "XAdoTransaction.h"

#include "XAdo.h"
#include "XAdoEngine.h"

#include <sqlite3.h>

TADOTransaction::TADOTransaction(TADOConnection* Conn) : FConn(Conn)
{
    // The write lock is taken now, so a busy file fails here and not halfway through.
    // Run as a kept statement: a long import begins one per row.
    FConn->Engine()->Execute(QStringLiteral("BEGIN IMMEDIATE"), TParameters());
    FActive = true;
}

TADOTransaction::~TADOTransaction()
{
    Rollback();
}

void TADOTransaction::Commit()
{
    if (!FActive)
        return;
    XAdo::Engine* engine = FConn->Engine();
    try {
        engine->Execute(QStringLiteral("COMMIT"), TParameters());
    } catch (...) {
        Rollback();
        throw;
    }
    FActive = false;
}

void TADOTransaction::Rollback()
{
    if (!FActive)
        return;
    FActive = false;
    // A closed connection, or an engine that ended the transaction itself, has nothing left to drop.
    if (!FConn->Connected())
        return;
    sqlite3* db = FConn->Engine()->Db();
    if (!sqlite3_get_autocommit(db))
        sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
}

TADOCheckpointSpacing::TADOCheckpointSpacing(TADOConnection* Conn, int Pages) : FConn(Conn)
{
    if (!FConn || !FConn->Connected())
        return;
    sqlite3* db = FConn->Engine()->Db();
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db, "PRAGMA wal_autocheckpoint", -1, &st, nullptr) == SQLITE_OK && sqlite3_step(st) == SQLITE_ROW)
        FOld = sqlite3_column_int(st, 0);
    sqlite3_finalize(st);
    if (FOld >= 0)
        sqlite3_wal_autocheckpoint(db, Pages);
}

TADOCheckpointSpacing::~TADOCheckpointSpacing()
{
    if (FOld >= 0 && FConn->Connected())
        sqlite3_wal_autocheckpoint(FConn->Engine()->Db(), FOld);
}
