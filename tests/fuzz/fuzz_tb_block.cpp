// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// The block decoders on arbitrary blocks: byte 0 picks the scheme, bytes 1-3 the expected length.
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
    // At its exact size on the heap, so that reading past it is caught (never null, as in the cache).
    const size_t length = size - HEADER_BYTES;
    const std::unique_ptr<uint8_t[]> block(new uint8_t[length]);
    std::memcpy(block.get(), data + HEADER_BYTES, length);
    std::vector<uint8_t> out(TB_MAX_BLOCK_BYTES);
    const bool ok = decodeBlock(scheme, block.get(), uint32_t(length), out.data(), expected);
    if (ok && expected > TB_MAX_BLOCK_BYTES) std::abort();
    return 0;
}
