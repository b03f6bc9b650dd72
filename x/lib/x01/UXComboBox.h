#pragma once

#include <QComboBox>
#include <QString>
#include <QVariant>

// The item list of a TXComboBox: an empty text is stored as one blank, and
// an item the control does not take raises EOutOfResources
// ("erro ao inserir linha").
class TXComboBoxStrings
{
public:
    explicit TXComboBoxStrings(QComboBox* Combo) : FCombo(Combo) {}

    // Appends S; returns its index.
    int Add(const QString& S);
    // Appends S with Obj as the item's data; returns its index.
    int AddObject(const QString& S, const QVariant& Obj);
    // Inserts S before Index; -1 appends.
    void Insert(int Index, const QString& S);
    // Replaces the text of the item at Index, keeping its data.
    void Put(int Index, const QString& S);

    QString Get(int Index) const { return FCombo->itemText(Index); }
    QVariant Objects(int Index) const { return FCombo->itemData(Index); }
    int Count() const { return FCombo->count(); }

private:
    int InsertAt(int Index, const QString& S, const QVariant& Obj);

    QComboBox* FCombo;
};

// Combo box whose items are never empty. Items added through the QComboBox
// functions (addItem, insertItem, setItemText, a model of one's own) are kept
// non-empty as well; only Items() reports an item the control refused.
class TXComboBox : public QComboBox
{
    Q_OBJECT
public:
    explicit TXComboBox(QWidget* Owner = nullptr);

    TXComboBoxStrings& Items() { return FItems; }

    void setModel(QAbstractItemModel* Model) override;

private:
    void WatchModel();
    void BlankEmptyRows(int First, int Last);

    TXComboBoxStrings FItems;
    QMetaObject::Connection FRowsInserted;
    QMetaObject::Connection FDataChanged;
};
