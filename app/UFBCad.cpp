#include "UFBCad.h"

#include "UAppConfig.h"
#include "UFMain.h"
#include "UXComboBox.h"
#include "UXForms.h"
#include "UXLib.h"
#include "UXNumEdit.h"
#include "UXXLS.h"
#include "XAdo.h"
#include "XAnchors.h"
#include "XExceptions.h"

#include <QComboBox>
#include <QGroupBox>
#include <QApplication>
#include <QCloseEvent>
#include <QFocusEvent>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QScopeGuard>
#include <QSignalBlocker>

#include <cmath>
#include <new>
#include <vector>

namespace {

enum class EditorKind { Other, Edit, NumEdit, XCombo, Combo };

// A number edit is also a line edit here; it is told apart first.
EditorKind KindOf(const QObject* Editor)
{
    if (!Editor)
        return EditorKind::Other;
    if (qobject_cast<const TXNumEdit*>(Editor))
        return EditorKind::NumEdit;
    if (qobject_cast<const TNumberEdit*>(Editor))
        return EditorKind::Other;
    if (qobject_cast<const QLineEdit*>(Editor))
        return EditorKind::Edit;
    if (qobject_cast<const TXComboBox*>(Editor))
        return EditorKind::XCombo;
    if (qobject_cast<const QComboBox*>(Editor))
        return EditorKind::Combo;
    return EditorKind::Other;
}

// Whether the editor takes part in the field lists and the parameters.
bool TakesPart(const QObject* Editor, EditorKind Kind)
{
    switch (Kind) {
    case EditorKind::Edit:
        return !static_cast<const QLineEdit*>(Editor)->text().isEmpty();
    case EditorKind::NumEdit:
        return true;
    case EditorKind::XCombo:
        if (!static_cast<const QComboBox*>(Editor)->currentText().isEmpty())
            return true;
        [[fallthrough]];
    case EditorKind::Combo:
        return static_cast<const QComboBox*>(Editor)->currentIndex() != -1;
    case EditorKind::Other:
        break;
    }
    return false;
}

} // namespace

TFBCad::TFBCad(QWidget* Owner) : QWidget(Owner), EditorNames(new TStringList)
{
    setObjectName(QStringLiteral("FBCad"));
    setWindowTitle(QStringLiteral("FBCad"));
    SetBorderIcons(this, biSystemMenu);
    resize(600, 400);

    BConfirm = new QPushButton(QStringLiteral("Confirmar"), this);
    BConfirm->setObjectName(QStringLiteral("BConfirm"));
    BConfirm->setGeometry(width() - 163, height() - 31, 75, 25);
    SetFontColor(BConfirm, clGreen);

    BClose = new QPushButton(QStringLiteral("Fechar"), this);
    BClose->setObjectName(QStringLiteral("BClose"));
    BClose->setGeometry(width() - 83, height() - 31, 75, 25);
    SetFontColor(BClose, clMaroon);

    // Speed buttons: pressed by the mouse, never focused.
    for (QPushButton* b : {BConfirm, BClose}) {
        b->setFocusPolicy(Qt::NoFocus);
        b->setAutoDefault(false);
        SetAnchors(b, akRight | akBottom);
    }
    connect(BClose, &QPushButton::clicked, this, &TFBCad::BCloseClick);
}

TFBCad::~TFBCad()
{
    ClearStrings(EditorNames);
    delete EditorNames;
}

QObject* TFBCad::FindEditor(const QString& Name) const
{
    if (Name.isEmpty())
        return nullptr;
    const QList<QObject*> all = findChildren<QObject*>();
    for (QObject* o : all)
        if (o->objectName().compare(Name, Qt::CaseInsensitive) == 0)
            return o;
    return nullptr;
}

bool TFBCad::ValidateField(QWidget*)
{
    return true;
}

bool TFBCad::ValidateFields()
{
    bool result = true;
    for (int i = 0; result && i < EditorNames->Count(); ++i) {
        QObject* editor = FindEditor(EditorNames->Strings(i));
        if (KindOf(editor) != EditorKind::Other)
            result = ValidateField(static_cast<QWidget*>(editor));
    }
    return result;
}

