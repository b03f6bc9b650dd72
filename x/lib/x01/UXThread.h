#pragma once

#include "UXObject.h"
#include <QReadWriteLock>

class TList;
class TObjectList;

// Keeps the library's worker threads and the objects they are to free.
// No thread is ever started, so the pending objects are freed on the spot
// whenever the manager is not suspended.
class TXThreadManager : public TXObject
{
public:
    TXThreadManager();
    ~TXThreadManager() override;

    void Suspend();
    // Raises "Resume called without previous Suspend" when not suspended.
    void Resume(bool All);
    bool Suspended() const;

    // Takes Obj over to be freed.
    void AddPendingFree(TObject* Obj);
    int PendingCount() const;

private:
    void FreePending();

    int m_maxWorkers = 5;
    TObjectList* m_workers;
    int m_minWorkers = 1;
    int m_suspendCount = 0;
    TList* m_jobs;
    mutable QReadWriteLock m_locks[4];
    TList* m_pendingFree;
};
