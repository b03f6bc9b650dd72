#pragma once

// The structure version of the crossing database and the step-by-step
// upgrade of older files.

#include "UTBStruct_DB.h"

#include <QString>

// The structure version this program works with.
extern const QString DBVersion;

// Reads Configuracao.VERSAO_DB. On failure Ver is empty and Msg says why;
// a table without rows leaves Ver as passed; Msg is untouched on success.
void GetDBVersion(TDB_Struct* DB, QString& Msg, QString& Ver);

// DB is the schema read from the open file with its connection set. True
// when the file is at DBVersion at the end; each failure shows its box.
bool UpdateDBVersion(TDB_Struct* DB);
