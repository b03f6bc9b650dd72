#pragma once

// "Consulta Colheita": the registered harvest envelopes, summed per planned
// crossing and reverse flag or listed one by one, and their export.

#include "UFBCons.h"

class TFCruzaEti_Cons : public TFBCons
{
    Q_OBJECT
public:
    explicit TFCruzaEti_Cons(QWidget* Owner = nullptr);

    // " Envelope Hibridação Cadastrado ": 0 "Resumo por Cruza", 1 "Envelope Cadastrado".
    TRadioGroupBox* RGFiltro = nullptr;

    void RGFiltroClick();

    // The statements of the two views.
    static QString SQL_Resumo();
    static QString SQL_Envelope();

protected:
    TConsView CurrentView() override;
    void ShowLoaded() override;
};
