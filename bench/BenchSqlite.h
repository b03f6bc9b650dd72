#pragma once

// The bare side of a benchmark: a statement stepped on raw SQLite.

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdio>

// Steps the rows of S (at most Max, all when Max < 0), reading every column
// as a result set does, then resets it; the number of rows.
inline int StepAllRows(sqlite3_stmt* S, int Max = -1)
{
    int rows = 0;
    const int cols = sqlite3_column_count(S);
    while ((Max < 0 || rows < Max) && sqlite3_step(S) == SQLITE_ROW) {
        for (int c = 0; c < cols; ++c) {
            switch (sqlite3_column_type(S, c)) {
            case SQLITE_INTEGER: benchmark::DoNotOptimize(sqlite3_column_int64(S, c)); break;
            case SQLITE_FLOAT: benchmark::DoNotOptimize(sqlite3_column_double(S, c)); break;
            case SQLITE_TEXT:
                benchmark::DoNotOptimize(sqlite3_column_text(S, c));
                benchmark::DoNotOptimize(sqlite3_column_bytes(S, c));
                break;
            default: break;
            }
        }
        ++rows;
    }
    sqlite3_reset(S);
    return rows;
}

// One prepared statement of the bare side, kept for the whole run.
struct TStmt
{
    sqlite3_stmt* S = nullptr;
    TStmt(sqlite3* Db, const char* Sql)
    {
        if (sqlite3_prepare_v3(Db, Sql, -1, SQLITE_PREPARE_PERSISTENT, &S, nullptr) != SQLITE_OK)
            std::fprintf(stderr, "%s: %s\n", Sql, sqlite3_errmsg(Db));
    }
    ~TStmt() { sqlite3_finalize(S); }
    // Steps up to Max rows (all when Max < 0), reading every column as the result set does.
    int Run(int Max = -1) { return StepAllRows(S, Max); }
};
