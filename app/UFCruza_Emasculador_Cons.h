#pragma once

// "Hibridações Realizadas": the hybridisations done, by executor, summed per
// planned crossing ("Sintético") or one line per event ("Analítico"),
// optionally for a period of registration days and for one executor.

#include "UFBCons.h"

class QCheckBox;
class QDateEdit;
class TXComboBox;

class TFCruza_Emasculador_Cons : public TFBCons
{
    Q_OBJECT
public:
    explicit TFCruza_Emasculador_Cons(QWidget* Owner = nullptr);

    TRadioGroupBox* RGFiltro = nullptr;   // " Relatório "
    QGroupBox* GBFiltro = nullptr;
    QCheckBox* ckfiltro = nullptr;
    // Whole days: the pickers hold no time of day.
    QDateEdit* datai = nullptr;
    QDateEdit* dataf = nullptr;
    TXComboBox* id_emasculador = nullptr;

    void RGFiltroClick();
    void ckfiltroClick();
    void dataChange();
    void id_emasculadorChange();

    // " WHERE " and the period and executor tests; empty without filters.
    QString Condition() const;

protected:
    TConsView CurrentView() override;
    void ShowLoaded() override;
};
