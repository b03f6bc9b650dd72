#pragma once

// The eight tables of the crossing database as the expected schema, and the
// SELECT of the configuration row.

#include "UTBStruct_DB.h"

#include <QString>

// Each returns a new table object (the caller owns it) named Name.
TTab_Struct* Struct_Configuracao(const QString& Name);
TTab_Struct* Struct_Cruza(const QString& Name);
TTab_Struct* Struct_Emasculador(const QString& Name);
TTab_Struct* Struct_Colheita(const QString& Name);
TTab_Struct* Struct_Colheita_Del(const QString& Name);
TTab_Struct* Struct_Parental(const QString& Name);
TTab_Struct* Struct_Planejamento_Cruza(const QString& Name);
TTab_Struct* Struct_Etiqueta_Cruza(const QString& Name);

// Registers the eight tables in DB, which then owns them.
void RegisterDBStructs(TDB_Struct* DB);

QString ConfigSelectSQL();
