#include "XObject.h"

#include <cstdlib>
#include <cxxabi.h>
#include <typeinfo>

QString XDemangledName(const char* mangled)
{
    int status = 0;
    char* name = abi::__cxa_demangle(mangled, nullptr, nullptr, &status);
    QString result = QString::fromLatin1(status == 0 && name ? name : mangled);
    std::free(name);
    return result;
}

QString TObject::ClassName() const
{
    return XDemangledName(typeid(*this).name());
}
