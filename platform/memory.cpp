// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
#include "platform/memory.h"

#ifdef _WIN32

#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>

// Committed pages are zero-filled and handed over when first touched, as on POSIX.
void *allocateZeroedBlock(std::size_t bytes) {
    return VirtualAlloc(nullptr, bytes, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
}

void releaseZeroedBlock(void *block, std::size_t) {
    if (block) VirtualFree(block, 0, MEM_RELEASE);
}

// Large pages on Windows need a privilege that a normal user lacks and memory reserved
// up front; ordinary pages serve.
void adviseHugePages(void *, std::size_t) {}

bool faultInPages(void *, std::size_t) { return false; }

uint64_t physicalMemoryBytes() {
    MEMORYSTATUSEX status{};
    status.dwLength = sizeof status;
    return GlobalMemoryStatusEx(&status) ? uint64_t(status.ullTotalPhys) : 0;
}

#else

#include <sys/mman.h>
#include <unistd.h>

#include <cerrno>

namespace {
#ifndef MADV_POPULATE_WRITE
constexpr int MADV_POPULATE_WRITE = 23;
#endif
}  // namespace

void *allocateZeroedBlock(std::size_t bytes) {
    void *p = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    return p == MAP_FAILED ? nullptr : p;
}

void releaseZeroedBlock(void *block, std::size_t bytes) {
    if (block) munmap(block, bytes);
}

void adviseHugePages(void *p, std::size_t bytes) { madvise(p, bytes, MADV_HUGEPAGE); }

// Kernels before 5.14 lack the advice and answer EINVAL.
bool faultInPages(void *p, std::size_t bytes) {
    return madvise(p, bytes, MADV_POPULATE_WRITE) == 0 || errno != EINVAL;
}

uint64_t physicalMemoryBytes() {
    const long pages = sysconf(_SC_PHYS_PAGES), pageBytes = sysconf(_SC_PAGE_SIZE);
    return pages > 0 && pageBytes > 0 ? uint64_t(pages) * uint64_t(pageBytes) : 0;
}

#endif
