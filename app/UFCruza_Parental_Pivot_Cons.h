#pragma once

// "Resumo Parental x Cruza": per plan and parental pot, in how many planned
// crossings the pot still takes part as mother and as father, counting only
// the crossings with fewer viable hybridisations than a threshold.

#include "UFBCons.h"

class QComboBox;
class TXNumEdit;

class TFCruza_Parental_Pivot_Cons : public TFBCons
{
    Q_OBJECT
public:
    explicit TFCruza_Parental_Pivot_Cons(QWidget* Owner = nullptr);

    QGroupBox* GBFiltro = nullptr;
    QComboBox* id_planejamento = nullptr;   // "Todos", then every plan
    TXNumEdit* nviavel = nullptr;           // the viable-count threshold

    // The plan list and the starting threshold.
    void Inicializa_Dados();
    void id_planejamentoChange();

protected:
    TConsView CurrentView() override;
    void ShowLoaded() override;
};
