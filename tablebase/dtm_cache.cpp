// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
#include "tablebase/dtm_cache.h"

#include <new>

uint32_t tbCacheBlocksFor(int megabytes, bool compressed) {
    const uint32_t blocks = uint32_t(megabytes & 0xFFF) * 8;
    return blocks == 0 && compressed ? 1 : blocks;
}

bool DtmCache::create(uint32_t blocks) {
    release();
    if (blocks == 0) return true;
    answers.reset(new (std::nothrow) uint16_t[size_t(blocks) * TB_BLOCK_POSITIONS]);
    descriptors.reset(new (std::nothrow) Descriptor[blocks]);
    if (!answers || !descriptors) {
        release();
        return false;
    }
    blockCount = blocks;
    clear();
    return true;
}

void DtmCache::release() {
    answers.reset();
    descriptors.reset();
    blockCount = 0;
    clear();
}

void DtmCache::clear() {
    for (uint32_t i = 0; i < blockCount; ++i)
        descriptors[i] = {-1, 0, 0, answers.get() + size_t(i) * TB_BLOCK_POSITIONS, -1, -1};
    used = 0;
    newest = oldest = loading = -1;
    stats = {};
}

void DtmCache::unlink(int32_t d) {
    Descriptor &x = descriptors[d];
    (x.newer >= 0 ? descriptors[x.newer].older : newest) = x.older;
    (x.older >= 0 ? descriptors[x.older].newer : oldest) = x.newer;
    x.newer = x.older = -1;
}

void DtmCache::pushFront(int32_t d) {
    descriptors[d].older = newest;
    descriptors[d].newer = -1;
    (newest >= 0 ? descriptors[newest].newer : oldest) = d;
    newest = d;
}

void DtmCache::pushBack(int32_t d) {
    descriptors[d].newer = oldest;
    descriptors[d].older = -1;
    (oldest >= 0 ? descriptors[oldest].older : newest) = d;
    oldest = d;
}

std::optional<uint16_t> DtmCache::lookup(int endgame, int side, uint32_t index) {
    const uint32_t start = index / TB_BLOCK_POSITIONS * TB_BLOCK_POSITIONS;
    for (int32_t d = newest; d >= 0; d = descriptors[d].older) {
        ++stats.comparisons;
        const Descriptor &x = descriptors[d];
        if (x.endgame != endgame || x.side != side || x.start != start) continue;
        if (d != newest) {
            unlink(d);
            pushFront(d);
        }
        return x.data[index - start];
    }
    return std::nullopt;
}

uint16_t *DtmCache::beginLoad() {
    if (blockCount == 0) return nullptr;
    if (used < blockCount) {
        loading = int32_t(used++);
    } else {
        loading = oldest;
        unlink(loading);
    }
    pushFront(loading);
    descriptors[loading].endgame = -1;
    return descriptors[loading].data;
}

void DtmCache::finishLoad(bool ok, int endgame, int side, uint32_t start) {
    if (loading < 0) return;
    Descriptor &x = descriptors[loading];
    if (ok) {
        x.endgame = endgame;
        x.side = side;
        x.start = start;
        ++stats.blocksLoaded;
    } else {
        unlink(loading);
        pushBack(loading);
        ++stats.failedLoads;
    }
    loading = -1;
}
