#include "XAdoTransaction.h"

#include "XAdo.h"
#include "XAdoEngine.h"

#include <sqlite3.h>

TADOTransaction::TADOTransaction(TADOConnection* Conn) : FConn(Conn)
{
    // The write lock is taken now, so a busy file fails here and not halfway through.
    FConn->Engine()->Exec(QStringLiteral("BEGIN IMMEDIATE"));
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
        engine->Exec(QStringLiteral("COMMIT"));
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
