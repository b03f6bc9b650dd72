#pragma once

#include "XAdoEngine.h"
#include "XKeyset.h"

#include <QElapsedTimer>
#include <QSet>

#include <memory>
#include <optional>

namespace XAdo {

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
    // In a rollback journal the lock goes after every short slice of reading.
    void FetchTo(int row);
    bool Done() const { return !m_reader; }

private:
    friend class Engine;
    Cursor() = default;
    void finish(bool keepReader);
    // BEGIN, the statement prepared and bound, its first step; a killed writer's journal rolled back on the way.
    int start(const QString& jetSql, const TParameters* more = nullptr);
    void resumeAfterKey();
    void keepKey();
    // Appends the statement's row unless it was read already (by its rowids); false when it was.
    bool take(sqlite3_stmt* stmt);
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
    QString m_text;                          // the statement, taken up from its first row
    std::unique_ptr<TParameters> m_params;   // its parameters, bound again when taken up
    std::optional<Keyset> m_keyset;
    QVariantList m_lastKey;                  // the key of the last row read
    // The identity of every row read: gathered in one string until the read is first
    // taken up again, from then on a set, which only a read taken up again needs.
    QByteArray m_gathered;
    QSet<QByteArray> m_read;
    bool m_takenUp = false;
    bool m_sliced = false;                   // lets the file go every slice: a rollback journal
    int m_visible = 0;                       // the result's columns; the keys follow them
    QElapsedTimer m_held;                    // since the read transaction began
};

} // namespace XAdo
