#pragma once

#include <QObject>

// Base of the library's non-visual components.
class TXComponent : public QObject
{
    Q_OBJECT
public:
    explicit TXComponent(QObject* Owner = nullptr);
};
