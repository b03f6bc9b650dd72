#include "UXThread.h"

#include "UXGlobal.h"
#include "XAssert.h"
#include "XLists.h"

TXThreadManager::TXThreadManager()
    : m_workers(new TObjectList(true))
    , m_jobs(new TList)
    , m_pendingFree(new TList)
{
}

TXThreadManager::~TXThreadManager()
{
    if (m_pendingFree->Count() > 0 || m_jobs->Count() > 0)
        XAssertFatal(QStringLiteral("ThreadManager must be cleared before application terminate"), __FILE__,
                     __LINE__);
    delete m_pendingFree;
    delete m_jobs;
    delete m_workers;
}

void TXThreadManager::Suspend()
{
    QWriteLocker lock(&m_locks[0]);
    ++m_suspendCount;
}

void TXThreadManager::Resume(bool All)
{
    {
        QWriteLocker lock(&m_locks[0]);
        if (m_suspendCount < 1)
            throw Exception(QStringLiteral("Resume called without previous Suspend"));
        if (All)
            m_suspendCount = 0;
        else
            --m_suspendCount;
    }
    FreePending();
}

bool TXThreadManager::Suspended() const
{
    QReadLocker lock(&m_locks[0]);
    return m_suspendCount > 0;
}

void TXThreadManager::AddPendingFree(TObject* Obj)
{
    bool suspended = false;
    {
        QWriteLocker lock(&m_locks[0]);
        m_pendingFree->Add(Obj);
        suspended = m_suspendCount > 0;
    }
    if (suspended)
        Resume(false);
    else
        FreePending();
}

int TXThreadManager::PendingCount() const
{
    QReadLocker lock(&m_locks[0]);
    return m_pendingFree->Count();
}

void TXThreadManager::FreePending()
{
    // Without a worker thread the objects are freed here, outside the lock,
    // as soon as the manager runs.
    QList<TObject*> objects;
    {
        QWriteLocker lock(&m_locks[0]);
        if (m_suspendCount > 0)
            return;
        objects = m_pendingFree->List();
        m_pendingFree->Clear();
    }
    for (qsizetype i = objects.size() - 1; i >= 0; --i)
        FreeObject(objects.at(i));
}
