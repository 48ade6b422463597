// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// The start-up configuration reader on arbitrary file contents, read from memory.
#include <cstdint>
#include <cstdio>

#include "xboard/wbengine.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static const bool quiet = std::freopen("/dev/null", "w", stdout) != nullptr;
    (void)quiet;
    // fmemopen refuses an empty buffer; an empty file reads like a missing one anyway.
    if (size == 0) return 0;
    WBEngine engine;
    std::FILE *file = fmemopen(const_cast<uint8_t *>(data), size, "r");
    if (!file) return 0;
    engine.readConfigFile(file);
    std::fclose(file);
    return 0;
}
