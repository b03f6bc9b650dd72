#pragma once

// One transaction on a connection. The layer commits every statement on its
// own; statements run while a TADOTransaction lives are kept or dropped
// together: Commit keeps them, going out of scope without Commit drops them.
// Transactions do not nest: beginning one while another is open raises.

class TADOConnection;

class TADOTransaction
{
public:
    // Begins; EOleException when the engine refuses (a busy file, a transaction already open).
    explicit TADOTransaction(TADOConnection* Conn);
    // Rolls back unless committed; never raises.
    ~TADOTransaction();
    TADOTransaction(const TADOTransaction&) = delete;
    TADOTransaction& operator=(const TADOTransaction&) = delete;

    // EOleException when the commit fails; the statements are then dropped.
    void Commit();
    void Rollback();
    bool Active() const { return FActive; }

private:
    TADOConnection* FConn;
    bool FActive = false;
};

// For a run of many small transactions on a connection: while it lives the
// write-ahead log is folded back into the file every Pages pages instead of
// SQLite's 1000, which spares most of the file syncs of a long import.
// Crash safety is the log's and does not change; the old spacing comes back
// when the guard goes.
class TADOCheckpointSpacing
{
public:
    TADOCheckpointSpacing(TADOConnection* Conn, int Pages);
    ~TADOCheckpointSpacing();
    TADOCheckpointSpacing(const TADOCheckpointSpacing&) = delete;
    TADOCheckpointSpacing& operator=(const TADOCheckpointSpacing&) = delete;

private:
    TADOConnection* FConn;
    int FOld = -1;
};
