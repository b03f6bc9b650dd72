#pragma once

#include "UXObject.h"
#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QReadWriteLock>
#include <functional>
#include <memory>

class QTimer;
class TList;

// One piece of work for the main thread, run when Due has come.
struct TXQueueItem
{
    bool IsMethod = false;
    void (*Proc)(void* Arg) = nullptr;
    void* ProcArg = nullptr;
    // The object's method, called with the address of Data.
    std::function<void(void* Data)> Method;
    QDateTime Due;
    QByteArray Data;
};

// Runs queued work on the main thread at its due time, and frees the objects
// of FreeList once the queue has run dry.
class TXMainExec : public TXObject
{
public:
    TXMainExec();
    ~TXMainExec() override;

    // Puts Item (taken over) in the queue after every item due no later.
    void Add(TXQueueItem* Item);
    // Hands Obj over to be freed once the queue is empty.
    void AddFree(TObject* Obj);
    void Reschedule();
    // The timer's tick: runs every item that is due.
    void TimerTick();

    QTimer* Timer() const { return m_timer.get(); }
    // The interval last computed by Reschedule, in milliseconds.
    quint32 Interval() const { return m_interval; }
    int QueueCount() const;
    int FreeCount() const;

private:
    std::unique_ptr<QTimer> m_timer;
    mutable QReadWriteLock m_lock;
    QList<TXQueueItem*> m_queue;
    TList* m_freeList;
    quint32 m_interval = 0;
};
