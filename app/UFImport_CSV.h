#pragma once

// "Dados Cadastrais": loads master data (planned crossings, executors,
// parentals, parental characterisation) from semicolon-separated sheets into
// the campaign, deletes all master data of a kind, and exports it again.
// Without the "ExpoCad" flag it works on the parental characterisation only.

#include "UFBCad.h"
#include "UXObject.h"
#include "XAdoTypes.h"
#include "XGraphics.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <vector>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QFrame;
class TADOCommand;
class TADOQuery;
class TParameter;
class TOpenDialog;
class TSaveDialog;
class TStringGrid;
class TStringList;

// The module's own namespace: the string-grid column list has a TColInfo of its own.
namespace UFImport_CSV {

// One column of a master-data kind.
class TColInfo : public TXObject
{
public:
    TColInfo();

    QString Title;      // trimmed, upper case; the column's key
    QString DBField;    // empty: never written
    int CsvPos = -1;    // position of the title in the sheet; -1 while absent
    int GridCol = 0;
    int Width = 10;
    bool Computed = false;
    TFieldType DataType = ftUnknown;
    QString DupList;    // earlier positions of a repeated title, joined by ", "
    bool Required = false;

    void Init();
    void SetTitle(const QString& Name);
    void SetWidth(int W);
    void ResetPos();
};

// The columns of the kind in place, in grid-column order; owns them.
class TColsImport : public TXObject
{
public:
    TColsImport();
    ~TColsImport() override;

    TStringList* Cols;

    bool Add(TColInfo* Col);
    int Count() const;
    TColInfo* Items(int Index) const;
    void Clear();
    void ResetPositions();
    static void SplitLine(const QString& Line, QStringList& List);
    void ParseHeader(const QString& Line);
    bool CheckHeader(QString& Msg) const;
    void HeaderLine(QString& Line) const;
    int GridColOf(const QString& Name) const;
    TColInfo* FindByTitle(const QString& Name) const;
};

} // namespace UFImport_CSV

class TFImport_CSV : public TFBCad
{
    Q_OBJECT
public:
    explicit TFImport_CSV(QWidget* Owner = nullptr);
    ~TFImport_CSV() override;

    enum TKind { kdCruzamento = 0, kdEmasculador = 1, kdParental = 2, kdCaracParental = 3 };

    QGroupBox* GBDados = nullptr;
    QComboBox* dados = nullptr;
    QGroupBox* GBOper = nullptr;
    QComboBox* CBOper = nullptr;
    QPushButton* BLoadInfo = nullptr;
    QPushButton* BModelo_CSV = nullptr;
    QGroupBox* GBFile = nullptr;
    QLineEdit* EDFile = nullptr;
    QPushButton* BLoadFile = nullptr;
    TStringGrid* SG = nullptr;
    QPlainTextEdit* MErro = nullptr;
    QPushButton* BErro = nullptr;
    QLabel* LErro = nullptr;
    QFrame* PLoad = nullptr;
    QGroupBox* GBLoad = nullptr;
    QProgressBar* PBLoad = nullptr;
    QLabel* LImportacao = nullptr;
    TOpenDialog* OD = nullptr;
    TSaveDialog* SD = nullptr;
    TADOCommand* QAtu = nullptr;

    UFImport_CSV::TColsImport* ColsImport = nullptr;
    // The key of the column set in place: 3 after show (none), -1 after a delete-all.
    int DadosTag = 3;

    int Kind() const;
    int Oper() const;
    int Choice_Key() const;

    // Window routines.
    void Setup_Kind();
    void Refresh_Grid_State();
    void Set_Oper();
    void Set_Oper_Items();
    void Setup_Grid();
    void Clear_Grid();
    void Load_CSV();
    void Show_Counts();
    void Show_Errors(bool Show);
    void Show_Load_Panel(bool HideBar, bool Show);
    void Import_Data();
    void Export_Data();
    bool Save_Model(const QString& FileName);
    static QString Model_File_Name(int Kind);

    // Kinds and their checks.
    void Cols_Cruzamento();
    void Cols_Emasculador();
    void Cols_Parental();
    void Cols_Carac_Parental();
    static void Add_Msg(QString& List, const QString& Item);
    void Check_Row(const QStringList& Cells, QStringList& Row, QString& RowErr);
    void Valid_Cell(const QString& Value, UFImport_CSV::TColInfo* Col, QString& RowErr);
    bool Is_Duplicated(const QString& Value, int GridCol, QString& Msg);
    bool Valid_Parental(const QString& Code, int GridCol, QString& Msg);
    int Get_ID_Parental(const QString& Code);
    bool Parental_In_Use(const QString& Value, QString& Msg);
    bool Check_Barcode_Digits(const QString& Value, QString& Msg);
    static bool Check_Max_Len(const QString& Text, int Max);
    void Valid_NC_X_COD(int NC, const QString& Code, QString& RowErr);
    bool Import_Row(int Row);
    bool Update_Parental(int Row);
    void Build_Insert_Lists(int Row, QString& Columns, QString& Params);
    bool Can_Delete_All();
    void Delete_All();
    bool Prepare_DataSet();
    bool Load_DataSet(TADOQuery* DataSet);
    static QString Table_Name(int Kind);

    // Handlers.
    void FormCreate();
    void dadosChange();
    void CBOperChange();
    void BLoadFileClick();
    void BLoadInfoClick();
    void BModelo_CSVClick();
    void BConfirmClick();
    void BErroClick();
    void SGDrawCell(TStringGrid* Sender, int ACol, int ARow, const QRect& Rect, TGridDrawState State);

protected:
    void FormShow() override;
    void FormResize() override;

private:
    void Add_Col(const char* Title, const char* DBField, TFieldType Type, bool Required, bool Computed, int Width);
    void Add_Error_Col(int Oper);
    bool Read_Lines(const QString& FileName, QStringList& Lines);
    void Check_Lines(const QStringList& Lines, std::vector<QStringList>& Rows, QStringList& Errors);
    bool Load_In_Use();
    bool Load_Parentals();
    bool Progress_Due(bool Force);
    void Show_Progress(const QString& Text);
    bool Int32Of(const QString& Value, int& Out) const;
    QVariant Param_Value(const UFImport_CSV::TColInfo* Col, int Row) const;
    QString Stamp();

    // Indexes kept while a sheet is read: the first row of each value of a
    // checked column, each parent code resolved, the stored parentals.
    QHash<int, QHash<QString, int>> FFirstRow;
    QHash<QString, int> FParentIds;
    QHash<int, int> FInUse;
    bool FInUseRead = false;
    bool FInUseFailed = false;
    QHash<int, QString> FParentals;
    bool FParentalsRead = false;
    bool FParentalsFailed = false;
    QStringList* FRow = nullptr;   // the row being checked
    int FRowNo = 0;
    int FExpectedRows = 0;
    qint64 FLastPaint = 0;
    int FErrorCol = -1;
    bool FGridUsable = false;   // the grid in place may be imported, deleted or exported
    QString FMissingFields;
    TADOCommand* FDelete = nullptr;
    qint64 FStampSecond = -1;
    QString FStamp;
    quint64 FInsertMask = 0;
    std::vector<TParameter*> FInsertParams;   // the insert's parameter of each column, or none
    TParameter* FStampParam = nullptr;
};
