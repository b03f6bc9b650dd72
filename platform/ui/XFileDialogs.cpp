#include "XFileDialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QIdentityProxyModel>
#include <QLocale>
#include <QRegularExpression>

namespace {

// The file list in the program's language: Qt's file model writes the
// modification time in the system's locale and has no translation of
// "Folder".
class XFileListModel : public QIdentityProxyModel
{
public:
    using QIdentityProxyModel::QIdentityProxyModel;

    QVariant data(const QModelIndex& Index, int Role) const override
    {
        const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
        if (files && Role == Qt::DisplayRole) {
            const QModelIndex source = mapToSource(Index);
            if (Index.column() == 2 && files->isDir(source))
                return QStringLiteral("Pasta");
            if (Index.column() == 3)
                return QLocale().toString(files->lastModified(source), QLocale::ShortFormat);
        }
        return QIdentityProxyModel::data(Index, Role);
    }
};

TQtFileDialogProvider& qtProvider()
{
    static TQtFileDialogProvider p;
    return p;
}

TFileDialogProvider* g_provider = nullptr;

} // namespace

TFileDialogProvider* SetFileDialogProvider(TFileDialogProvider* Provider)
{
    TFileDialogProvider* before = FileDialogProvider();
    g_provider = Provider;
    return before;
}

TFileDialogProvider* FileDialogProvider()
{
    return g_provider ? g_provider : &qtProvider();
}

QStringList QtNameFilters(const QString& Filter)
{
    QStringList out;
    const QStringList parts = Filter.split(QLatin1Char('|'));
    static const QRegularExpression trailingPatterns(QStringLiteral("\\s*\\([^()]*\\)\\s*$"));
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString desc = parts[i].trimmed();
        const QString patterns = parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts).join(QLatin1Char(' ')).trimmed();
        // QFileDialog takes the patterns from the last parentheses.
        desc.remove(trailingPatterns);
        out << QStringLiteral("%1 (%2)").arg(desc, patterns);
    }
    return out;
}

QString DefaultSuffix(const QString& DefaultExt)
{
    QString s = DefaultExt.trimmed();
    while (s.startsWith(QLatin1Char('*')) || s.startsWith(QLatin1Char('.')))
        s.remove(0, 1);
    return s;
}

QString ApplyDefaultExt(const QString& FileName, const QString& DefaultExt)
{
    const QString suffix = DefaultSuffix(DefaultExt);
    if (FileName.isEmpty() || suffix.isEmpty() || !QFileInfo(FileName).suffix().isEmpty())
        return FileName;
    return FileName + QLatin1Char('.') + suffix;
}

bool TQtFileDialogProvider::Execute(const TFileDialogRequest& Request, QString& FileName, int& FilterIndex)
{
    QWidget* parent = Request.Parent ? Request.Parent : QApplication::activeWindow();
    QFileDialog dlg(parent, Request.Title, Request.InitialDir);
    const bool save = Request.Kind == TFileDialogKind::Save;
    dlg.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    // The windows check themselves whether the chosen file exists.
    dlg.setFileMode(QFileDialog::AnyFile);
    dlg.setOption(QFileDialog::DontConfirmOverwrite, true);
    dlg.setOption(QFileDialog::DontUseNativeDialog, true);
    dlg.setProxyModel(new XFileListModel(&dlg));
    const QStringList filters = QtNameFilters(Request.Filter);
    if (!filters.isEmpty()) {
        dlg.setNameFilters(filters);
        dlg.selectNameFilter(filters.value(qBound(1, Request.FilterIndex, int(filters.size())) - 1));
    }
    dlg.setDefaultSuffix(DefaultSuffix(Request.DefaultExt));
    if (!Request.FileName.isEmpty())
        dlg.selectFile(Request.FileName);
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty())
        return false;
    FileName = dlg.selectedFiles().constFirst();
    const int f = int(filters.indexOf(dlg.selectedNameFilter()));
    if (f >= 0)
        FilterIndex = f + 1;
    return true;
}

TCommonDialog::TCommonDialog(TFileDialogKind Kind, QObject* Owner) : QObject(Owner)
{
    m_request.Kind = Kind;
}

bool TCommonDialog::Execute()
{
    TFileDialogRequest r = m_request;
    if (!r.Parent)
        r.Parent = qobject_cast<QWidget*>(parent());
    QString name = m_request.FileName;
    int index = m_request.FilterIndex;
    if (!FileDialogProvider()->Execute(r, name, index))
        return false;
    m_request.FileName = name;
    m_request.FilterIndex = index;
    return true;
}

TFileDialogRecorder::TFileDialogRecorder()
{
    m_previous = SetFileDialogProvider(this);
}

TFileDialogRecorder::~TFileDialogRecorder()
{
    SetFileDialogProvider(m_previous == &qtProvider() ? nullptr : m_previous);
}

bool TFileDialogRecorder::Execute(const TFileDialogRequest& Request, QString& FileName, int& FilterIndex)
{
    Requests.append(Request);
    if (m_script.isEmpty())
        return false;
    const std::optional<Reply> reply = m_script.takeFirst();
    if (!reply)
        return false;
    FileName = ApplyDefaultExt(reply->FileName, Request.DefaultExt);
    if (reply->FilterIndex > 0)
        FilterIndex = reply->FilterIndex;
    return true;
}
