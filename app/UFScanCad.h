#pragma once

// What the three scanner windows (hybridisation, write-off, harvest envelope)
// share: reading a label code by its barcode type, the two-press operation
// choice, Enter moving on or confirming, validation when a field is left
// (never while the confirmation walks the editors, never twice), the grid's
// re-query with its counter and the widgets every one of them builds.

#include "UFBCad.h"
#include "UXComboBox.h"
#include "XAdoTypes.h"
#include "XGraphics.h"

#include <QList>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QtGlobal>

#include <functional>
#include <initializer_list>

class QButtonGroup;
class QFocusEvent;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class TADOCommand;
class TADOQuery;
class TAppConfig;
class TDBGrid;
class TEtiqFlor;
class TXNumEdit;

// The check digit of Code by barcode type (0 EAN-8, 1 EAN-13); any other
// type fails with "Index Inválido (<type>)." in Msg.
bool Check_Etiqueta(int BarcodeType, const QString& Code, QString& Msg);
// The number Code carries without its check digit: 7 digits for type 0; 12
// for type 1, or 11 when the leading zero of a 13-digit code was not scanned;
// 0 for any other type. Blanks and control characters around Code are no digits.
qint64 Get_NC_Rep(int BarcodeType, const QString& Code);

class TFScanCad : public TFBCad
{
    Q_OBJECT
public:
    explicit TFScanCad(QWidget* Owner = nullptr);
    ~TFScanCad() override;

    QFrame* PEdicao = nullptr;
    QGroupBox* RGOper = nullptr;          // radio group " Operação "
    QButtonGroup* RGOperItems = nullptr;  // its items, by index
    QPushButton* BSetOper = nullptr;
    QLabel* LNC_Lido = nullptr;
    QLineEdit* NC_REP_LIDO = nullptr;
    QLineEdit* nc_rep = nullptr;         // the label's printed number
    QLineEdit* codigo_cruza = nullptr;   // the plan's crossing code
    TDBGrid* GCad = nullptr;
    QLabel* LReg = nullptr;

    TADOQuery* QGrid = nullptr;     // the grid's query
    TADOCommand* QAtu = nullptr;    // the window's writes

    int RGOperItemIndex() const;
    void SetRGOperItemIndex(int Index);

    // The two-press operation choice: the first press opens it (button red
    // and bold, entry and "Confirmar" disabled), the second applies the item.
    void BSetOperClick();
    void EditExit(QWidget* Sender);
    void EditKeyDown(QWidget* Sender, int& Key);
    void QGridAfterOpen();

    // ---- grid upkeep ----
    // Re-queries the grid with its SQL (opens it when closed), then Show_Count.
    // Added: rows the window's own Writes statements moved into the grid's
    // result (negative: out of it), so its count is kept rather than taken
    // again over the whole campaign.
    virtual void Refresh_Grid(int Added = 0, int Writes = 1);
    // "Registros: " and the record count, or "Registros: " alone while closed.
    virtual void Show_Count();

    // Widgets as the scanning windows build them (the label lookup too).
    static QLineEdit* NewEdit(QWidget* Parent, const char* Name, const QRect& Geometry, int MaxLength = 0,
                              bool Upper = false);
    static TXNumEdit* NewNumEdit(QWidget* Parent, const char* Name, const QRect& Geometry, bool Enabled = false);
    static QLabel* NewLabel(QWidget* Parent, const char* Name, const QString& Caption, int X, int Y);

protected:
    // ---- what each window says ----
    // Enables the entry groups that the choice disables.
    virtual void EnableEntry(bool Enabled) = 0;
    // Applies the chosen item: "Inclusão" (mode 1, the whole grid, the focus
    // on FirstEditor) or "Exclusão" (mode 4, the grid closed until a label is
    // read, the focus on the label).
    virtual void ApplyOperation(int Item);
    virtual QWidget* FirstEditor() const = 0;
    // The window's grid SQL, with an optional condition.
    virtual QString SQL_Grid(const QString& Condition) = 0;
    // The label's caption by the operation; a deletion closes the grid.
    virtual void Set_Oper_Label(bool Excluding);
    // Whether Enter on Editor presses "Confirmar" (else it moves on).
    virtual bool ConfirmsOnEnter(QWidget* Editor) const = 0;
    virtual void Clear_Fields() = 0;
    // The entry ready for the next scan after an inclusion.
    virtual void Reset_Entry() = 0;
    // Runs after every press of the operation button.
    virtual void AfterOperationPress() { Clear_Fields(); }

    // ---- building ----
    // The panel, the operation radio group with Items in one row and its button.
    void BuildOperation(const QRect& Panel, const QRect& Group, const QStringList& Items, int ButtonX);
    // The grid over QGrid with its counter below it.
    void BuildGrid(QWidget* Parent, const QRect& Geometry);
    // The editors in validation order, and the inclusion mode to start in.
    void SetEditorNames(std::initializer_list<const char*> Names);
    // Editors share the exit and key handlers.
    void AddEditors(const QList<QWidget*>& List);
    QList<QWidget*> Editors() const { return FEditors; }

