#pragma once

// (TADOTransaction, the write transaction itself, is in XAdo.h.)

class TADOConnection;

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
