#pragma once
// A small set of values of a plain enumeration whose values are the bit numbers 0 to 31:
// TTclOptions{toConvertEOL, toTslcVersion}. Bits() and FromBits() convert to and from the stored
// bit values (bit n for the value n).

#include <cstdint>
#include <initializer_list>

namespace tslc {

/// A set of values of a plain enumeration whose values are bit numbers 0 to 31.
template <typename E>
class TSet {
public:
    constexpr TSet() = default;
    /// The set of the listed values.
    constexpr TSet(std::initializer_list<E> values) {
        for (E value : values)
            FBits |= Bit(value);
    }

    /// The set whose stored bits are bits (bit n for the value n).
    static constexpr TSet FromBits(std::uint32_t bits) {
        TSet set;
        set.FBits = bits;
        return set;
    }
    /// The stored bits (bit n for the value n).
    constexpr std::uint32_t Bits() const { return FBits; }

    /// Whether value is in the set.
    constexpr bool Contains(E value) const { return (FBits & Bit(value)) != 0; }
    /// Whether the set holds no value.
    constexpr bool Empty() const { return FBits == 0; }

    /// Adds value; returns the set for chaining.
    constexpr TSet& Include(E value) {
        FBits |= Bit(value);
        return *this;
    }
    /// Removes value; returns the set for chaining.
    constexpr TSet& Exclude(E value) {
        FBits &= ~Bit(value);
        return *this;
    }

    /// Whether both sets hold the same values.
    friend constexpr bool operator==(TSet a, TSet b) { return a.FBits == b.FBits; }
    /// Union.
    friend constexpr TSet operator+(TSet a, TSet b) { return FromBits(a.FBits | b.FBits); }
    /// Difference: the values of a that are not in b.
    friend constexpr TSet operator-(TSet a, TSet b) { return FromBits(a.FBits & ~b.FBits); }
    /// Intersection.
    friend constexpr TSet operator*(TSet a, TSet b) { return FromBits(a.FBits & b.FBits); }

private:
    static constexpr std::uint32_t Bit(E value) {
        return std::uint32_t(1) << static_cast<unsigned>(value);
    }

    std::uint32_t FBits = 0;
};

} // namespace tslc
