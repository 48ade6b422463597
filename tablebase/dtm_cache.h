// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// The cache of decoded tablebase blocks: each cache block holds the packed answers of
// 16384 consecutive positions of one endgame and side, kept in most-recently-used order.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>

#include "tablebase/decode.h"

struct TbStatistics {
    uint64_t hardProbes = 0;  // probes that may read files
    uint64_t softProbes = 0;  // cache-only probes
    uint64_t hardMisses = 0;
    uint64_t softMisses = 0;
    uint64_t comparisons = 0;  // descriptors compared in cache lookups
    uint64_t blocksLoaded = 0;
    uint64_t failedLoads = 0;
    uint64_t bytesRead = 0;
};

// Number of cache blocks for gtbCacheSizeMB = megabytes: eight per megabyte (a quarter
// of the memory), one for a compressed scheme without memory, since those files can
// only be read a whole block at a time.
uint32_t tbCacheBlocksFor(int megabytes, bool compressed);

// Not thread-safe: the tablebase module calls it under its lock.
class DtmCache {
public:
    bool create(uint32_t blocks);  // false if the memory cannot be had
    void release();
    void clear();
    uint32_t capacity() const { return blockCount; }
    uint32_t blocksInUse() const { return used; }
    TbStatistics stats;

    std::optional<uint16_t> lookup(int endgame, int side, uint32_t index);
    // A block to fill for (endgame, side, start): the next unused one, else the least
    // recently used, moved to the front and marked empty. nullptr without blocks.
    uint16_t *beginLoad();
    // Label the block of the last beginLoad; on failure it stays empty and goes to the
    // back so that it is the next one reused.
    void finishLoad(bool ok, int endgame, int side, uint32_t start);

private:
    struct Descriptor {
        int32_t endgame;  // -1 when empty
        int32_t side;
        uint32_t start;
        uint16_t *data;
        int32_t newer;  // links toward the most and least recently used ends, -1 at the ends
        int32_t older;
    };
    void unlink(int32_t d);
    void pushFront(int32_t d);
    void pushBack(int32_t d);

    std::unique_ptr<uint16_t[]> answers;
    std::unique_ptr<Descriptor[]> descriptors;
    uint32_t blockCount = 0;
    uint32_t used = 0;
    int32_t newest = -1;
    int32_t oldest = -1;
    int32_t loading = -1;
};
