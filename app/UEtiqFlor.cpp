#include "UEtiqFlor.h"

#include "UXForms.h"
#include "UXLib.h"
#include "XAdo.h"
#include "XExceptions.h"

#include <memory>

TEtiqFlor::~TEtiqFlor()
{
    Conn = nullptr;
}

int TEtiqFlor::MaxSeq(qint64 NcRep)
{
    int Result = 0;
    const bool Ok = WithQuery(Conn, QStringLiteral("Erro ao buscar Maior Seq.\r\nErro: "), [&](TADOQuery& q) {
        q.SQL.setText(QStringLiteral("SELECT MAX( seq ) AS Max_Seq   FROM Cruza WHERE (nc_rep = :nc_rep) "));
        // EAN-13 label numbers have 12 digits: the full 64 bits must reach the query.
        TParameter* p = q.Parameters.ParamByName(QStringLiteral("nc_rep"));
        p->DataType = ftLargeint;
        p->Value = NcRep;
        q.Open();
        if (!q.IsEmpty())
            Result = q.FieldByName(QStringLiteral("max_seq"))->AsInteger();
        return true;
    });
    return Ok ? Result : -1;
}

int TEtiqFlor::NextSeq(qint64 NcRep)
{
    const int M = MaxSeq(NcRep);
    return M < 0 ? M : M + 1;
}

bool TEtiqFlor::LiveCrossing(qint64 NcRep, QString& Date)
{
    std::unique_ptr<TADOQuery> q(NewQuery(Conn));
    q->SQL.setText(QStringLiteral("SELECT dupd   FROM Cruza WHERE (nc_rep = :nc_rep) AND (status <> 'X')"));
    TParameter* p = q->Parameters.ParamByName(QStringLiteral("nc_rep"));
    p->DataType = ftLargeint;
    p->Value = NcRep;
    q->Open();
    const bool found = !q->IsEmpty();
    Date = found ? q->FieldByName(QStringLiteral("dupd"))->AsString() : QString();
    q->Close();
    return found;
}

QString TEtiqFlor::SQLCruzaNaoBaixada() const
{
    return QStringLiteral("SELECT *   FROM Cruza WHERE (status <> 'X' )");
}

void ClearEtiqFlorRec(TInfoFlor* Info)
{
    Info->nc = 0;
    Info->nc_mae = 0;
    Info->nc_pai = 0;
    Info->codigo_mae.clear();
    Info->planejamento.clear();
    Info->codigo_pai.clear();
    Info->codigo_cruza.clear();
}
