#pragma once

namespace physics {

// A named slot of a solid's user data, typed once where the key is declared:
// whoever writes through a key and whoever reads through it agree on the
// type by construction. Declare each key once, as an inline constant of a
// header that both sides include; the key's address tells slots apart, so
// keys are not copied.
//
//     inline constexpr physics::UserDataKey<int*> kTouchFlag { "touch flag" };
template <class T> class UserDataKey {
public:
    using Type = T;

    explicit constexpr UserDataKey(const char* name)
        : m_name(name) { }
    UserDataKey(const UserDataKey&) = delete;
    UserDataKey& operator=(const UserDataKey&) = delete;

    constexpr const char* name() const { return m_name; }

private:
    const char* m_name;
};

} // namespace physics
