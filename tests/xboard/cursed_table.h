// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// A Syzygy WDL table whose every position is a result the 50-move rule changes: the
// published tables below five men hold none.
#pragma once

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

// Writes folder/KRvK.rtbw: with the rook's side to move every position is a cursed
// win, with the bare king's a blessed loss (two single-valued sub-tables).
inline void writeCursedRookTable(const std::string &folder) {
    std::vector<uint8_t> bytes = {
        0x71, 0xE8, 0x23, 0x5D,  // WDL magic
        0x31,                    // three men, no pawns, not symmetric
        0x00, 0x6E, 0xE6, 0x44,  // order; black king, white king, white rook (each side's nibble)
        0x00,                    // to an even offset
        0x80, 0x03,              // rook's side to move: every value 3, a cursed win
        0x80, 0x01,              // the other side: every value 1, a blessed loss
    };
    bytes.resize(64 + 16);  // padded to 64 bytes, then the checksum (not read)
    std::ofstream(folder + "/KRvK.rtbw", std::ios::binary)
        .write(reinterpret_cast<const char *>(bytes.data()), std::streamsize(bytes.size()));
}
