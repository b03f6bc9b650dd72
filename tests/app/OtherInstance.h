#pragma once

// Another program instance writing at an exact moment of a window's work.

#include "UDM.h"
#include "XAdo.h"
#include "XAdoEngine.h"

#include <QString>

#include <sqlite3.h>

#include <functional>
#include <utility>

// Runs Write once, just before the window's connection begins a transaction or runs a statement containing First.
struct TStatementHook
{
    TStatementHook(const char* First, std::function<void()> Write) : First(First), Write(std::move(Write))
    {
        sqlite3_trace_v2(Db, SQLITE_TRACE_STMT, &TStatementHook::Traced, this);
    }
    ~TStatementHook() { sqlite3_trace_v2(Db, 0, nullptr, nullptr); }

    QLatin1String First;
    std::function<void()> Write;
    sqlite3* Db = DM->Conn->Engine()->Db();
    bool Fired = false;

    static int Traced(unsigned, void* Self, void* Stmt, void*)
    {
        auto* h = static_cast<TStatementHook*>(Self);
        const QString sql = QString::fromUtf8(sqlite3_sql(static_cast<sqlite3_stmt*>(Stmt)));
        if ((sql.startsWith(QLatin1String("BEGIN")) || sql.contains(h->First)) && !std::exchange(h->Fired, true))
            h->Write();
        return 0;
    }
};
