#include "UXLib.h"

#include <QRegularExpression>
#include <QStringList>
#include <cmath>
#include <cstdio>
#include <cstdlib>

// ---- Format settings -------------------------------------------------------

TFormatSettings FormatSettingsBR = {
    0,                                  // CurrencyFormat
    0,                                  // NegCurrFormat
    QChar('.'),                         // ThousandSeparator
    QChar(','),                         // DecimalSeparator
    2,                                  // CurrencyDecimals
    QChar('/'),                         // DateSeparator
    QChar(':'),                         // TimeSeparator
    QChar(0),                           // ListSeparator
    QStringLiteral("R$"),
    QStringLiteral("dd/mm/yyyy"),
    QStringLiteral("dd\" de \"mmmm\" de \"yyyy"),
    QStringLiteral("am"),
    QStringLiteral("pm"),
    QStringLiteral("hh:nn"),
    QStringLiteral("hh:nn:ss"),
    {QStringLiteral("jan"), QStringLiteral("fev"), QStringLiteral("mar"), QStringLiteral("abr"),
     QStringLiteral("mai"), QStringLiteral("jun"), QStringLiteral("jul"), QStringLiteral("ago"),
     QStringLiteral("set"), QStringLiteral("out"), QStringLiteral("nov"), QStringLiteral("dez")},
    {QStringLiteral("janeiro"), QStringLiteral("fevereiro"), QStringLiteral("março"), QStringLiteral("abril"),
     QStringLiteral("maio"), QStringLiteral("junho"), QStringLiteral("julho"), QStringLiteral("agosto"),
     QStringLiteral("setembro"), QStringLiteral("outubro"), QStringLiteral("novembro"),
     QStringLiteral("dezembro")},
    {QStringLiteral("dom"), QStringLiteral("seg"), QStringLiteral("ter"), QStringLiteral("qua"),
     QStringLiteral("qui"), QStringLiteral("sex"), QStringLiteral("sab")},
    {QStringLiteral("domingo"), QStringLiteral("segunda-feira"), QStringLiteral("terça-feira"),
     QStringLiteral("quarta-feira"), QStringLiteral("quinta-feira"), QStringLiteral("sexta-feira"),
     QStringLiteral("sábado")},
    50,                                 // TwoDigitYearCenturyWindow
};

// ---- Dialogs ---------------------------------------------------------------

void ShowError(const QString& Msg)
{
    ShowDlg(CreateMessageDialog(Msg, mtError, TMsgDlgButtons{mbOK}));
}

void ShowInfo(const QString& Msg)
{
    ShowDlg(CreateMessageDialog(Msg, mtInformation, TMsgDlgButtons{mbOK}));
}

int XMessageDlg(const QString& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, int HelpCtx, int DefaultResult,
                bool Portuguese)
{
    TDlgRequest r = CreateMessageDialog(Msg, DlgType, Buttons);
    r.HelpCtx = HelpCtx;
    // Every button answering DefaultResult takes the focus in turn: the last one keeps it.
    for (int i = 0; i < r.Buttons.size(); ++i)
        if (r.Buttons.at(i).ModalResult == DefaultResult)
            r.Default = i;
    if (Portuguese) {
        switch (DlgType) {
        case mtConfirmation: r.Caption = QStringLiteral("Confirmação"); break;
        case mtWarning: r.Caption = QStringLiteral("Aviso"); break;
        case mtError: r.Caption = QStringLiteral("Erro"); break;
        case mtInformation: r.Caption = QStringLiteral("Informação"); break;
        case mtCustom: break;
        }
        static const struct { const char* Name; const char* Caption; } captions[] = {
            {"YES", "&Sim"}, {"NO", "&Não"}, {"CANCEL", "&Cancelar"}, {"ABORT", "&Abortar"},
            {"RETRY", "&Repetir"}, {"IGNORE", "&Ignorar"}, {"ALL", "&Todos"}, {"HELP", "A&juda"},
        };
        for (const auto& c : captions) {
            const int i = r.IndexOfName(QString::fromLatin1(c.Name));
            if (i >= 0)
                r.Buttons[i].Caption = QString::fromUtf8(c.Caption);
        }
    }
    return ShowDlg(r);
}

