#include "physics/ContactGroupTable.h"

namespace physics {

ContactGroupTable::ContactGroupTable() {
    m_rows.fill(0xFFFFFFFFu);
}

bool ContactGroupTable::setPair(int a, int b, bool makeContacts) {
    if (!isValidGroup(a) || !isValidGroup(b))
        return false;
    if (makeContacts) {
        m_rows[a] |= 1u << b;
        m_rows[b] |= 1u << a;
    } else {
        m_rows[a] &= ~(1u << b);
        m_rows[b] &= ~(1u << a);
    }
    return true;
}

bool ContactGroupTable::setGroup(int g, bool makeContacts) {
    if (!isValidGroup(g))
        return false;
    for (int other = 0; other < kGroupCount; ++other)
        setPair(g, other, makeContacts);
    return true;
}

bool ContactGroupTable::makesContact(int a, int b) const {
    if (!isValidGroup(a) || !isValidGroup(b))
        return false;
    return (m_rows[a] >> b) & 1u;
}

} // namespace physics
