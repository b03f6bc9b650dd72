#pragma once

#include <QCheckBox>
#include <QChar>

// Check box whose state reads and writes as one character.
class TXCheckBox : public QCheckBox
{
    Q_OBJECT
    Q_PROPERTY(QChar CharTrue READ CharTrue WRITE SetCharTrue)
    Q_PROPERTY(QChar CharFalse READ CharFalse WRITE SetCharFalse)
    Q_PROPERTY(QChar Value READ Value WRITE SetValue)

public:
    explicit TXCheckBox(QWidget* Owner = nullptr);

    QChar CharTrue() const { return FCharTrue; }
    void SetCharTrue(QChar C) { FCharTrue = C; }
    QChar CharFalse() const { return FCharFalse; }
    void SetCharFalse(QChar C) { FCharFalse = C; }

    // CharTrue when ticked, else CharFalse.
    QChar Value() const;
    // Ticked exactly when C is CharTrue.
    void SetValue(QChar C);

private:
    QChar FCharTrue = u'S';
    QChar FCharFalse = u'N';
};
