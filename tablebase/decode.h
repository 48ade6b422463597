// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// Decoding of one tablebase block: the decoders by compression scheme and the
// conversion of a stored position byte into a packed answer.
#pragma once

#include <cstdint>

// Positions per block, and the most bytes a block may hold before or after decoding.
constexpr uint32_t TB_BLOCK_POSITIONS = 16384;
constexpr uint32_t TB_MAX_BLOCK_BYTES = 65536;

// Decode `inLength` bytes with the given scheme into `out` (room for TB_MAX_BLOCK_BYTES).
// Succeeds only when exactly `expectedLength` bytes come out, so a short or damaged
// block never leaves stale bytes behind that would be read as answers.
bool decodeBlock(int scheme, const uint8_t *in, uint32_t inLength, uint8_t *out, uint32_t expectedLength);

// Packed answer: plies to mate * 8 + result code (0 draw, 1 White mates, 2 Black mates,
// 3 forbidden).
constexpr uint16_t packAnswer(unsigned code, unsigned plies) { return uint16_t(plies * 8 + code); }

// The stored byte of a position with side `side` to move, as a packed answer. Short
// mates sit in the low codes and long ones (126 plies and more) reuse them with
// another tag, which is why the conversion depends on the side to move.
constexpr uint16_t storedByteToAnswer(uint8_t v, int side) {
    if (v == 0) return packAnswer(0, 0);
    if (v == 3) return packAnswer(3, 0);
    const unsigned t = v & 3, d = v >> 2;
    if (side == 0) {
        switch (t) {
        case 1: return packAnswer(1, 2 * d + 1);
        case 0: return packAnswer(1, 2 * d + 127);
        case 2: return packAnswer(2, 2 * d);
        default: return packAnswer(2, 2 * d + 126);
        }
    }
    switch (t) {
    case 1: return packAnswer(1, 2 * d);
    case 3: return packAnswer(1, 2 * d + 126);
    case 2: return packAnswer(2, 2 * d + 1);
    default: return d == 63 ? packAnswer(1, 254) : packAnswer(2, 2 * d + 127);
    }
}
