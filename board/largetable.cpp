// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// Large zero-filled blocks from the operating system, advised to use huge pages, and the
// sizing the hash tables share.
#include "board/largetable.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <system_error>

#include "platform/memory.h"

namespace {

// Transparent huge pages on x86-64 are 2 MB; only whole aligned 2 MB ranges of a
// mapping can use them, so larger blocks are mapped with room to align.
constexpr std::size_t HUGE_PAGE = std::size_t(2) << 20;
constexpr std::size_t PAGE = 4096;
// Below this a block is faulted in or cleared by the calling thread alone, and a block
// is shared out in parts of at least this size: 32 MB take about 3 ms, which is what
// starting and ending one thread costs where that is dearest (Wine: 4 ms, against
// tens of microseconds on Linux). The benchmark builds its tables afresh for every
// position, so smaller parts cost a Windows program under Wine a tenth of its speed.
constexpr std::size_t PARALLEL_BYTES = std::size_t(32) << 20;
constexpr unsigned MAX_WORKERS = 4;
// Background faulting goes in steps of this size, so that a block given up meanwhile
// (a resize, or "quit" right after start-up) is not waited for to the end.
constexpr std::size_t FAULT_STEP = std::size_t(8) << 20;

// Maps every page of [p, p + n) writable without changing what it holds, so the block
// may be in use meanwhile. Where the system cannot do it, each page gets an atomic add
// of zero, which is just as harmless to a concurrent reader or writer.
void faultIn(char *p, std::size_t n) {
    if (faultInPages(p, n)) return;
    for (std::size_t i = 0; i < n; i += PAGE)
        std::atomic_ref<uint64_t>(*reinterpret_cast<uint64_t *>(p + i)).fetch_add(0, std::memory_order_relaxed);
}

// Runs work(begin, length) over [0, bytes) in page-aligned parts, one per core (up to
// MAX_WORKERS) and none smaller than PARALLEL_BYTES, the calling thread taking the
// last. A part whose thread cannot be started is done by the caller.
template <class Work> void inParallel(std::size_t bytes, Work work) {
    const unsigned cores = std::max(1u, std::min(std::thread::hardware_concurrency(), MAX_WORKERS));
    const unsigned parts = unsigned(std::clamp<std::size_t>(bytes / PARALLEL_BYTES, 1, cores));
    const std::size_t part = (bytes / parts + PAGE - 1) & ~(PAGE - 1);
    std::thread workers[MAX_WORKERS];
    for (unsigned i = 0; i < parts; ++i) {
        const std::size_t begin = part * i;
        if (begin >= bytes) break;
        const std::size_t length = i + 1 == parts ? bytes - begin : std::min(part, bytes - begin);
        if (i + 1 < parts) {
            try {
                workers[i] = std::thread(work, begin, length);
                continue;
            } catch (const std::system_error &) {
            }
        }
        work(begin, length);
    }
    for (std::thread &t : workers)
        if (t.joinable()) t.join();
}

}  // namespace

void *LargeTable::allocate(std::size_t bytes, Faulting faulting) {
    release();
    if (bytes == 0) return nullptr;
    const bool huge = bytes >= HUGE_PAGE;
    const std::size_t length = huge ? bytes + HUGE_PAGE : bytes;
    void *p = allocateZeroedBlock(length);
    if (!p) return nullptr;
    mapping_ = p;
    mappedBytes_ = length;
    auto address = reinterpret_cast<std::uintptr_t>(p);
    if (huge) {
        address = (address + HUGE_PAGE - 1) & ~(HUGE_PAGE - 1);
        // Only advice: without huge pages the table works the same, only slower.
        adviseHugePages(reinterpret_cast<void *>(address), bytes);
    }
    data_ = reinterpret_cast<void *>(address);
    bytes_ = bytes;

    if (faulting == Faulting::ON_USE) return data_;
    // A large block takes a tenth of a second or more to fault in (256 MB); the caller
    // goes on meanwhile, which keeps it out of the engine's start-up.
    char *const base = static_cast<char *>(data_);
    stopFaulting_.store(false, std::memory_order_relaxed);
    auto fault = [base, stop = &stopFaulting_](std::size_t begin, std::size_t n) {
        for (std::size_t done = 0; done < n && !stop->load(std::memory_order_relaxed); done += FAULT_STEP)
            faultIn(base + begin + done, std::min(FAULT_STEP, n - done));
    };
    if (bytes < PARALLEL_BYTES) {
        faultIn(base, bytes);
    } else {
        try {
            faulter_ = std::thread([fault, bytes] { inParallel(bytes, fault); });
        } catch (const std::system_error &) {
            inParallel(bytes, fault);
        }
    }
    return data_;
}

void LargeTable::waitFaulted() {
    if (faulter_.joinable()) faulter_.join();
}

void LargeTable::faultInFront(std::size_t bytes) {
    char *const base = static_cast<char *>(data_);
    if (base) inParallel(std::min(bytes, bytes_), [base](std::size_t begin, std::size_t n) { faultIn(base + begin, n); });
}

void LargeTable::clear(std::size_t bytes) {
    waitFaulted();
    char *const base = static_cast<char *>(data_);
    if (base)
        inParallel(std::min(bytes, bytes_), [base](std::size_t begin, std::size_t n) { std::memset(base + begin, 0, n); });
}

void LargeTable::release() {
    stopFaulting_.store(true, std::memory_order_relaxed);
    waitFaulted();
    releaseZeroedBlock(mapping_, mappedBytes_);
    mapping_ = data_ = nullptr;
    mappedBytes_ = bytes_ = 0;
}

uint32_t tableMBWithin(uint32_t requestedMB, uint64_t memoryBytes) {
    const uint64_t memoryMB = memoryBytes >> 20;
    if (memoryMB == 0) return requestedMB;
    return uint32_t(std::min<uint64_t>(requestedMB, std::max<uint64_t>(memoryMB / 4 * 3, 1)));
}

uint64_t tableEntriesFor(uint32_t sizeMB, std::size_t entryBytes, uint32_t minEntries) {
    const uint64_t budget = uint64_t(std::min(sizeMB, TABLE_MAX_MB)) << 20;
    uint64_t count = 1;
    while (count * 2 * entryBytes <= budget) count *= 2;
    return std::max<uint64_t>(count, minEntries);
}
