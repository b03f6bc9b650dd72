#pragma once

#include "XAdoEngine.h"

#include <QString>

#include <vector>

class XResultSet;

// What the engine's files share among themselves, and nobody else uses.
namespace XAdo {

// The statement's first word in capitals: SELECT, INSERT, CREATE, ...
QString firstWord(const QString& sql);
// Columns without a declared type take the kind of their values.
void inferTypes(const XResultSet& rs, std::vector<ColumnInfo>& cols, const std::vector<bool>& declared);
// The wait on another program's lock in milliseconds.
int busyMs(int timeoutSeconds);

} // namespace XAdo
