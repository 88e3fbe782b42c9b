#pragma once
// The one set type of the engine: a set of enumeration values stored as bits, bit i for
// the value of ordinal i (Delphi-style sets; a set of up to 8 values fits in one byte).
#include <cstdint>
#include <initializer_list>
#include <type_traits>

namespace kestrova {

template <typename Enum, unsigned Count>
class EnumSet {
  static_assert(Count <= 64, "EnumSet holds at most 64 values");

 public:
  using Storage = std::conditional_t<(Count <= 8), uint8_t,
                  std::conditional_t<(Count <= 16), uint16_t,
                  std::conditional_t<(Count <= 32), uint32_t, uint64_t>>>;

  constexpr EnumSet() = default;
  constexpr EnumSet(std::initializer_list<Enum> values) {
    for (Enum v : values) Include(v);
  }
  static constexpr EnumSet FromBits(Storage bits) {
    EnumSet s;
    s.bits_ = static_cast<Storage>(bits & AllBits());
    return s;
  }

  constexpr bool Contains(Enum v) const { return (bits_ >> Index(v)) & 1u; }
  constexpr void Include(Enum v) { bits_ = static_cast<Storage>(bits_ | Bit(v)); }
  constexpr void Exclude(Enum v) { bits_ = static_cast<Storage>(bits_ & ~Bit(v)); }
  constexpr bool Empty() const { return bits_ == 0; }
  constexpr Storage Bits() const { return bits_; }
  constexpr unsigned Size() const {
    unsigned n = 0;
    for (Storage b = bits_; b; b = static_cast<Storage>(b & (b - 1))) ++n;
    return n;
  }

  friend constexpr bool operator==(EnumSet a, EnumSet b) { return a.bits_ == b.bits_; }
  friend constexpr bool operator!=(EnumSet a, EnumSet b) { return a.bits_ != b.bits_; }
  friend constexpr EnumSet operator+(EnumSet a, EnumSet b) { return FromBits(a.bits_ | b.bits_); }
  friend constexpr EnumSet operator-(EnumSet a, EnumSet b) { return FromBits(a.bits_ & ~b.bits_); }
  friend constexpr EnumSet operator*(EnumSet a, EnumSet b) { return FromBits(a.bits_ & b.bits_); }

 private:
  static constexpr unsigned Index(Enum v) { return static_cast<unsigned>(v); }
  static constexpr Storage Bit(Enum v) {
    return Index(v) < Count ? static_cast<Storage>(Storage(1) << Index(v)) : Storage(0);
  }
  static constexpr Storage AllBits() {
    return Count == sizeof(Storage) * 8 ? static_cast<Storage>(~Storage(0))
                                        : static_cast<Storage>((Storage(1) << Count) - 1);
  }
  Storage bits_ = 0;
};

}  // namespace kestrova
