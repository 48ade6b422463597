// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// Helpers for tests that build their own tablebase blocks and files.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

using Bytes = std::vector<uint8_t>;

// Compressed forms of a block, as the file would carry them after the skipped byte.
Bytes zlibCompress(const Bytes &plain);
Bytes lzfCompress(const Bytes &plain);
// The 14-byte header and a raw LZMA1 stream, optionally through the x86 filter first.
Bytes lzmaCompress(const Bytes &plain, bool x86Filter, bool endMarker);

// Bits least significant first, as the Huffman decoder reads them.
struct BitWriter {
    Bytes bytes;
    int used = 8;
    void bit(unsigned b);
    void byte(uint8_t v);
};

// A compressed tablebase file: header, offset table, then per block one filler byte and
// the block compressed by `compress`. The stored byte of (side, index) is value(side, index).
Bytes buildTablebaseFile(uint32_t positionsPerSide, const std::function<uint8_t(int, uint32_t)> &value,
                         const std::function<Bytes(const Bytes &)> &compress);
bool writeFile(const std::string &path, const Bytes &data);
// A fresh empty directory under the system's temporary folder.
std::string makeTempDirectory(const char *tag);
