#include "world/Contacts.h"

const ContactRow* ContactOf(int type)
{
    for (const ContactRow& row : kContacts) {
        if (row.with == type)
            return &row;
    }
    return nullptr;
}
