// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// The tablebase block decoders on arbitrary blocks. The first byte picks the scheme,
// the next three the decoded length the caller expects; the rest is the block. Every
// scheme number is tried, known or not, and lengths up to just past the largest block.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "tablebase/decode.h"

constexpr size_t HEADER_BYTES = 4;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size < HEADER_BYTES) return 0;
    const int scheme = data[0] % 10;
    const uint32_t expected = (data[1] | data[2] << 8 | data[3] << 16) % (TB_MAX_BLOCK_BYTES + 2);
    // The block on the heap at its exact size, so that reading past it is caught. Like
    // the cache's buffer it is never a null pointer, even for an empty block.
    const size_t length = size - HEADER_BYTES;
    const std::unique_ptr<uint8_t[]> block(new uint8_t[length]);
    std::memcpy(block.get(), data + HEADER_BYTES, length);
    std::vector<uint8_t> out(TB_MAX_BLOCK_BYTES);
    const bool ok = decodeBlock(scheme, block.get(), uint32_t(length), out.data(), expected);
    // No block may claim more than a block can hold.
    if (ok && expected > TB_MAX_BLOCK_BYTES) std::abort();
    return 0;
}
