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

class TADOConnection;

// The indexes the program's look-ups need and the historical structure lacks
// (the label number on Etiqueta_Cruza, carrying NC and NC_PRINT; with Date
// the scanner grids' newest-first orders and the lots' figures: Cruza.DUPD,
// Colheita.DUPD, Cruza (STATUS, X_DUPD), Colheita (LOTE, DUPD)), made when
// missing and the file can be written, or in the in-memory copy of a
// read-only file (the file unchanged). Speed only:
// a file where they cannot be made works without them.
void CreateQueryIndexes(TADOConnection* Conn, bool Label = true, bool Date = true);
