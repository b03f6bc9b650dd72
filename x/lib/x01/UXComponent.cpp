#include "UXComponent.h"

TXComponent::TXComponent(QObject* Owner)
    : QObject(Owner)
{
}
