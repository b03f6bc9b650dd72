#pragma once

#include <QString>

class TObject;
class TXObject;
class TXMainExec;
class TXThreadManager;
class TXUserRights;

// The global service objects, made at the start of the library and freed at
// process end.
extern TXMainExec* MainExec;
extern TXThreadManager* ThreadManager;
extern TXUserRights* UserRights;

// Start of the library: the registry with its lock, then MainExec,
// ThreadManager and UserRights. Runs once, before the first TXObject is made;
// later calls do nothing.
void UXGlobalStart();
// End of the library, run once at process exit: frees the global objects and,
// when objects are still alive, writes the leak report as a failed assertion
// to standard error and ends the process with status 1.
void UXGlobalEnd();

// Builds the leak report from the registry and empties it: one line per class
// ("TTab_Struct:3" and CR LF), in the order of each class's oldest instance.
QString XLeakReport();

// Frees Obj deeply: a plain pointer list frees its items first (last to
// first), a string list its attached objects. Never lets an exception out.
void FreeObject(TObject* Obj);
// Hands Obj to ThreadManager to be freed, or frees it at once without one.
void FreeLater(TObject* Obj);

// The live-object registry, used by TXObject.
void XRegisterObject(TXObject* Obj);
void XUnregisterObject(TXObject* Obj);
int XRegistryCount();
