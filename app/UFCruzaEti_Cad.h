#pragma once

// "Cadastro de Envelopes de Colheita / Cruzamento": registers, by barcode
// scanner, the harvest envelope of a crossing label (with the crossing itself
// when the label has no live one), deletes envelopes and filters them by lot
// and label.

#include "UFScanCad.h"

class TFCruzaEti_Cad : public TFScanCad
{
    Q_OBJECT
public:
    explicit TFCruzaEti_Cad(QWidget* Owner = nullptr);
    ~TFCruzaEti_Cad() override;

    QGroupBox* GBUsuario = nullptr;
    QGroupBox* GBLote = nullptr;
    QGroupBox* GBCad = nullptr;
    QGroupBox* GBFlor = nullptr;
    QGroupBox* GBCruza = nullptr;
    TXComboBox* usua = nullptr;
    QLabel* LLote = nullptr;
    QLineEdit* lote = nullptr;
    TXNumEdit* nsem = nullptr;
    QLineEdit* obs = nullptr;
    TXComboBox* id_emasculador = nullptr;
    TXComboBox* reverso = nullptr;
    TXNumEdit* id_mae = nullptr;
    QLineEdit* codigo_mae = nullptr;
    TXNumEdit* id_pai = nullptr;
    QLineEdit* codigo_pai = nullptr;
    TDBGrid* GLote = nullptr;
    QLabel* LRegLote = nullptr;
    TADOQuery* QGridLote = nullptr;

    // 1 while the label last looked up has no live crossing (the save inserts one).
    int NewCruza = 0;
    // The last seed count that passed the limit test; kept while the window lives.
    int AcceptedSeeds = 0;

    bool ValidateField(QWidget* Sender) override;
    bool Valid_NC(qint64 NcRep);
    bool Save_Colheita(int AMode);
    QString SQL_Colheita_Grid(const QString& Condition);
    QString SQL_Lote_Grid();
    QString Filtro_Colheita(bool& Failed);
    QString Filtro_NC(const QString& Text, int Length, bool& Failed);
    bool Check_Etiqueta_Exclusao();
    void Reset_Entry() override;
    void Clear_Fields() override;
    // Both grids.
    void Refresh_Grid(int Added = 0, int Writes = 1) override;
    void Show_Count() override;
    void Set_Oper_Label(bool Active) override;
    void Enable_Cruza(bool Enabled);
    void Select_Executor(int Id);

    void FormCreate();
    void BConfirmClick();

protected:
    // "Filtro" besides the other two.
    void ApplyOperation(int Item) override;
    // The lot is emptied with the entry.
    void AfterOperationPress() override;
    void EnableEntry(bool Enabled) override;
    bool ConfirmsOnEnter(QWidget* Editor) const override;
    QWidget* FirstEditor() const override { return usua; }
    QString SQL_Grid(const QString& Condition) override { return SQL_Colheita_Grid(Condition); }
    void FormShow() override;
    void FormResize() override;

private:
    // The lot and date of the envelope the current save inserted.
    QStringList FAddedLot;

    // The label's envelope as the file has it.
    struct TEnvelope
    {
        qint64 IdCruza = 0;
        QString Lote, Seeds, Dupd;
    };

    // Raise what their statements raise; the caller's transaction keeps them whole.
    bool Add_Cruza();
    void Add_Colheita_Del(qint64 Label, qint64 IdCruza);
    // Whether the label has an envelope, read into Row.
    bool Read_Envelope(qint64 Label, TEnvelope& Row);
    // The envelope read again (into Row) inside the deletion's transaction: why
    // it is not the one Shown to the user any more, or empty when it is.
    QString Deletion_Check(qint64 Label, const TEnvelope& Shown, TEnvelope& Row);
    bool Valid_Seeds();
    // The label checked again inside the save's transaction: the refusal, or
    // empty when the label is still as its validation found it.
    QString Final_Check(qint64 Label);
    // The refusal of a label that has its envelope.
    static QString Registered(const QString& Lot, const QString& Seeds);
};