bool Ask(const QString& Msg, bool DefaultNo)
{
    return XMessageDlg(Msg, mtConfirmation, TMsgDlgButtons{mbYes, mbNo}, 0, DefaultNo ? mrNo : mrNone, true)
        == mrYes;
}

// ---- Check digits ----------------------------------------------------------

// Blanks and control characters off both ends.
QString TrimControls(const QString& S)
{
    qsizetype first = 0;
    qsizetype last = S.size() - 1;
    while (first <= last && S.at(first).unicode() <= 32)
        ++first;
    while (last >= first && S.at(last).unicode() <= 32)
        --last;
    return S.mid(first, last - first + 1);
}

namespace {

bool CheckEAN(const QString& Code, int Length, bool OddTimesThree, QString& Msg)
{
    int sum = 0;
    for (int i = 1; i <= Length; ++i) {
        const QChar c = Code.at(i - 1);
        if (c < QChar('0') || c > QChar('9')) {
            Msg = QStringLiteral("Código deve conter somente números.");
            return false;
        }
        const int digit = c.unicode() - '0';
        if (i < Length) {
            const bool odd = (i % 2) == 1;
            sum += digit * (odd == OddTimesThree ? 3 : 1);
            continue;
        }
        const int r = sum % 10;
        const int expected = r == 0 ? 0 : 10 - r;
        if (expected != digit) {
            if (Length == 8)
                Msg = QStringLiteral("Dígito Verificador não confere (%1). Esperado (%2)").arg(digit).arg(expected);
            else
                Msg = QStringLiteral("Dígito Verificador EAN13 não confere (%1). Esperado (%2).")
                          .arg(digit)
                          .arg(expected);
            return false;
        }
    }
    return true;
}

} // namespace

bool CheckEAN8(const QString& Code, QString& Msg)
{
    Msg.clear();
    const QString code = TrimControls(Code);
    if (code.size() != 8) {
        Msg = QStringLiteral("Código deve conter 8 dígitos.");
        return false;
    }
    return CheckEAN(code, 8, true, Msg);
}

bool CheckEAN13(const QString& Code, QString& Msg)
{
    Msg.clear();
    QString code = TrimControls(Code);
    if (code.size() == 12)
        code.prepend(QChar('0'));
    if (code.size() != 13) {
        Msg = QStringLiteral("Código deve conter %1 dígitos.").arg(13);
        return false;
    }
    return CheckEAN(code, 13, false, Msg);
}

// ---- Variant and text helpers ----------------------------------------------

QString IfThenStr(bool Cond, const QString& ThenText, const QString& ElseText)
{
    return Cond ? ThenText : ElseText;
}

QVariant IfThenVar(bool Cond, const QVariant& ThenValue, const QVariant& ElseValue)
{
    return Cond ? ThenValue : ElseValue;
}

QVariant IfNull(const QVariant& Value, const QVariant& Default)
{
    return Value.isNull() ? Default : Value;
}

QVariant NzVar(const QString& Text, const QVariant& Default)
{
    return Text.isEmpty() ? Default : QVariant(Text);
}

bool IsIntegerStr(const QString& Text)
{
    const QString s = TrimControls(Text);
    bool result = !s.isEmpty();
    for (qsizetype i = 0; result && i < s.size(); ++i) {
        const QChar c = s.at(i);
        if (i == 0 && c == QChar('-'))
            continue;
        result = c >= QChar('0') && c <= QChar('9');
    }
    return result;
}

int DigitCount(double X)
{
    // Stops where powers of ten run out (an infinite X), instead of looping forever.
    int n = 1;
    double power = 10.0;
    while (power <= X && n < 309) {
        ++n;
        power *= 10.0;
    }
    return n;
}

void SplitFirst(QString& S, const QString& Sep, QString& Head)
{
    const qsizetype p = Sep.isEmpty() ? -1 : S.indexOf(Sep);
    if (p < 0) {
        Head = S;
        S.clear();
        return;
    }
    Head = S.left(p);
    S = S.mid(p + Sep.size());
}

// ---- Lists -----------------------------------------------------------------

void ClearStrings(TStringList* List)
{
    if (!List)
        return;
    for (int i = List->Count() - 1; i >= 0; --i) {
        TObject* obj = List->Objects(i);
        List->SetObject(i, nullptr);
        delete obj;
    }
    List->Clear();
}

