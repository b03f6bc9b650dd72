#pragma once

// "Cadastro de Baixa de Etiquetas Emasculada / Trabalhada": writes off, by
// barcode scanner, the current crossing of a label, and cancels the last
// write-off of a label that Talvora has not taken over.

#include "UFScanCad.h"

#include <QString>
#include <QtGlobal>

class QGroupBox;
class QLabel;
class QLineEdit;
class TXComboBox;
class TXNumEdit;

class TFCruzaEti_Baixa_Cad : public TFScanCad
{
    Q_OBJECT
public:
    explicit TFCruzaEti_Baixa_Cad(QWidget* Owner = nullptr);
    ~TFCruzaEti_Baixa_Cad() override;

    QGroupBox* GBCad = nullptr;
    QGroupBox* GBUsuario = nullptr;
    QGroupBox* GBFlor = nullptr;
    TXComboBox* usua = nullptr;
    TXNumEdit* rep = nullptr;
    QLineEdit* nc_rep = nullptr;
    QLineEdit* codigo_cruza = nullptr;
    QLabel* id_cruza = nullptr;   // hidden: the central identifier of the crossing handled

    bool ValidateField(QWidget* Sender) override;
    bool Valid_NC(qint64 LabelNumber);
    bool Valid_NC_Exclusao();
    bool Save_Baixa(int AMode);
    QString SQL_Baixa_Grid(const QString& Condition);
    QString SQL_Valid_NC();
    void Reset_Entry();
    void Clear_Fields() override;
    void Set_Oper_Label(bool Excluding);

    void FormCreate();
    void BConfirmClick();

protected:
    void FormShow() override;
    void FormResize() override;
    void EnableEntry(bool Enabled) override;
    void ApplyOperation(int Item) override;
    bool ConfirmsOnEnter(QWidget* Editor) const override;

private:
    // The label's first lookup row: its current crossing and its envelope's date.
    struct TLabelRow
    {
        bool Found = false;
        int Rep = 0;
        QString NcPrint, Cruza, Status, XDupd, IdCruza, DtColheita;
    };
    bool ReadLabelRow(qint64 LabelNumber, const QString& Prefix, TLabelRow& Row);
    void ShowLabel(const TLabelRow& Row);
};
