#pragma once

// Open and save file dialogs, shown through one replaceable provider: the
// program uses QFileDialog; tests install a TFileDialogRecorder, which keeps
// every request and answers from a script.
//
// Filters come as the windows write them, "Desc|*.ext|Desc2|*.*" (several
// patterns of one entry separated by ';'); FilterIndex counts from 1. The
// default extension may be given as "xls", ".xls" or "*.xls"; it is added to
// a chosen name that has no extension. A save dialog does not ask about an
// existing file: the windows decide that themselves.

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <optional>

class QWidget;

enum class TFileDialogKind { Open, Save };

struct TFileDialogRequest
{
    TFileDialogKind Kind = TFileDialogKind::Open;
    QString Title;        // empty: the platform's own caption
    QString Filter;
    int FilterIndex = 1;
    QString InitialDir;
    QString FileName;     // proposed name
    QString DefaultExt;
    QWidget* Parent = nullptr;
};

class TFileDialogProvider
{
public:
    virtual ~TFileDialogProvider() = default;
    // True with the chosen name (and filter) when the user confirms.
    virtual bool Execute(const TFileDialogRequest& Request, QString& FileName, int& FilterIndex) = 0;
};

class TQtFileDialogProvider : public TFileDialogProvider
{
public:
    bool Execute(const TFileDialogRequest& Request, QString& FileName, int& FilterIndex) override;
};

// Installs Provider (nullptr restores QFileDialog); returns the one before.
TFileDialogProvider* SetFileDialogProvider(TFileDialogProvider* Provider);
TFileDialogProvider* FileDialogProvider();

// "Arquivo MS-Excel|*.xls|Todos Arquivos|*.*" gives the QFileDialog filters
// "Arquivo MS-Excel (*.xls)" and "Todos Arquivos (*.*)"; a description that
// already ends in its patterns keeps them.
QStringList QtNameFilters(const QString& Filter);
// "*.xls", ".xls" and "xls" give "xls".
QString DefaultSuffix(const QString& DefaultExt);
// FileName with DefaultExt added when it has no extension of its own.
QString ApplyDefaultExt(const QString& FileName, const QString& DefaultExt);

// The dialog components the windows hold (objectName "OD", "SD", ...).
class TCommonDialog : public QObject
{
    Q_OBJECT
public:
    QString DefaultExt() const { return m_request.DefaultExt; }
    void SetDefaultExt(const QString& Value) { m_request.DefaultExt = Value; }
    QString Filter() const { return m_request.Filter; }
    void SetFilter(const QString& Value) { m_request.Filter = Value; }
    int FilterIndex() const { return m_request.FilterIndex; }
    void SetFilterIndex(int Value) { m_request.FilterIndex = Value; }
    QString InitialDir() const { return m_request.InitialDir; }
    void SetInitialDir(const QString& Value) { m_request.InitialDir = Value; }
    QString FileName() const { return m_request.FileName; }
    void SetFileName(const QString& Value) { m_request.FileName = Value; }
    QString Title() const { return m_request.Title; }
    void SetTitle(const QString& Value) { m_request.Title = Value; }

    // Shows the dialog; True, with FileName and FilterIndex set, when confirmed.
    bool Execute();

protected:
    TCommonDialog(TFileDialogKind Kind, QObject* Owner);

private:
    TFileDialogRequest m_request;
};

class TOpenDialog : public TCommonDialog
{
    Q_OBJECT
public:
    explicit TOpenDialog(QObject* Owner = nullptr) : TCommonDialog(TFileDialogKind::Open, Owner) {}
};

class TSaveDialog : public TCommonDialog
{
    Q_OBJECT
public:
    explicit TSaveDialog(QObject* Owner = nullptr) : TCommonDialog(TFileDialogKind::Save, Owner) {}
};

// Test provider: installs itself on creation and restores the previous one
// when destroyed. Each dialog takes the next scripted answer: a file name
// (confirmed, the default extension added as the dialog would) or a cancel;
// with the script empty the dialog is cancelled.
class TFileDialogRecorder : public TFileDialogProvider
{
public:
    TFileDialogRecorder();
    ~TFileDialogRecorder() override;
    TFileDialogRecorder(const TFileDialogRecorder&) = delete;
    TFileDialogRecorder& operator=(const TFileDialogRecorder&) = delete;

    bool Execute(const TFileDialogRequest& Request, QString& FileName, int& FilterIndex) override;

    void Answer(const QString& FileName, int FilterIndex = 0) { m_script.append(Reply{FileName, FilterIndex}); }
    void Cancel() { m_script.append(std::nullopt); }
    int Pending() const { return int(m_script.size()); }
    int Count() const { return int(Requests.size()); }
    const TFileDialogRequest& Last() const { return Requests.last(); }

    QList<TFileDialogRequest> Requests;

private:
    struct Reply
    {
        QString FileName;
        int FilterIndex;   // 0 keeps the request's
    };
    QList<std::optional<Reply>> m_script;
    TFileDialogProvider* m_previous = nullptr;
};
