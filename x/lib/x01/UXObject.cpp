#include "UXObject.h"

#include "UXGlobal.h"

TXObject::TXObject()
{
    XRegisterObject(this);
}

TXObject::~TXObject()
{
    XUnregisterObject(this);
}

int XLiveObjectCount()
{
    return XRegistryCount();
}
