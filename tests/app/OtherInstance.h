#pragma once

// Another program instance writing at an exact moment of a window's work: as
// the window's connection starts a statement, or while a question is up.

#include "UDM.h"
#include "XAdo.h"
#include "XAdoEngine.h"
#include "XDialogs.h"

#include <QString>

#include <sqlite3.h>

#include <functional>
#include <utility>

// Runs Write once, when the window's connection first starts a statement that
// Match accepts (before that statement does anything). Active while it lives.
class TStatementHook
{
public:
    TStatementHook(std::function<bool(const QString&)> Match, std::function<void()> Write)
        : FMatch(std::move(Match)), FWrite(std::move(Write)), FDb(DM->Conn->Engine()->Db())
    {
        sqlite3_trace_v2(FDb, SQLITE_TRACE_STMT, &TStatementHook::Traced, this);
    }
    ~TStatementHook() { sqlite3_trace_v2(FDb, 0, nullptr, nullptr); }
    TStatementHook(const TStatementHook&) = delete;
    TStatementHook& operator=(const TStatementHook&) = delete;

    bool Fired = false;

private:
    std::function<bool(const QString&)> FMatch;
    std::function<void()> FWrite;
    sqlite3* FDb;

    static int Traced(unsigned, void* Self, void* Stmt, void*)
    {
        auto* h = static_cast<TStatementHook*>(Self);
        if (!h->Fired && h->FMatch(QString::fromUtf8(sqlite3_sql(static_cast<sqlite3_stmt*>(Stmt))))) {
            h->Fired = true;
            h->FWrite();
        }
        return 0;
    }
};

// Runs Write once, when the next box or question is shown, then lets the
// installed recorder answer it. Active while it lives.
class TWhileAsked : public TDlgProvider
{
public:
    explicit TWhileAsked(std::function<void()> Write) : FWrite(std::move(Write)), FRecorder(SetDlgProvider(this)) {}
    ~TWhileAsked() override { SetDlgProvider(FRecorder); }
    TWhileAsked(const TWhileAsked&) = delete;
    TWhileAsked& operator=(const TWhileAsked&) = delete;

    bool Fired = false;

    int Show(const TDlgRequest& Request) override
    {
        if (!Fired) {
            Fired = true;
            FWrite();
        }
        return FRecorder->Show(Request);
    }

private:
    std::function<void()> FWrite;
    TDlgProvider* FRecorder;
};
