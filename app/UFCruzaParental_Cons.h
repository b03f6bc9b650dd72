#pragma once

// "Filtro Parental x Planejamento Cruza": the planned crossings in which the
// listed parentals take part (as mother, father, either or both), with both
// parents' codes and how many of their labels were planned, hybridised,
// aborted, are viable and are still to hybridise.

#include "UFBCons.h"

#include <QString>

class QComboBox;
class QLineEdit;
class TStringGrid;

class TFCruzaParental_Cons : public TFBCons
{
    Q_OBJECT
public:
    explicit TFCruzaParental_Cons(QWidget* Owner = nullptr);

    QGroupBox* GParental = nullptr;
    // How the listed parentals appear in a crossing: 0 either, 1 mother, 2 father, 3 both.
    QComboBox* CBParental = nullptr;
    // The parental list: column 0 the pot number, column 1 the code; rows 1..n.
    TStringGrid* SG = nullptr;
    QLabel* NParental = nullptr;
    // What efiltro holds: 0 the pot number, 1 the code, 2 the pot barcode.
    QComboBox* CBField = nullptr;
    QLineEdit* efiltro = nullptr;
    QPushButton* BIns = nullptr;
    QPushButton* BDel = nullptr;

    // Number of listed parentals.
    int Parentais() const { return FCount; }

    void BInsClick();
    void BDelClick();
    void CBParentalChange();

    // The statement for the current list and choice.
    QString SQL_Parental() const;

protected:
    TConsView CurrentView() override;
    void ShowLoaded() override;
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    // The typed value as the list holds it, or empty after a refusal.
    QString ValueToAdd();
    bool Listed(int Col, const QString& Value) const;
    void ShowParentais();

    int FCount = 0;
};
