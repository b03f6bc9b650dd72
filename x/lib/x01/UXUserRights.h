#pragma once

#include "UXObject.h"

class TStringList;

// The rights of the current user: two lists that nothing fills in this program.
class TXUserRights : public TXObject
{
public:
    TXUserRights();
    ~TXUserRights() override;

    TStringList* Groups() const { return m_groups; }
    TStringList* Rights() const { return m_rights; }

private:
    TStringList* m_groups;
    TStringList* m_rights;
};
