#pragma once

#include "XDialogs.h"
#include "XLists.h"
#include "XStringList.h"
#include <QByteArray>
#include <QChar>
#include <QString>
#include <QVariant>
#include <QtGlobal>

// ---- Format settings -------------------------------------------------------

struct TFormatSettings
{
    int CurrencyFormat;
    int NegCurrFormat;
    QChar ThousandSeparator;
    QChar DecimalSeparator;
    int CurrencyDecimals;
    QChar DateSeparator;
    QChar TimeSeparator;
    QChar ListSeparator;
    QString CurrencyString;
    QString ShortDateFormat;
    QString LongDateFormat;
    QString TimeAMString;
    QString TimePMString;
    QString ShortTimeFormat;
    QString LongTimeFormat;
    QString ShortMonthNames[12];
    QString LongMonthNames[12];
    QString ShortDayNames[7];
    QString LongDayNames[7];
    int TwoDigitYearCenturyWindow;
};

// Brazilian Portuguese settings, read by the number edit.
extern TFormatSettings FormatSettingsBR;

// Formats Value by a number format: up to three sections separated by ';'
// (positive; negative; zero), '0' and '#' digit placeholders, '.' the decimal
// point, ',' the thousands separator, "..." and '...' quoted literals, other
// characters literal. The output uses the separators of Settings.
QString FormatFloat(const QString& Format, long double Value, const TFormatSettings& Settings);

// ---- Dialogs ---------------------------------------------------------------

void ShowError(const QString& Msg);
void ShowInfo(const QString& Msg);
int XMessageDlg(const QString& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, int HelpCtx,
                int DefaultResult, bool Portuguese);
bool Ask(const QString& Msg, bool DefaultNo = false);

// ---- Check digits ----------------------------------------------------------

// Blanks and control characters off both ends, as the check-digit routines read a code.
QString TrimControls(const QString& S);
bool CheckEAN8(const QString& Code, QString& Msg);
bool CheckEAN13(const QString& Code, QString& Msg);

// ---- Variant and text helpers ----------------------------------------------

QString IfThenStr(bool Cond, const QString& ThenText, const QString& ElseText);
QVariant IfThenVar(bool Cond, const QVariant& ThenValue, const QVariant& ElseValue);
// Value, unless it is Null (a null QVariant); then Default.
QVariant IfNull(const QVariant& Value, const QVariant& Default);
// Text as a string variant, or Default when Text is empty.
QVariant NzVar(const QString& Text, const QVariant& Default);
bool IsIntegerStr(const QString& Text);
int DigitCount(double X);
// Head = S up to the first Sep, S = what follows it; without Sep, Head = S and S empty.
void SplitFirst(QString& S, const QString& Sep, QString& Head);

// ---- Lists -----------------------------------------------------------------

// Frees the attached objects (last to first), then clears the list.
void ClearStrings(TStringList* List);
// Frees the items (last to first), then clears the list.
void ClearList(TList* List);

// ---- Pack buffer -----------------------------------------------------------

// A growing byte buffer of little-endian integers and length-prefixed byte
// strings. Position is 1-based.
struct TXData
{
    QByteArray Data;
    qint32 Capacity = 0;
    qint32 Position = 1;
};

void PackInit(TXData& Pack);
void PackGrow(TXData& Pack, int Need);
void PutI(TXData& Pack, qint32 Value);
void PutW(TXData& Pack, quint16 Value);
void PutS(TXData& Pack, const QByteArray& Text);
void PackFinish(TXData& Pack);

void SetPack(const QByteArray& Text, TXData& Pack);
// A read past the end gives 0 and leaves the pack consumed.
qint32 GetI(TXData& Pack);
quint16 GetW(TXData& Pack);
// Raises "Erro de leitura (GetS): texto maior que o pacote." when the stored length is negative
// or larger than the bytes left.
void GetS(TXData& Pack, QByteArray& Text);

// ---- Settings-text codec ---------------------------------------------------

void Scramble(char* Buffer, int Count, const QString& Key);
void Unscramble(char* Buffer, int Count, const QString& Key);
QByteArray ScrambleStr(const QByteArray& Text, const QString& Key);
QByteArray UnscrambleStr(const QByteArray& Text, const QString& Key);
QByteArray ToPrintable(const QByteArray& Data);
QByteArray FromPrintable(const QByteArray& Text);
QByteArray EncodeText(const QByteArray& Text, const QString& Key);
// The encoded bytes, or empty for data too short or with a damaged salt.
QByteArray DecodeText(const QByteArray& Text, const QString& Key);
