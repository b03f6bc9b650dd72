#pragma once

// "Cadastro de Hibridação": registers, by barcode scanner, the hybridisation
// of each emasculated flower (executor, reverse flag, mother and father pots,
// crossing label) and deletes a crossing that Talvora has not received yet.

#include "UFBCad.h"

#include <QList>
#include <QString>
#include <QtGlobal>

class QButtonGroup;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QRadioButton;
class TADOCommand;
class TADOQuery;
class TAppConfig;
class TColumn;
class TDBGrid;
class TEtiqFlor;
class TXCheckBox;
class TXComboBox;
class TXNumEdit;

class TFCruzaEti_Flor_Cad : public TFBCad
{
    Q_OBJECT
public:
    explicit TFCruzaEti_Flor_Cad(QWidget* Owner = nullptr);
    ~TFCruzaEti_Flor_Cad() override;

    QFrame* PEdicao = nullptr;
    QGroupBox* GBCad = nullptr;
    QGroupBox* RGOper = nullptr;          // radio group " Operação ": "Inclusão", "Exclusão"
    QButtonGroup* RGOperItems = nullptr;  // its items, by index
    QPushButton* BSetOper = nullptr;
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
    QLabel* LNC_Lido = nullptr;
    QLineEdit* NC_REP_LIDO = nullptr;
    TXNumEdit* rep = nullptr;
    QLineEdit* nc_rep = nullptr;
    QLineEdit* codigo_cruza = nullptr;
    TXCheckBox* Check_Etiq = nullptr;
    TDBGrid* GCad = nullptr;
    QLabel* LReg = nullptr;

    TADOQuery* QGrid = nullptr;     // the grid's query
    TADOCommand* QAtu = nullptr;    // insert and deletion

    int RGOperItemIndex() const;
    void SetRGOperItemIndex(int Index);

    bool ValidateField(QWidget* Sender) override;
    bool Valid_Vaso(const QString& Code, const QString& Which);
    // A number beyond the 32 bits of Parental.id names no pot: refused as unregistered.
    bool Valid_Parental(qint64 PotNumber, const QString& Which);
    bool Check_Etiqueta(int BarcodeType, const QString& Code, QString& Msg);
    qint64 Get_NC_Rep(int BarcodeType, const QString& Code);
    bool Valid_NC(qint64 LabelNumber);
    bool Check_Planejamento(int PlannedMother, int PlannedFather);
    bool Check_Etiqueta_Exclusao();
    bool Save_Flor(int AMode);
    QString SQL_Flor_Grid(const QString& Condition);
    // Added: rows the window's own last write added to the grid (kept count).
    void Refresh_Grid(int Added = 0);
    void Show_Count();
    void Reset_Entry();
    void Clear_Fields();
    void Set_Oper_Label(bool Excluding);
    void Set_Tab_Stops(bool OnlyLabel);

    void FormCreate();
    void BSetOperClick();
    void BConfirmClick();
    void EditExit(QWidget* Sender);
    void EditKeyDown(QWidget* Sender, int& Key);
    void Check_EtiqClick();
    void GCadDrawColumnCell(TDBGrid* Sender, const QRect& Rect, int DataCol, TColumn* Column, TGridDrawState State,
                            int RecNo);
    void QGridAfterOpen();

protected:
    void FormShow() override;
    void FormResize() override;
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    QList<QWidget*> Editors() const;
    QWidget* EditorOf(QObject* Object) const;
    bool IsFieldExit(const QFocusEvent* Event) const;
    void SelectNextControl(QWidget* Current);
    static TAppConfig* Config();

    TEtiqFlor* FEtiqFlor = nullptr;
    bool FExiting = false;   // an exit validation is running (its box may hold the focus)
};
