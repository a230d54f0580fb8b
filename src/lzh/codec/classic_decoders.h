#pragma once
// Decoders of the older methods, which other archivers still write: -lh1- (adaptive Huffman) and
// LArc's -lzs- and -lz5- (plain LZSS). Each reads one member from in and delivers exactly
// originalSize bytes to sink, or fails as Decoder::decode does.

#include "base/status.h"
#include "lzh/codec.h"
#include "lzh/codec/bit_reader.h"

#include <cstdint>

namespace lzh::codec {

base::Status decodeLh1(BitReader& in, std::uint64_t originalSize, const ByteSink& sink);
base::Status decodeLzs(BitReader& in, std::uint64_t originalSize, const ByteSink& sink);
base::Status decodeLz5(BitReader& in, std::uint64_t originalSize, const ByteSink& sink);

} // namespace lzh::codec
