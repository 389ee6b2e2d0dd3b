#pragma once

#include <array>
#include <cstdint>

namespace physics {

// Which of the 32 contact groups make contacts with which. Every pair starts
// on; the table stays symmetric. Ray probes are filtered by the same table.
class ContactGroupTable {
public:
    static constexpr int kGroupCount = 32;

    ContactGroupTable();

    static bool isValidGroup(int group) { return group >= 0 && group < kGroupCount; }

    // Sets the pair (a, b) and (b, a). False (and nothing changes) for a
    // group outside 0..31.
    bool setPair(int a, int b, bool makeContacts);
    // Sets group g against every group, itself included.
    bool setGroup(int g, bool makeContacts);
    // False for any group outside 0..31.
    bool makesContact(int a, int b) const;
    // The groups that g makes contacts with, one bit each (bit h for group
    // h); none for a group outside 0..31.
    std::uint32_t contactsOf(int g) const { return isValidGroup(g) ? m_rows[g] : 0u; }

private:
    std::array<std::uint32_t, kGroupCount> m_rows;
};

} // namespace physics
