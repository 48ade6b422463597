// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// The Syzygy parser and decoder on damaged files: the first byte picks the material (low
// bits) and the kind (bit 7: DTZ); whatever parses is read at spread-out indices.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "tablebase/syzygy_format.h"

constexpr const char *TABLES[8] = {"KQvK", "KPvK", "KRvKR", "KPPvK", "KPvKP", "KBBBvK", "KRNvKB", "KRRvKP"};

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size < 1) return 0;
    SzMaterial m;
    if (!szParseName(TABLES[data[0] & 7], m)) std::abort();
    const SzKind kind = data[0] & 0x80 ? SzKind::DTZ : SzKind::WDL;
    // The file on the heap at its exact size, so that reading past it is caught.
    const size_t length = size - 1;
    const std::unique_ptr<uint8_t[]> file(new uint8_t[length + 1]);
    std::memcpy(file.get(), data + 1, length);
    SzFile parsed;
    std::string error;
    if (!szParseFile(file.get(), length, kind, m, parsed, error)) return 0;
    for (const SzSubTable &t : parsed.sub)
        for (uint64_t i = 0; i < t.size; i += t.size / 61 + 1) {
            int v, plies;
            if (!szDecode(t, i, v)) continue;
            if (kind == SzKind::WDL && v > 4) std::abort();  // the parse checked every leaf
            if (kind == SzKind::DTZ)
                for (int wdl : {-2, -1, 1, 2}) szDtzPlies(t, v, wdl, plies);
        }
    return 0;
}
