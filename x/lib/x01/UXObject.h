#pragma once

#include "XObject.h"

// Base of every non-visual object of the library and the application. Each
// instance is entered in the process-wide live-object registry while it
// lives; classes with instances still alive at process end are reported.
// Derived classes live in the global namespace so that the report names them
// plainly.
class TXObject : public TObject
{
public:
    TXObject();
    ~TXObject() override;
};

// Number of objects in the live-object registry (0 once it is gone).
int XLiveObjectCount();