void TFBCad::BuildFieldLists(QString& Fields, QString& Params, bool Insert)
{
    Fields.clear();
    Params.clear();
    for (int i = 0; i < EditorNames->Count(); ++i) {
        const QString name = EditorNames->Strings(i);
        const QObject* editor = FindEditor(name);
        if (!TakesPart(editor, KindOf(editor)))
            continue;
        if (Insert) {
            Fields += (Fields.isEmpty() ? QString() : QStringLiteral(", ")) + name;
            Params += (Params.isEmpty() ? QStringLiteral(":") : QStringLiteral(", :")) + name;
        } else {
            Fields += (Fields.isEmpty() ? QString() : QStringLiteral(", ")) + name + QStringLiteral(" =:") + name;
        }
    }
}

void TFBCad::SetFieldParams(TADOCommand* Command)
{
    SetFieldParams(Command->Parameters);
}

void TFBCad::SetFieldParams(TParameters& Parameters)
{
    for (int i = 0; i < EditorNames->Count(); ++i) {
        const QString name = EditorNames->Strings(i);
        QObject* editor = FindEditor(name);
        const EditorKind kind = KindOf(editor);
        if (!TakesPart(editor, kind))
            continue;
        TParameter* p = Parameters.ParamByName(name);
        switch (kind) {
        case EditorKind::Edit:
            p->DataType = ftString;
            p->Value = static_cast<QLineEdit*>(editor)->text();
            break;
        case EditorKind::NumEdit: {
            const auto* num = static_cast<TXNumEdit*>(editor);
            const double v = double(num->Value());
            if (num->EntryRequired() == floatingpointvalue) {
                p->DataType = ftFloat;
                p->Value = v;
            } else {
                p->DataType = ftInteger;
                p->Value = qint64(std::nearbyint(v));
            }
            break;
        }
        case EditorKind::XCombo:
            if (!static_cast<QComboBox*>(editor)->currentText().isEmpty()) {
                p->DataType = ftString;
                p->Value = static_cast<QComboBox*>(editor)->currentText();
                break;
            }
            [[fallthrough]];
        case EditorKind::Combo:
            p->DataType = ftInteger;
            p->Value = static_cast<QComboBox*>(editor)->currentIndex();
            break;
        case EditorKind::Other:
            break;
        }
    }
}

bool TFBCad::ExportGridToXLS(const QString& FileName, TDBGrid* Grid, TXXLS* XLS)
{
    auto closing = qScopeGuard([XLS] { XLS->Close(); });
    const auto text = [](const QString& ClassName, const QString& Message) {
        return QStringLiteral("Erro ao Exportar os dados.\r\n Erro: (") + ClassName + QStringLiteral(")  ") + Message;
    };
    return ReportedAs(text, [&] {
        XLS->SetNewFile(true);
        XLS->SetFileName(FileName);
        if (!XLS->Open())
            return false;

        TDBGridColumns* columns = Grid->Columns();
        const int cols = columns->Count();
        QStringList names;
        for (int c = 0; c < cols; ++c) {
            XLS->SetCell(c + 1, 1, columns->Items(c)->Title()->Caption());
            names << columns->Items(c)->FieldName();
        }

        TCustomADODataSet* ds = Grid->DataSet();
        if (!ds)
            throw EDatabaseError(QStringLiteral("Grid has no dataset"));
        // The grid does not follow the walk row by row (pixels scrolled and
        // painted each time); it is told once, at the end, where it stands.
        auto following = qScopeGuard([ds] { emit ds->AfterScroll(ds); });
        const QSignalBlocker quiet(ds);
        ds->First();
        std::vector<TField*> fields;
        int r = 2;
        while (!ds->Eof()) {
            // Looked up at the first record, as an empty dataset asks nothing of its fields.
            if (fields.empty())
                for (const QString& n : names)
                    fields.push_back(ds->FieldByName(n));
            for (int i = 0; i < cols; ++i)
                XLS->SetCell(i + 1, r, fields[size_t(i)]->Value());
            ++r;
            ds->Next();
        }

        const QString header = QStringLiteral("A1:") + TXXLS::CellName(1, cols);
        XLS->SetColor(header, 0x808080);
        XLS->AutoFit(header);
        const QString table = QStringLiteral("A1:") + TXXLS::CellName(ds->RecordCount() + 1, cols);
        XLS->SetAlignment(table, xlCenter);
        XLS->SetBorder(table, xlContinuous);

        // A workbook that cannot be written is a failure, not a success without
        // a file; the system's reason (a full disk) is what the user can act on.
        QString why;
        if (!XLS->SaveAs(&why))
            throw EInOutError(QStringLiteral("Não foi possível gravar o arquivo ") + FileName + QStringLiteral(".\r\n") + why);
        ShowInfo(QStringLiteral("Arquivo ") + FileName + QStringLiteral(" exportado com sucesso."));
        return true;
    });
}

