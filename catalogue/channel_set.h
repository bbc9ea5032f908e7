#pragma once

#include <bitset>
#include <cstddef>
#include <initializer_list>

namespace gapscope {

// A channel or product of the catalogue, 1..146. 0 and anything above 146 name nothing.
using ChannelNumber = int;

inline constexpr ChannelNumber kFirstChannel = 1;
inline constexpr ChannelNumber kLastChannel = 146;

// A set of channel numbers. Room for 0..151; only 1..146 are ever members.
// Out-of-range numbers are ignored by every operation, so a set can never be
// indexed outside its storage whatever a caller passes.
class ChannelSet {
public:
    static constexpr int kCapacity = 152;

    ChannelSet() = default;
    ChannelSet(std::initializer_list<ChannelNumber> members) {
        for (ChannelNumber n : members) Add(n);
    }
    // Every channel from first to last, both included.
    static ChannelSet Range(ChannelNumber first, ChannelNumber last) {
        ChannelSet s;
        for (ChannelNumber n = first; n <= last; ++n) s.Add(n);
        return s;
    }

    bool Contains(ChannelNumber n) const { return InRange(n) && bits_.test(static_cast<std::size_t>(n)); }
    void Add(ChannelNumber n) {
        if (InRange(n)) bits_.set(static_cast<std::size_t>(n));
    }
    void Remove(ChannelNumber n) {
        if (InRange(n)) bits_.reset(static_cast<std::size_t>(n));
    }
    void Add(const ChannelSet& other) { bits_ |= other.bits_; }
    void Remove(const ChannelSet& other) { bits_ &= ~other.bits_; }
    bool Empty() const { return bits_.none(); }
    std::size_t Count() const { return bits_.count(); }

    friend ChannelSet operator|(ChannelSet a, const ChannelSet& b) {
        a.bits_ |= b.bits_;
        return a;
    }
    friend ChannelSet operator&(ChannelSet a, const ChannelSet& b) {
        a.bits_ &= b.bits_;
        return a;
    }
    friend ChannelSet operator-(ChannelSet a, const ChannelSet& b) {
        a.bits_ &= ~b.bits_;
        return a;
    }
    friend bool operator==(const ChannelSet&, const ChannelSet&) = default;

private:
    static constexpr bool InRange(ChannelNumber n) { return n >= 0 && n < kCapacity; }
    std::bitset<kCapacity> bits_;
};

}  // namespace gapscope
