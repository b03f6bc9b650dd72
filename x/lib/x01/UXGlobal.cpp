#include "UXGlobal.h"

#include "UXLib.h"
#include "UXMainExec.h"
#include "UXObject.h"
#include "UXThread.h"
#include "UXUserRights.h"
#include "XAssert.h"
#include "XLists.h"
#include "XStringList.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <map>
#include <mutex>
#include <typeindex>
#include <typeinfo>
#include <unordered_map>
#include <vector>

TXMainExec* MainExec = nullptr;
TXThreadManager* ThreadManager = nullptr;
TXUserRights* UserRights = nullptr;

namespace {

// The registry keeps registration order (for the report) and finds an entry
// by address in logarithmic time.
struct TRegistry
{
    std::map<quint64, TXObject*> Order;
    std::unordered_map<const TXObject*, quint64> Index;
    quint64 Next = 0;
};

enum TGlobalState { gsNotStarted, gsStarted, gsEnded };

// Constant-initialised, so valid whatever the order of static initialisers.
std::atomic<int> g_state{gsNotStarted};
TRegistry* g_registry = nullptr;
std::mutex* g_registryLock = nullptr;
std::once_flag g_startOnce;

void EndAtExit()
{
    UXGlobalEnd();
}

// Starts the library while the program starts, even before any object exists.
[[maybe_unused]] const bool g_startedAtLoad = (UXGlobalStart(), true);

} // namespace

void UXGlobalStart()
{
    std::call_once(g_startOnce, [] {
        g_registry = new TRegistry;
        g_registryLock = new std::mutex;
        g_state = gsStarted;
        // Registered after the registry exists, so the end runs after every
        // static made later is gone (the application object included).
        std::atexit(EndAtExit);
        MainExec = new TXMainExec;
        ThreadManager = new TXThreadManager;
        UserRights = new TXUserRights;
    });
}

void UXGlobalEnd()
{
    if (g_state != gsStarted)
        return;
    TXThreadManager* tm = ThreadManager;
    ThreadManager = nullptr;
    delete tm;
    TXMainExec* me = MainExec;
    MainExec = nullptr;
    delete me;
    TXUserRights* ur = UserRights;
    UserRights = nullptr;
    delete ur;

    if (XRegistryCount() > 0)
        XAssertFatal(XLeakReport(), __FILE__, __LINE__);

    g_state = gsEnded;
    {
        std::lock_guard<std::mutex> lock(*g_registryLock);
        delete g_registry;
        g_registry = nullptr;
    }
    delete g_registryLock;
    g_registryLock = nullptr;
}

void XRegisterObject(TXObject* Obj)
{
    if (g_state == gsNotStarted)
        UXGlobalStart();
    if (g_state != gsStarted)
        return;
    std::lock_guard<std::mutex> lock(*g_registryLock);
    if (!g_registry)
        return;
    const quint64 key = g_registry->Next++;
    g_registry->Order.emplace(key, Obj);
    g_registry->Index.emplace(Obj, key);
}

void XUnregisterObject(TXObject* Obj)
{
    // After the end the registry is gone: nothing to remove from.
    if (g_state != gsStarted)
        return;
    std::lock_guard<std::mutex> lock(*g_registryLock);
    if (!g_registry)
        return;
    auto it = g_registry->Index.find(Obj);
    if (it == g_registry->Index.end())
        return;
    g_registry->Order.erase(it->second);
    g_registry->Index.erase(it);
}

int XRegistryCount()
{
    if (g_state != gsStarted)
        return 0;
    std::lock_guard<std::mutex> lock(*g_registryLock);
    return g_registry ? int(g_registry->Order.size()) : 0;
}

QString XLeakReport()
{
    if (g_state != gsStarted)
        return QString();
    std::lock_guard<std::mutex> lock(*g_registryLock);
    if (!g_registry)
        return QString();
    // One count per exact class, in the order of each class's oldest entry.
    std::vector<std::pair<std::type_index, int>> counts;
    std::vector<QString> names;
    for (const auto& [key, obj] : g_registry->Order) {
        const std::type_index type(typeid(*obj));
        auto found = std::find_if(counts.begin(), counts.end(), [&](const auto& c) { return c.first == type; });
        if (found == counts.end()) {
            counts.emplace_back(type, 1);
            names.push_back(obj->ClassName());
        } else {
            ++found->second;
        }
    }
    g_registry->Order.clear();
    g_registry->Index.clear();
    QString report;
    for (size_t i = 0; i < counts.size(); ++i)
        report += names[i] + QChar(':') + QString::number(counts[i].second) + QStringLiteral("\r\n");
    return report;
}

void FreeObject(TObject* Obj)
{
    if (!Obj)
        return;
    try {
        const std::type_info& type = typeid(*Obj);
        if (type == typeid(TList)) {
            TList* list = static_cast<TList*>(Obj);
            for (int i = list->Count() - 1; i >= 0; --i)
                if (TObject* item = list->Items(i))
                    FreeObject(item);
        } else if (type == typeid(TStringList)) {
            ClearStrings(static_cast<TStringList*>(Obj));
        }
        delete Obj;
    } catch (...) {
        // Freeing is best effort: a failure must not stop the caller's cleanup.
    }
}

void FreeLater(TObject* Obj)
{
    if (ThreadManager)
        ThreadManager->AddPendingFree(Obj);
    else
        FreeObject(Obj);
}
