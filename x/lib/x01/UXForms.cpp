#include "UXForms.h"

#include "UXLib.h"
#include "XAdo.h"
#include "XExceptions.h"

#include <QDate>
#include <QLocale>
#include <QSysInfo>
#include <QScopeGuard>
#include <QTime>

#include <memory>

namespace {

int QueryCounter = 0;

QString &shortDateFormat()
{
    static QString value;
    return value;
}

QString &longTimeFormat()
{
    static QString value;
    return value;
}

} // namespace

TADOQuery* NewQuery(TADOConnection* Connection)
{
    auto* q = new TADOQuery;
    q->setConnection(Connection);
    q->setObjectName(QStringLiteral("q") + QString::number(QueryCounter));
    ++QueryCounter;
    return q;
}

TADOCommand* NewCommand(TADOConnection* Connection)
{
    auto* c = new TADOCommand;
    c->setConnection(Connection);
    c->setObjectName(QStringLiteral("q") + QString::number(QueryCounter));
    ++QueryCounter;
    return c;
}

bool ReportedAs(const TFailureText& Text, const std::function<bool()>& Work, const TReportProc& Report)
{
    QString failure;
    try {
        return Work();
    } catch (...) {
        const std::exception_ptr error = std::current_exception();
        failure = Text(ExceptionClassName(error), ExceptionMessage(error));
    }
    if (Report)
        Report(failure);
    else
        ShowError(failure);
    return false;
}

bool Reported(const QString& Prefix, const std::function<bool()>& Work, const TReportProc& Report)
{
    return ReportedAs([&](const QString&, const QString& Message) { return Prefix + Message; }, Work, Report);
}

bool WithQuery(TADOConnection* Connection, const QString& Prefix, const std::function<bool(TADOQuery&)>& Work,
               const TReportProc& Report)
{
    std::unique_ptr<TADOQuery> q(NewQuery(Connection));
    return Reported(
        Prefix,
        [&] {
            // Closed on the way out either way, before the caller's box can wait.
            auto close = qScopeGuard([&] { q->Close(); });
            return Work(*q);
        },
        Report);
}

QString ComputerNameOf(const QString& HostName)
{
    const QString name = HostName.section(u'.', 0, 0).trimmed();
    if (name.isEmpty())
        throw Exception(QStringLiteral("Computer name not detected"));
    // The NetBIOS limit of the platform's computer names.
    return name.left(15);
}

QString GetComputerNameStr()
{
    return ComputerNameOf(QSysInfo::machineHostName());
}

QString ShortDateFormat()
{
    return shortDateFormat();
}

void SetShortDateFormat(const QString& Format)
{
    shortDateFormat() = Format;
}

QString LongTimeFormat()
{
    return longTimeFormat();
}

void SetLongTimeFormat(const QString& Format)
{
    longTimeFormat() = Format;
}

QString QtDateTimeFormat(const QString& Pattern)
{
    QString out;
    QChar lastLetter;   // m right after an hour means minutes
    int i = 0;
    const int n = Pattern.size();
    while (i < n) {
        const QChar c = Pattern[i];
        if (c == u'\'' || c == u'"') {
            const int close = Pattern.indexOf(c, i + 1);
            const QString text = Pattern.mid(i + 1, (close < 0 ? n : close) - i - 1);
            out += u'\'' + QString(text).replace(u'\'', QLatin1String("''")) + u'\'';
            i = close < 0 ? n : close + 1;
            continue;
        }
        const QChar lower = c.toLower();
        int run = 1;
        while (i + run < n && Pattern[i + run].toLower() == lower)
            ++run;
        switch (lower.unicode()) {
        case 'd': out += QString(qMin(run, 4), u'd'); break;
        case 'y': out += run <= 2 ? QStringLiteral("yy") : QStringLiteral("yyyy"); break;
        case 'h': out += QString(qMin(run, 2), u'H'); break;
        case 'n': out += QString(qMin(run, 2), u'm'); break;
        case 's': out += QString(qMin(run, 2), u's'); break;
        case 'z': out += run >= 3 ? QStringLiteral("zzz") : QStringLiteral("z"); break;
        case 'm':
            if (lastLetter == u'h')
                out += QString(qMin(run, 2), u'm');
            else
                out += QString(qMin(run, 4), u'M');
            break;
        default:
            if (c.isLetter())
                out += u'\'' + QString(run, c) + u'\'';
            else
                out += QString(run, c);
            break;
        }
        if (c.isLetter())
            lastLetter = lower;
        i += run;
    }
    return out;
}

