#pragma once

// What the consultation benchmarks share: the program around one window,
// "Atualizar" timed with the grid's first page painted offscreen, the bare
// statement stepped on raw SQLite, its query plan, and the program's main.

#include "BenchProgram.h"
#include "UAppConfig.h"
#include "UDM.h"
#include "UFBCons.h"
#include "UFMain.h"
#include "XAdo.h"
#include "XCollation.h"
#include "XDBGrid.h"
#include "XDialogs.h"
#include "XFileDialogs.h"
#include "XJetSql.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdio>
#include <functional>
#include <memory>

// The program around a consultation window; the derived program makes W.
struct TConsProgram : TBenchHost
{
    TFBCons* W = nullptr;

    explicit TConsProgram(const QString& Path, bool StartUp = false) : TBenchHost(Path, StartUp) {}
    ~TConsProgram() { delete W; }
    void Show()
    {
        W->resize(1200, 800);
        W->show();
    }
    // The statement of the window's choices, as the layer hands it to SQLite.
    QString BareStatement()
    {
        W->BConfirmClick();
        return JetSql::RewriteStatement(W->Q->SQL.Text());
    }
};

// "Atualizar": the query set up, opened and counted, the first page painted.
inline void RunAtualizar(benchmark::State& State, TConsProgram& P)
{
    QImage image(P.W->GCons->size(), QImage::Format_ARGB32_Premultiplied);
    for (auto _ : State) {
        P.W->BConfirmClick();
        QPainter painter(&image);
        P.W->GCons->render(&painter);
    }
    if (P.Dlg.Count())
        State.SkipWithError(qPrintable(P.Dlg.Texts().join(u'|')));
    State.counters["rows"] = P.W->Q->RecordCount();
}

// Every row stepped and every column read.
inline int StepAll(sqlite3_stmt* S)
{
    int rows = 0;
    const int cols = sqlite3_column_count(S);
    while (sqlite3_step(S) == SQLITE_ROW) {
        for (int c = 0; c < cols; ++c) {
            switch (sqlite3_column_type(S, c)) {
            case SQLITE_INTEGER: benchmark::DoNotOptimize(sqlite3_column_int64(S, c)); break;
            case SQLITE_FLOAT: benchmark::DoNotOptimize(sqlite3_column_double(S, c)); break;
            case SQLITE_TEXT: benchmark::DoNotOptimize(sqlite3_column_text(S, c)); break;
            default: break;
            }
        }
        ++rows;
    }
    sqlite3_reset(S);
    return rows;
}

// The bare statement on its own read-only connection to Path.
inline void RunBare(benchmark::State& State, const QString& Path, const QString& Sql)
{
    const QByteArray sql = Sql.toUtf8();
    sqlite3* db = nullptr;
    sqlite3_open_v2(Path.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    XAdo::RegisterCollations(db);
    sqlite3_stmt* s = nullptr;
    if (sqlite3_prepare_v2(db, sql.constData(), -1, &s, nullptr) != SQLITE_OK) {
        State.SkipWithError(sqlite3_errmsg(db));
        sqlite3_close(db);
        return;
    }
    int rows = 0;
    for (auto _ : State)
        rows = StepAll(s);
    State.counters["rows"] = rows;
    sqlite3_finalize(s);
    sqlite3_close(db);
}

// The query plan of Sql on the file at Path, to stderr under Title.
inline void PrintPlan(const QString& Path, const QString& Title, const QString& Sql)
{
    sqlite3* db = nullptr;
    sqlite3_open_v2(Path.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    XAdo::RegisterCollations(db);
    const QByteArray sql = "EXPLAIN QUERY PLAN " + Sql.toUtf8();
    sqlite3_stmt* s = nullptr;
    sqlite3_prepare_v2(db, sql.constData(), -1, &s, nullptr);
    std::fprintf(stderr, "-- %s\n", qPrintable(Title));
    while (s && sqlite3_step(s) == SQLITE_ROW)
        std::fprintf(stderr, "   %d %d %s\n", sqlite3_column_int(s, 0), sqlite3_column_int(s, 1),
                     reinterpret_cast<const char*>(sqlite3_column_text(s, 3)));
    sqlite3_finalize(s);
    sqlite3_close(db);
}

// The benchmark program: offscreen unless told otherwise, Dir for its
// campaigns, Prepare (plans printed, benchmarks registered) before the runs.
inline int ConsBenchMain(int argc, char** argv, std::unique_ptr<QTemporaryDir>& Dir, const std::function<void()>& Prepare)
{
    return BenchMain(argc, argv, Dir, nullptr, Prepare);
}
