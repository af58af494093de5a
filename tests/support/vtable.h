#pragma once
// The virtual table slot of a virtual member function, under the Itanium C++ ABI that
// g++ uses on Linux and with MinGW: a pointer to a virtual member holds 1 plus the
// byte offset of its slot. A virtual destructor takes two slots.
#include <cstddef>
#include <cstring>

namespace qrc::test {

template <class PointerToMember>
std::ptrdiff_t vtableSlot(PointerToMember member) {
    static_assert(sizeof(PointerToMember) == 2 * sizeof(void*));
    std::ptrdiff_t raw = 0;
    std::memcpy(&raw, &member, sizeof raw);
    return (raw - 1) / static_cast<std::ptrdiff_t>(sizeof(void*));
}

}  // namespace qrc::test
