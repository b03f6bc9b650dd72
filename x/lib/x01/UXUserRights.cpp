#include "UXUserRights.h"

#include "XStringList.h"

TXUserRights::TXUserRights()
    : m_groups(new TStringList)
    , m_rights(new TStringList)
{
}

TXUserRights::~TXUserRights()
{
    delete m_rights;
    delete m_groups;
}