QString DateToStr(const QDate& Date)
{
    const QString f = ShortDateFormat();
    return f.isEmpty() ? QLocale::system().toString(Date, QLocale::ShortFormat) : Date.toString(QtDateTimeFormat(f));
}

QString TimeToStr(const QTime& Time)
{
    const QString f = LongTimeFormat();
    return f.isEmpty() ? QLocale::system().toString(Time, QLocale::LongFormat) : Time.toString(QtDateTimeFormat(f));
}

// ---- Window helpers: main window, child-window opener, grid helpers ----

#include "XMdi.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>

namespace {

QPointer<QWidget> g_mainForm;
bool g_initLibFlag = false;

} // namespace

void InitLib(QWidget* MainForm, bool Flag)
{
    g_mainForm = MainForm;
    SetShortDateFormat(QStringLiteral("dd/mm/yyyy"));
    SetLongTimeFormat(QStringLiteral("HH:MM:SS"));
    g_initLibFlag = Flag;
}

QWidget* MainForm()
{
    return g_mainForm;
}

bool InitLibFlag()
{
    return g_initLibFlag;
}

QWidget* ShowMDIChild(const QMetaObject& FormClass, const std::function<QWidget*()>& Create, bool Modal, bool Show)
{
    if (Modal)
        throw EInvalidOperation(QStringLiteral("Cannot make a visible window modal"));
    QMdiArea* area = MDIAreaOf(g_mainForm);
    if (!area)
        throw EInvalidOperation(QStringLiteral("Cannot create form. No MDI forms are currently active"));

    const char* className = FormClass.className();
    QMdiSubWindow* found = nullptr;
    for (QMdiSubWindow* sub : area->subWindowList(QMdiArea::CreationOrder)) {
        QWidget* form = sub->widget();
        // A window closed to be freed is on its way out; it is not reused.
        if (!form || (sub->isHidden() && form->testAttribute(Qt::WA_DeleteOnClose)))
            continue;
        if (qstrcmp(form->metaObject()->className(), className) == 0) {
            found = sub;
            break;
        }
    }

    QWidget* result;
    if (found) {
        if (found->isMinimized())
            found->showNormal();
        result = found->widget();
    } else {
        result = Create();
        found = AddMDIChild(area, result);
    }
    if (Show)
        ActivateMDIChild(found);
    return result;
}

void DrawCellShaded(int RecNo, TDBGrid* Grid, const QRect& Rect, TColumn* Column, TGridDrawState State)
{
    if (RecNo % 2 != 0 || State.testFlag(gdSelected) || !Grid->Canvas())
        return;
    Grid->Canvas()->Brush.Color = ColorToQColor(clMenu);
    Grid->Canvas()->FillRect(Rect);
    Grid->DefaultDrawColumnCell(Rect, Column ? Column->Index() : -1, Column, State);
}

void AddGridColumn(TDBGrid* Grid, const QString& FieldName, const QString& Caption, int Width, TAlignment Alignment)
{
    TColumn* c = Grid->Columns()->Add();
    c->SetFieldName(FieldName);
    c->Title()->SetCaption(Caption);
    c->Title()->SetAlignment(taCenter);
    c->SetWidth(Width);
    c->SetAlignment(Alignment);
}
