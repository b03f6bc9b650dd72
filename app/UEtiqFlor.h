#pragma once

#include "UXObject.h"
#include <QString>
#include <QtGlobal>

class TADOConnection;

// Questions about the crossing history (Cruza) of one label.
class TEtiqFlor : public TXObject
{
public:
    TEtiqFlor() = default;
    ~TEtiqFlor() override;

    // Not owned: the owner sets it to DM.Conn after creating the object.
    TADOConnection* Conn = nullptr;

    // Highest SEQ of the label; 0 without crossings; -1 after a failed query.
    int MaxSeq(qint64 NcRep);
    // MaxSeq + 1; -1 after a failed query.
    int NextSeq(qint64 NcRep);
    // Whether the label has a crossing that is not written off, and its date.
    // EOleException on failure.
    bool LiveCrossing(qint64 NcRep, QString& Date);
    // Every Cruza row that is not written off.
    QString SQLCruzaNaoBaixada() const;
};

// Identification of one planned crossing, for the extra labels of a group.
class TInfoFlor : public TXObject
{
public:
    qint64 nc = 0;   // a crossing number may pass 32 bits
    QString codigo_mae;
    QString planejamento;
    QString codigo_pai;
    int nc_mae = 0;
    int nc_pai = 0;
    QString codigo_cruza;
};

void ClearEtiqFlorRec(TInfoFlor* Info);