bool TFBCad::ConfigLoaded()
{
    if (FMain && FMain->AppConfig && FMain->AppConfig->Loaded)
        return true;
    ShowError(QStringLiteral("Banco de dados não Conectado."));
    // Closed from the event loop: a window cannot be hidden while it is being shown.
    QMetaObject::invokeMethod(this, &TFBCad::BCloseClick, Qt::QueuedConnection);
    return false;
}

bool TFBCad::IsFieldExit(const QFocusEvent* Event) const
{
    const Qt::FocusReason reason = Event->reason();
    if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason)
        return false;
    const QWidget* next = QApplication::focusWidget();
    return next && (next == this || isAncestorOf(next));
}

void TFBCad::Close()
{
    if (QMdiSubWindow* sub = MDISubWindowOf(this))
        sub->close();
    else
        QWidget::close();
}

void TFBCad::BCloseClick()
{
    Close();
}

void TFBCad::FormClose(TCloseAction& Action)
{
    Action = caFree;
}

void TFBCad::closeEvent(QCloseEvent* Event)
{
    QMdiSubWindow* sub = MDISubWindowOf(this);
    TCloseAction action = sub ? caMinimize : caHide;
    FormClose(action);
    switch (action) {
    case caNone:
        Event->ignore();
        return;
    case caMinimize:
        Event->ignore();
        if (sub)
            sub->showMinimized();
        return;
    case caHide:
        if (sub) {
            Event->ignore();
            sub->hide();
            return;
        }
        Event->accept();
        return;
    case caFree:
        setAttribute(Qt::WA_DeleteOnClose);
        Event->accept();
        // The frame goes with the window, also when the window was closed directly.
        if (sub)
            sub->deleteLater();
        return;
    }
}

void TFBCad::showEvent(QShowEvent* Event)
{
    QWidget::showEvent(Event);
    if (!m_shown) {
        m_shown = true;
        FormShow();
    }
}

void TFBCad::resizeEvent(QResizeEvent* Event)
{
    QWidget::resizeEvent(Event);
    FormResize();
}

QPushButton* TFBCad::NewButton(QWidget* Parent, const char* Name, const QString& Caption, const QRect& Geometry)
{
    auto* b = new QPushButton(Caption, Parent);
    b->setObjectName(QLatin1String(Name));
    b->setGeometry(Geometry);
    b->setAutoDefault(false);
    return b;
}

QGroupBox* TFBCad::NewGroup(QWidget* Parent, const char* Name, const QString& Title, const QRect& Geometry)
{
    auto* g = new QGroupBox(Title, Parent);
    g->setObjectName(QLatin1String(Name));
    g->setGeometry(Geometry);
    return g;
}

QComboBox* TFBCad::NewList(QWidget* Parent, const char* Name, const QStringList& Items, const QRect& Geometry)
{
    auto* c = new QComboBox(Parent);
    c->setObjectName(QLatin1String(Name));
    c->addItems(Items);
    c->setCurrentIndex(0);
    c->setGeometry(Geometry);
    return c;
}
