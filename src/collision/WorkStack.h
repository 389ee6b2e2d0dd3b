#pragma once

#include <cstddef>
#include <vector>

namespace collision {

// A stack of pending search steps that lives on the caller's stack while it
// is shallow, which is all a balanced tree needs, and moves to the heap when a
// skewed tree makes it deep. Queries on small models then allocate nothing.
template <typename T, std::size_t Inline> class WorkStack {
public:
    bool empty() const { return m_size == 0; }

    void push(const T& value) {
        if (m_size < Inline) {
            m_inline[m_size++] = value;
            return;
        }
        m_overflow.push_back(value);
        ++m_size;
    }

    T pop() {
        --m_size;
        if (m_size < Inline)
            return m_inline[m_size];
        const T value = m_overflow.back();
        m_overflow.pop_back();
        return value;
    }

private:
    T m_inline[Inline];
    std::size_t m_size = 0;
    std::vector<T> m_overflow;
};

} // namespace collision