    static QGroupBox* NewGroup(QWidget* Parent, const char* Name, const QString& Title, const QRect& Geometry);
    static TXComboBox* NewCombo(QWidget* Parent, const char* Name, const QRect& Geometry);
    // The reverse flag: "1 - Não", "2 - Sim", the first chosen.
    static TXComboBox* NewReverso(QWidget* Parent, const QRect& Geometry);
    // LNC_Lido, sized for its longer caption, and NC_REP_LIDO at Edit.
    void BuildLabelField(QWidget* Parent, int LabelY, const QRect& Edit);
    // nc_rep and codigo_cruza, disabled, each after its caption.
    void BuildLabelDisplay(QWidget* Parent, const QString& NcCaption, const QPoint& NcAt, const QRect& Nc,
                           const QString& CruzaCaption, const QPoint& CruzaAt, const QRect& Cruza);
    // A grid column of Width pixels with its title's own alignment.
    static void AddColumn(TDBGrid* Grid, const char* Field, const QString& Title, int Width, TAlignment Alignment,
                          TAlignment TitleAlignment);

    // The panel, Group inside it and the grid inside Group follow the window's size.
    void ResizeGridPanel(QWidget* Group);

    // ---- checks ----
    static TAppConfig* Config();
    // Barcode type of the crossing labels; -1 without a configuration.
    static int LabelCode();
    // False (and the window closing) when no configuration is loaded.
    bool ConfigLoaded();
    // The label number of NC_REP_LIDO by the configured barcode type.
    qint64 LabelNumber() const;
    // NC_REP_LIDO read for an inclusion: empty (or, with BlanksAreEmpty, only
    // blanks) alerts EmptyMsg; a bad code alerts the check's message.
    bool ReadLabel(const QString& EmptyMsg, bool BlanksAreEmpty, qint64& Number);
    // NC_REP_LIDO read for a deletion: the check digit by the configured type,
    // shown in the error box without sound.
    bool CheckLabelForDeletion(const QString& EmptyMsg);
    // The failing editor of a confirmation: its text selected, the focus on it.
    static void FocusFailed(QWidget* Sender);
    // The confirmation of an inclusion: ValidateField over the listed edits and
    // combo boxes, in order, with the validating flag set; stops at the first False.
    bool ValidateEditors();
    // The checks before a save: the editors for an inclusion; for a deletion
    // the label, then its rows in the grid (NotFound reported when none).
    bool ConfirmChecks(const QString& NotFound, void (*Report)(const QString&));
    // After the save of a confirmation: when it went through, the grid
    // re-queried (with what Wrote recorded) and, after an inclusion, the entry
    // ready for the next scan.
    void AfterSave(bool Saved);
    // A statement of the save went through, moving Rows rows into the grid's
    // result (negative: out of it). Called only for writes that happened.
    void Wrote(int Rows = 0)
    {
        FAdded += Rows;
        ++FWrites;
    }
    // Statements the current save wrote.
    int Writes() const { return FWrites; }
    // The label read for a deletion: the grid filtered by Condition on its
    // number, or closed with the focus back on the label.
    void FilterByLabel(bool Valid, const QString& Condition);
    // The grid closed, given SQL and opened.
    void OpenGrid(const QString& SQL);
    static void RequeryOrOpen(TADOQuery* Query);
    static QString CountText(TADOQuery* Query);

    // ---- shared statements ----
    // The crossings with their label, plan and executor: Extra columns after
    // c.seq, and the test that shows "Adic" (else "Tal").
    static QString SQL_Cruza_Grid(const QString& Extra, const QString& LocalTest);
    static void SetParam(TADOCommand* Command, const char* Name, TFieldType Type, const QVariant& Value);
    // Query opened on a label lookup's SQL, its "nc_rep" given as a floating-point
    // number as the lookups have it; whether a row came back.
    static bool OpenLabel(TADOQuery& Query, const QString& SQL, qint64 Label);
    // One crossing of Label with the next sequence; false (nothing written) when
    // the sequence cannot be had. Raises what the execution raises.
    bool InsertCruza(TADOCommand* Command, qint64 Label, int Reverso, int Executor, const QString& Status);
    // A write after a check that another station could make stale (a
    // deletion after its question, a write-off): in one write transaction,
    // Check reads the row again and gives why it may not be written (empty
    // when it is still as checked); Write then writes it by the values read
    // and gives the rows it changed, none meaning Gone. A refusal leaves
    // nothing written and is raised, so that it is told as a failure, never
    // as a success. The rows changed.
    static int WriteAsChecked(const std::function<QString()>& Check, const std::function<int()>& Write,
                              const QString& Gone);

    bool eventFilter(QObject* Watched, QEvent* Event) override;

    TEtiqFlor* FEtiqFlor = nullptr;

private:
    QWidget* EditorOf(QObject* Object) const;
    void SelectNextControl(QWidget* Current);

    QList<QWidget*> FEditors;
    bool FExiting = false;    // an exit validation is running (its box may hold the focus)
    bool FSwitching = false;  // the operation button is moving the focus
    int FAdded = 0;           // rows the current save moved into the grid
    int FWrites = 0;          // its statements
};