void ClearList(TList* List)
{
    if (!List)
        return;
    // Slots are emptied as they are freed, so an owning list cannot free twice.
    for (int i = List->Count() - 1; i >= 0; --i) {
        TObject* obj = List->Items(i);
        List->SetItem(i, nullptr);
        delete obj;
    }
    List->Clear();
}

// ---- Number formatting -----------------------------------------------------

namespace {

// Splits a format into its sections at ';' outside quotes.
QStringList FormatSections(const QString& Format)
{
    QStringList sections;
    QString current;
    QChar quote;
    for (QChar c : Format) {
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
        } else if (c == QChar('"') || c == QChar('\'')) {
            quote = c;
        } else if (c == QChar(';')) {
            sections.append(current);
            current.clear();
            continue;
        }
        current += c;
    }
    sections.append(current);
    return sections;
}

struct TFormatItem
{
    enum Kind { Zero, Hash, Point, Text } Type;
    QString Literal;
};

struct TParsedSection
{
    QList<TFormatItem> Items;
    bool Thousands = false;
    int IntPlaceholders = 0;
    int IntZeros = 0;      // digits always shown before the point
    int Decimals = 0;      // placeholders after the point
    int MinDecimals = 0;   // up to the last '0' after the point
    bool HasPoint = false;
    bool HasDigits() const { return IntPlaceholders + Decimals > 0; }
};

TParsedSection ParseSection(const QString& Section)
{
    TParsedSection p;
    int firstIntZero = -1;
    for (qsizetype i = 0; i < Section.size(); ++i) {
        const QChar c = Section.at(i);
        if (c == QChar('"') || c == QChar('\'')) {
            const qsizetype end = Section.indexOf(c, i + 1);
            const qsizetype stop = end < 0 ? Section.size() : end;
            p.Items.append({TFormatItem::Text, Section.mid(i + 1, stop - i - 1)});
            i = stop;
        } else if (c == QChar('0') || c == QChar('#')) {
            const bool zero = c == QChar('0');
            p.Items.append({zero ? TFormatItem::Zero : TFormatItem::Hash, QString()});
            if (p.HasPoint) {
                ++p.Decimals;
                if (zero)
                    p.MinDecimals = p.Decimals;
            } else {
                if (zero && firstIntZero < 0)
                    firstIntZero = p.IntPlaceholders;
                ++p.IntPlaceholders;
            }
        } else if (c == QChar('.') && !p.HasPoint) {
            p.HasPoint = true;
            p.Items.append({TFormatItem::Point, QString()});
        } else if (c == QChar(',')) {
            p.Thousands = true;
        } else {
            p.Items.append({TFormatItem::Text, QString(c)});
        }
    }
    p.IntZeros = firstIntZero < 0 ? 0 : p.IntPlaceholders - firstIntZero;
    return p;
}

// Value (not negative) rounded half away from zero to Decimals places, as
// integer and fraction digits; 15 significant digits are taken first so
// that 2.675 reads as the 2.675 the user typed.
void DecimalDigits(long double Value, int Decimals, QString& IntDigits, QString& FracDigits)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.14Le", Value);
    // buf: d.dddddddddddddde[+-]xx
    QString mantissa;
    const char* p = buf;
    for (; *p && *p != 'e'; ++p)
        if (*p >= '0' && *p <= '9')
            mantissa += QChar(*p);
    const int exponent = *p == 'e' ? std::atoi(p + 1) : 0;
    // Digit k of the mantissa has the weight 10^(exponent - k).
    const int pointAt = exponent + 1; // digits before the decimal point
    QString all;                      // digits with the point after pointAt digits
    int intCount = pointAt;
    if (pointAt <= 0) {
        all = QString(-pointAt + 1, QChar('0')) + mantissa;
        intCount = 1;
    } else if (pointAt >= mantissa.size()) {
        all = mantissa + QString(pointAt - mantissa.size(), QChar('0'));
    } else {
        all = mantissa;
    }
    const int keep = intCount + Decimals;
    if (all.size() < keep)
        all += QString(keep - all.size(), QChar('0'));
    const bool roundUp = all.size() > keep && all.at(keep) >= QChar('5');
    all.truncate(keep);
    if (roundUp) {
        int k = keep - 1;
        for (; k >= 0; --k) {
            if (all.at(k) == QChar('9')) {
                all[k] = QChar('0');
            } else {
                all[k] = QChar(all.at(k).unicode() + 1);
                break;
            }
        }
        if (k < 0) {
            all.prepend(QChar('1'));
            ++intCount;
        }
    }
    IntDigits = all.left(intCount);
    FracDigits = all.mid(intCount);
    while (!IntDigits.isEmpty() && IntDigits.at(0) == QChar('0'))
        IntDigits.remove(0, 1);
}

