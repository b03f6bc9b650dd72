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
    // A class is known by its own name; the namespace only keeps two
    // modules' classes of one name apart.
    if (!result.contains(u'<') && result.contains(QLatin1String("::")))
        result = result.section(QLatin1String("::"), -1);
    return result;
}

QString TObject::ClassName() const
{
    return XDemangledName(typeid(*this).name());
}
