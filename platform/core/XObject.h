#pragma once

#include <QString>

// Root of the plain (non-QObject) object family: lists and the objects they
// hold are freed through it, and the leak report names classes by it.
class TObject
{
public:
    TObject() = default;
    TObject(const TObject&) = delete;
    TObject& operator=(const TObject&) = delete;
    virtual ~TObject() = default;

    // The dynamic class name, without namespace decorations ("TTab_Struct").
    QString ClassName() const;
};

// The readable name of a type as the compiler records it.
QString XDemangledName(const char* mangled);
