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
