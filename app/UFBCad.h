#pragma once

// Base of the child windows.
//
// How a window is built: TFBCad's constructor makes the editor name list,
// clears the mode and the validating flag and builds the frame ("Confirmar"
// and "Fechar" at the bottom right). A derived window's constructor then
// sets its caption and size, builds its own controls in code (each with the
// objectName of its component), connects their handlers, and calls its own
// FormCreate last, which fills EditorNames and sets the mode:
//
//   TFMyWindow::TFMyWindow(QWidget* Owner) : TFBCad(Owner)
//   {
//       setWindowTitle(QStringLiteral("...")); resize(600, 400);
//       auto* nome = new QLineEdit(this); nome->setObjectName(QStringLiteral("nome")); ...
//       connect(BConfirm, &QPushButton::clicked, this, &TFMyWindow::BConfirmClick);
//       FormCreate();
//   }
//
// The window frees itself when it is closed (FormClose sets caFree), its MDI
// frame with it. FormShow runs when the window is first shown and FormResize
// whenever its size changes; derived windows override them.

#include "XDBGrid.h"
#include "XMdi.h"
#include "XStringList.h"

#include <QPushButton>
#include <QString>
#include <QWidget>

class QFocusEvent;
class QComboBox;
class QGroupBox;
class TADOCommand;
class TParameters;
class TXXLS;

class TFBCad : public QWidget
{
    Q_OBJECT
public:
    explicit TFBCad(QWidget* Owner = nullptr);
    ~TFBCad() override;

    QPushButton* BConfirm = nullptr;
    QPushButton* BClose = nullptr;

    // 0 after construction; the scanning windows use 1 inclusion, 4 deletion, 5 filter.
    quint8 Mode = 0;
    // Set while a confirmation walks the editors, so that exits do not validate again.
    bool Validating = false;
    // Names of the editors in validation order; in windows that write a
    // table also the column and parameter names. The list owns its objects.
    TStringList* EditorNames = nullptr;

    // The component named Name (letter case ignored) among the window's children.
    QObject* FindEditor(const QString& Name) const;

    virtual bool ValidateField(QWidget* Editor);
    // ValidateField for each listed editor of a known kind; stops at the first False.
    bool ValidateFields();
    // INSERT lists ("a, b" and ":a, :b") or the UPDATE SET list ("a =:a, b =:b").
    void BuildFieldLists(QString& Fields, QString& Params, bool Insert);
    // Types and values the parameters named after the editors that the lists take.
    void SetFieldParams(TADOCommand* Command);
    void SetFieldParams(TParameters& Parameters);
    // Writes Grid's titles and every record of its dataset to a new workbook.
    bool ExportGridToXLS(const QString& FileName, TDBGrid* Grid, TXXLS* XLS);

    // True when a configuration is loaded; otherwise "Banco de dados não
    // Conectado." and the window closes. For FormShow.
    bool ConfigLoaded();

    // Controls made in code, named after their components.
    static QPushButton* NewButton(QWidget* Parent, const char* Name, const QString& Caption, const QRect& Geometry);
    static QGroupBox* NewGroup(QWidget* Parent, const char* Name, const QString& Title, const QRect& Geometry);
    // A list of fixed Items, the first chosen.
    static QComboBox* NewList(QWidget* Parent, const char* Name, const QStringList& Items, const QRect& Geometry);

    // Closes the window as its frame's close button does.
    void Close();
    void BCloseClick();

protected:
    // A field is left when the focus moves to another control of this window; a
    // box or another window taking the focus, or a popup opening, is no exit.
    bool IsFieldExit(const QFocusEvent* Event) const;

    virtual void FormClose(TCloseAction& Action);
    virtual void FormShow() {}
    virtual void FormResize() {}

    void closeEvent(QCloseEvent* Event) override;
    void showEvent(QShowEvent* Event) override;
    void resizeEvent(QResizeEvent* Event) override;

private:
    bool m_shown = false;
};
