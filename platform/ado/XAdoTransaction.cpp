#include "XAdoTransaction.h"

#include "XAdo.h"
#include "XAdoEngine.h"

#include <sqlite3.h>

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
