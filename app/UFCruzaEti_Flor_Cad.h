#pragma once

// "Cadastro de Hibridação": registers, by barcode scanner, the hybridisation
// of each emasculated flower (executor, reverse flag, mother and father pots,
// crossing label) and deletes a crossing that Talvora has not received yet.

#include "UFScanCad.h"

#include <QList>
#include <QString>
#include <QtGlobal>

class QGroupBox;
class QLineEdit;
class TColumn;
class TXCheckBox;
class TXComboBox;
class TXNumEdit;

class TFCruzaEti_Flor_Cad : public TFScanCad
{
    Q_OBJECT
public:
    explicit TFCruzaEti_Flor_Cad(QWidget* Owner = nullptr);
    ~TFCruzaEti_Flor_Cad() override;

    QGroupBox* GBCad = nullptr;
    QGroupBox* GBCruza = nullptr;
    QGroupBox* GBFlor = nullptr;
    TXComboBox* id_emasculador = nullptr;
    TXComboBox* reverso = nullptr;
    QLineEdit* id_mae_lido = nullptr;
    QLineEdit* id_pai_lido = nullptr;
    TXNumEdit* id_mae = nullptr;
    TXNumEdit* id_pai = nullptr;
    QLineEdit* codigo_mae = nullptr;
    QLineEdit* codigo_pai = nullptr;
    TXNumEdit* rep = nullptr;
    TXCheckBox* Check_Etiq = nullptr;

    bool ValidateField(QWidget* Sender) override;
    bool Valid_Vaso(const QString& Code, const QString& Which);
    // A number beyond the 32 bits of Parental.id names no pot: refused as unregistered.
    bool Valid_Parental(qint64 PotNumber, const QString& Which);
    bool Valid_NC(qint64 LabelNumber);
    bool Check_Planejamento(int PlannedMother, int PlannedFather);
    bool Check_Etiqueta_Exclusao();
    bool Save_Flor(int AMode);
    QString SQL_Flor_Grid(const QString& Condition);
    void Reset_Entry() override;
    void Clear_Fields() override;
    void Set_Tab_Stops(bool OnlyLabel);

    void FormCreate();
    void BConfirmClick();
    void Check_EtiqClick();
    void GCadDrawColumnCell(TDBGrid* Sender, const QRect& Rect, int DataCol, TColumn* Column, TGridDrawState State,
                            int RecNo);

protected:
    void FormShow() override;
    void FormResize() override;
    void EnableEntry(bool Enabled) override;
    QWidget* FirstEditor() const override { return id_emasculador; }
    QString SQL_Grid(const QString& Condition) override { return SQL_Flor_Grid(Condition); }
    bool ConfirmsOnEnter(QWidget* Editor) const override;

private:
    // The crossing a deletion's question shows, and the label's envelope then.
    struct TShown
    {
        qint64 Label = 0;
        int Seq = 0;
        QString Dupd, Reverso, Harvested;
    };
    // The date of the label's envelope; empty without one. Raises what the query raises.
    static QString HarvestDate(qint64 Label);
    // The crossing read again inside the deletion's transaction: why it is not
    // the one Shown to the user, or may no longer be deleted; empty when it may.
    static QString Deletion_Check(const TShown& Shown);
};
