#pragma once

// "Cadastro de Baixa de Etiquetas Emasculada / Trabalhada": writes off, by
// barcode scanner, the current crossing of a label, and cancels the last
// write-off of a label that Talvora has not taken over.

#include "UFScanCad.h"

class TFCruzaEti_Baixa_Cad : public TFScanCad
{
    Q_OBJECT
public:
    explicit TFCruzaEti_Baixa_Cad(QWidget* Owner = nullptr);

    TXComboBox* usua = nullptr;   // on the window, over GBUsuario
    QGroupBox* GBUsuario = nullptr;
    QGroupBox* GBCad = nullptr;
    QGroupBox* GBFlor = nullptr;
    TXNumEdit* rep = nullptr;
    QLabel* id_cruza = nullptr;   // hidden: the central identifier of the crossing handled

    bool ValidateField(QWidget* Sender) override;
    bool Valid_NC(qint64 LabelNumber);
    bool Valid_NC_Exclusao();
    bool Save_Baixa(int AMode);
    QString SQL_Baixa_Grid(const QString& Condition);
    QString SQL_Valid_NC();
    void Reset_Entry() override;
    void Clear_Fields() override;

    void FormCreate();
    void BConfirmClick();

protected:
    void FormShow() override;
    void FormResize() override;
    // Only the user's group: the user's box itself stays enabled.
    void EnableEntry(bool Enabled) override;
    // The label confirms in both operations.
    bool ConfirmsOnEnter(QWidget* Editor) const override;
    QWidget* FirstEditor() const override { return usua; }
    QString SQL_Grid(const QString& Condition) override { return SQL_Baixa_Grid(Condition); }

private:
    // The label's first lookup row: its current crossing and its envelope's date.
    struct TLabelRow
    {
        bool Found = false;
        int Rep = 0, Seq = 0;
        QString NcPrint, Cruza, Status, XDupd, IdCruza, DtColheita;
    };
    // Raises what the query raises.
    static void LookUp(TADOQuery& Query, qint64 LabelNumber, TLabelRow& Row);
    bool ReadLabelRow(qint64 LabelNumber, const QString& Prefix, TLabelRow& Row);
    // Why the operation of AMode cannot be done on the label; empty when it can.
    static QString Refusal(const TLabelRow& Row, int AMode);
    static QString Reused() { return QStringLiteral("A Etiqueta de Hibridação ainda não foi baixado e/ou já foi reutilizado."); }
    static QString NotUsed() { return QStringLiteral("Etiqueta de Hibridação não utilizado no cruzamento."); }
    void ShowLabel(const TLabelRow& Row);

    // The crossing whose write-off the cancellation's check found.
    int FCheckedSeq = 0;
};
