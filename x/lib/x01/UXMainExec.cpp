#include "UXMainExec.h"

#include "UXGlobal.h"
#include "XLists.h"
#include <QTimer>
#include <limits>

TXMainExec::TXMainExec()
    : m_freeList(new TList)
{
    m_timer = std::make_unique<QTimer>();
    m_timer->setSingleShot(false);
    QObject::connect(m_timer.get(), &QTimer::timeout, [this] { TimerTick(); });
}

TXMainExec::~TXMainExec()
{
    for (int i = m_freeList->Count() - 1; i >= 0; --i)
        FreeObject(m_freeList->Items(i));
    delete m_freeList;
    m_timer.reset();
    for (TXQueueItem* item : std::as_const(m_queue))
        delete item;
    m_queue.clear();
}

void TXMainExec::Add(TXQueueItem* Item)
{
    {
        QWriteLocker lock(&m_lock);
        qsizetype i = m_queue.size();
        while (i > 0 && m_queue.at(i - 1)->Due > Item->Due)
            --i;
        m_queue.insert(i, Item);
    }
    Reschedule();
}

void TXMainExec::AddFree(TObject* Obj)
{
    {
        QWriteLocker lock(&m_lock);
        m_freeList->Add(Obj);
    }
    Reschedule();
}

void TXMainExec::Reschedule()
{
    m_timer->stop();
    QReadLocker lock(&m_lock);
    if (!m_queue.isEmpty()) {
        const qint64 ms = QDateTime::currentDateTime().msecsTo(m_queue.first()->Due);
        // A far due time wraps to its low 32 bits: the tick then finds nothing
        // due and computes the interval again.
        m_interval = ms <= 0 ? 1u : quint32(quint64(ms) & 0xFFFFFFFFu);
        if (m_interval == 0)
            m_interval = 1;
        m_timer->setInterval(int(std::min<quint32>(m_interval, quint32(std::numeric_limits<int>::max()))));
        m_timer->start();
    } else if (m_freeList->Count() > 0) {
        m_interval = 1;
        m_timer->setInterval(1);
        m_timer->start();
    }
}

void TXMainExec::TimerTick()
{
    const QDateTime now = QDateTime::currentDateTime();
    m_lock.lockForWrite();
    while (!m_queue.isEmpty() && m_queue.first()->Due <= now) {
        TXQueueItem* item = m_queue.takeFirst();
        m_lock.unlock();
        try {
            if (item->IsMethod) {
                if (item->Method)
                    item->Method(item->Data.data());
            } else if (item->Proc) {
                item->Proc(item->ProcArg);
            }
        } catch (...) {
            // A failing item must not stop the queue.
        }
        delete item;
        m_lock.lockForWrite();
    }
    TList* done = nullptr;
    if (m_queue.isEmpty() && m_freeList->Count() > 0) {
        done = m_freeList;
        m_freeList = new TList;
    }
    m_lock.unlock();
    // Freed outside the lock, so a destructor may use the queue.
    if (done) {
        if (ThreadManager) {
            FreeLater(done);
        } else {
            for (int i = done->Count() - 1; i >= 0; --i)
                FreeObject(done->Items(i));
            delete done;
        }
    }
    Reschedule();
}

int TXMainExec::QueueCount() const
{
    QReadLocker lock(&m_lock);
    return int(m_queue.size());
}

int TXMainExec::FreeCount() const
{
    QReadLocker lock(&m_lock);
    return int(m_freeList->Count());
}
