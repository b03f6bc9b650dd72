#pragma once

// "Etiquetas de Cruza - Dados para Impressão": builds the rows of a label
// sheet (hybridisation labels with their mother, father and crossing labels,
// written-off hybridisation labels, pots by season, parental pots) into a
// string grid, and writes them to the data file of the label-printing tool.

#include "UFBCad.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

class QComboBox;
class QGroupBox;
class QLabel;
class TADOQuery;
class TAppConfig;
class TInfoFlor;
namespace UTSG_Cols {
class TSGCols;
}
class TSaveDialog;
class TStringGrid;
class TXComboBox;
class TXNumEdit;
class TXWait;

class TFCruzaEti_Print_Expo : public TFBCad
{
    Q_OBJECT
public:
    explicit TFCruzaEti_Print_Expo(QWidget* Owner = nullptr);
    ~TFCruzaEti_Print_Expo() override;

    QGroupBox* GBPlan = nullptr;
    TXComboBox* CBPlan = nullptr;
    QGroupBox* GBOpcao = nullptr;
    QComboBox* CBOpcao = nullptr;
    QGroupBox* GBOrdemLst = nullptr;
    QComboBox* CBOrdem = nullptr;
    QComboBox* CBCultura = nullptr;
    QGroupBox* GBN_Etiq = nullptr;
    TXNumEdit* qte_etiq = nullptr;
    TXNumEdit* adic_epoca = nullptr;
    TStringGrid* SG = nullptr;
    QPushButton* BExportar = nullptr;
    QLabel* LRegistro = nullptr;
    TSaveDialog* SD = nullptr;
    TXWait* Wait = nullptr;
    UTSG_Cols::TSGCols* Cols = nullptr;

    // The planning chosen in CBPlan; false with "Todos".
    bool Planejamento(QString& Name) const;
    // " WHERE (pc.planejamento = '...') ", or empty with "Todos".
    QString PlanFilter() const;
    QString SQL_Etiq_Baixada() const;
    QString SQL_Etiq_Flor(int Sheet) const;
    QString SQL_Etiq_Parental_Vaso() const;

    void Load_Planejamento();
    void Load_Grid(int Sheet);
    void Load_Etiq_Flor(int Sheet);
    void Load_Etiq_Parental_Vaso(int Sheet);
    void Export_CSV();

    void CBOpcaoChange();
    void CBPlanChange();
    void CBOrdemChange();
    void BConfirmClick();
    void BExportarClick();

protected:
    void FormShow() override;

private:
    static TAppConfig* Config();
    void SetPending(bool Pending);
    // Shows the wait indicator, runs SQL and lets Rows build the sheet from
    // it; failures are reported with Prefix.
    void BuildRows(const QString& WaitText, const QString& Prefix, const QString& SQL,
                   const std::function<void(TADOQuery&, const std::vector<int>&)>& Rows);
    void DefineColumns(int Sheet);
    void OpenRow();
    void DropOpenRow();
    // Fills the open row's field columns from the current result row.
    void FillFields(TADOQuery& Query, const std::vector<int>& FieldIndexes);
    void LoadInfo(TADOQuery& Query);
    void Add_Etiq_Parentais(bool Soja, int Pag, int& Seq);
    void Add_Etiq_Row(const QString& Kind, bool Soja, int Pag, int Seq);
    const QString& Num(int N);
    int ColOf(const char* Name) const;
    void StartWait(const QString& Text);
    void StopWait();

    // The sheet while it is being built: the title row, then the rows; the
    // grid takes it over whole at the end of a build.
    std::vector<QStringList> FRows;
    QStringList FEmptyRow;
    QStringList FLastFields;       // the previous row's field texts, shared when equal
    std::vector<QString> FNumbers; // decimal texts of small numbers, shared
    TInfoFlor* FInfo = nullptr;
    QString FParentais;            // the label rows' parents text of the group in FInfo
};
