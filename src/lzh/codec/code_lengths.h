#pragma once
// A walk over the used symbols of a tree's code lengths, shared by the encoder and the decoder.

#include <cstdint>
#include <cstring>

namespace lzh::codec {

// Calls visit(symbol, length) for each symbol of lengths[0..count) whose length is not 0, in
// symbol order. The literal tree of a small block uses few of its 510 symbols, and its unused
// ones come in long runs: those are passed over eight at a time, so building the trees of a
// member of a few hundred bytes costs little beside its data.
template <typename Visit> void forEachUsedLength(const std::uint8_t* lengths, int count, Visit&& visit)
{
    int s = 0;
    for (; s + 8 <= count; s += 8) {
        std::uint64_t eight;
        std::memcpy(&eight, lengths + s, sizeof eight);
        if (eight == 0)
            continue;
        for (int k = s; k < s + 8; ++k)
            if (lengths[k] != 0)
                visit(k, static_cast<int>(lengths[k]));
    }
    for (; s < count; ++s)
        if (lengths[s] != 0)
            visit(s, static_cast<int>(lengths[s]));
}

} // namespace lzh::codec
