#pragma once

// "Cruzamento Planejado x Realizado": the planned crossings beside what was
// done on their labels, as the harvest per crossing and reverse flag
// ("Realizado") or as the crossing book, one row per planned crossing with
// its parents and label counts ("Analítico / Livro Cruza").

#include "UFBCons.h"

class TFCruza_Planejado_Cons : public TFBCons
{
    Q_OBJECT
public:
    explicit TFCruza_Planejado_Cons(QWidget* Owner = nullptr);

    TRadioGroupBox* RGFiltro = nullptr;   // " Relatório "

    void RGFiltroClick();

protected:
    TConsView CurrentView() override;
    void ShowLoaded() override;
};
