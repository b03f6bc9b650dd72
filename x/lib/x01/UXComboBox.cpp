#include "UXComboBox.h"

#include "XExceptions.h"

#include <QAbstractItemModel>

namespace {

QString NonEmpty(const QString& S)
{
    return S.isEmpty() ? QStringLiteral(" ") : S;
}

[[noreturn]] void Refused()
{
    throw EOutOfResources(QStringLiteral("erro ao inserir linha"));
}

} // namespace

int TXComboBoxStrings::InsertAt(int Index, const QString& S, const QVariant& Obj)
{
    const int Before = FCombo->count();
    if (Index == -1)
        Index = Before;
    // A full list would take the item and drop its last one instead.
    if (Index < 0 || Index > Before || Before >= FCombo->maxCount())
        Refused();
    FCombo->insertItem(Index, NonEmpty(S), Obj);
    // A model of one's own may not take rows.
    if (FCombo->count() != Before + 1)
        Refused();
    return Index;
}

int TXComboBoxStrings::Add(const QString& S)
{
    return InsertAt(-1, S, QVariant());
}

int TXComboBoxStrings::AddObject(const QString& S, const QVariant& Obj)
{
    return InsertAt(-1, S, Obj);
}

void TXComboBoxStrings::Insert(int Index, const QString& S)
{
    InsertAt(Index, S, QVariant());
}

void TXComboBoxStrings::Put(int Index, const QString& S)
{
    if (Index < 0 || Index >= FCombo->count())
        Refused();
    FCombo->setItemText(Index, NonEmpty(S));
}

TXComboBox::TXComboBox(QWidget* Owner) : QComboBox(Owner), FItems(this)
{
    WatchModel();
}

void TXComboBox::setModel(QAbstractItemModel* Model)
{
    QComboBox::setModel(Model);
    WatchModel();
}

void TXComboBox::WatchModel()
{
    disconnect(FRowsInserted);
    disconnect(FDataChanged);
    QAbstractItemModel* M = model();
    FRowsInserted = connect(M, &QAbstractItemModel::rowsInserted, this,
                            [this](const QModelIndex& Parent, int First, int Last) {
                                if (Parent == rootModelIndex())
                                    BlankEmptyRows(First, Last);
                            });
    FDataChanged = connect(M, &QAbstractItemModel::dataChanged, this,
                           [this](const QModelIndex& TopLeft, const QModelIndex& BottomRight,
                                  const QList<int>& Roles) {
                               if (TopLeft.parent() == rootModelIndex()
                                   && (Roles.isEmpty() || Roles.contains(Qt::DisplayRole)
                                       || Roles.contains(Qt::EditRole)))
                                   BlankEmptyRows(TopLeft.row(), BottomRight.row());
                           });
}

void TXComboBox::BlankEmptyRows(int First, int Last)
{
    for (int Row = First; Row <= Last && Row < count(); ++Row)
        if (itemText(Row).isEmpty())
            setItemText(Row, QStringLiteral(" "));
}