QString ApplySection(const TParsedSection& Section, const QString& IntIn, const QString& FracIn,
                     const TFormatSettings& Settings)
{
    QString intDigits = IntIn;
    if (intDigits.size() < Section.IntZeros)
        intDigits.prepend(QString(Section.IntZeros - intDigits.size(), QChar('0')));
    QString frac = FracIn;
    int shown = int(frac.size());
    while (shown > Section.MinDecimals && frac.at(shown - 1) == QChar('0'))
        --shown;
    frac.truncate(shown);

    const int len = int(intDigits.size());
    QString out;
    auto emitDigit = [&](int index) {
        out += intDigits.at(index);
        const int fromRight = len - index - 1;
        if (Section.Thousands && fromRight > 0 && fromRight % 3 == 0)
            out += Settings.ThousandSeparator;
    };
    int intPlaceholder = 0;
    int decPlaceholder = 0;
    bool afterPoint = false;
    for (const TFormatItem& item : Section.Items) {
        switch (item.Type) {
        case TFormatItem::Text:
            out += item.Literal;
            break;
        case TFormatItem::Point:
            afterPoint = true;
            if (!frac.isEmpty())
                out += Settings.DecimalSeparator;
            break;
        case TFormatItem::Zero:
        case TFormatItem::Hash:
            if (afterPoint) {
                if (decPlaceholder < frac.size())
                    out += frac.at(decPlaceholder);
                ++decPlaceholder;
                break;
            }
            {
                // Digits beyond the placeholders all go to the first one.
                const int index = len - Section.IntPlaceholders + intPlaceholder;
                if (intPlaceholder == 0)
                    for (int k = 0; k < index; ++k)
                        emitDigit(k);
                if (index >= 0)
                    emitDigit(index);
                ++intPlaceholder;
            }
            break;
        }
    }
    return out;
}

} // namespace

QString FormatFloat(const QString& Format, long double Value, const TFormatSettings& Settings)
{
    if (std::isnan(Value))
        return QStringLiteral("NAN");
    if (std::isinf(Value))
        return Value > 0 ? QStringLiteral("INF") : QStringLiteral("-INF");
    if (Format.isEmpty()) {
        QString s = QString::number(double(Value), 'g', 15);
        s.replace(QChar('.'), Settings.DecimalSeparator);
        return s;
    }
    const QStringList sections = FormatSections(Format);
    const bool negative = Value < 0;
    const long double magnitude = negative ? -Value : Value;

    int index = 0;
    if (negative && sections.size() > 1 && !sections.at(1).isEmpty())
        index = 1;
    TParsedSection section = ParseSection(sections.at(index));
    QString intDigits, frac;
    DecimalDigits(magnitude, section.Decimals, intDigits, frac);
    const bool zero = intDigits.isEmpty() && !frac.contains(QRegularExpression(QStringLiteral("[1-9]")));
    if (zero) {
        // A value that rounds to nothing reads as zero, without a sign.
        if (sections.size() > 2 && !sections.at(2).isEmpty()) {
            section = ParseSection(sections.at(2));
            DecimalDigits(0, section.Decimals, intDigits, frac);
            return ApplySection(section, intDigits, frac, Settings);
        }
        if (index == 1) {
            section = ParseSection(sections.at(0));
            DecimalDigits(0, section.Decimals, intDigits, frac);
        }
        return ApplySection(section, intDigits, frac, Settings);
    }
    const QString text = ApplySection(section, intDigits, frac, Settings);
    return negative && index == 0 ? QChar('-') + text : text;
}
