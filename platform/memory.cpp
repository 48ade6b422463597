// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
#include "platform/memory.h"

#ifdef _WIN32

#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>

#include <cstring>

namespace {

// Large pages need the "Lock pages in memory" privilege, which a user holds only when an
// administrator granted it, and which the process must then switch on. Returns the
// large page size once that is done, 0 when the process cannot have large pages.
std::size_t largePageBytes() {
    static const std::size_t bytes = [] {
        const SIZE_T minimum = GetLargePageMinimum();
        HANDLE token;
        if (minimum == 0 || !OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token))
            return std::size_t(0);
        TOKEN_PRIVILEGES privileges{};
        privileges.PrivilegeCount = 1;
        privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
        // AdjustTokenPrivileges succeeds without granting when the user lacks the
        // privilege; only ERROR_SUCCESS after it says that it was switched on.
        const bool enabled = LookupPrivilegeValueA(nullptr, "SeLockMemoryPrivilege", &privileges.Privileges[0].Luid) &&
                             AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr) &&
                             GetLastError() == ERROR_SUCCESS;
        CloseHandle(token);
        return enabled ? std::size_t(minimum) : std::size_t(0);
    }();
    return bytes;
}

// Wine tells its host system through an export of its ntdll that Windows' own lacks.
bool onWineOverLinux() {
    static const bool linuxHost = [] {
        using HostVersion = void (*)(const char **sysname, const char **release);
        const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
        const FARPROC proc = ntdll ? GetProcAddress(ntdll, "wine_get_host_version") : nullptr;
        if (!proc) return false;
        const char *sysname = nullptr, *release = nullptr;
        reinterpret_cast<HostVersion>(reinterpret_cast<void (*)()>(proc))(&sysname, &release);
        return sysname && std::strcmp(sysname, "Linux") == 0;
    }();
    return linuxHost;
}

}  // namespace

// A block of at least one large page comes in large pages where the user may have
// them: those are in memory at once and never paged out. When they are not to be had
// (no privilege, or no physical memory free in large runs), committed ordinary pages
// serve, zero-filled and handed over when first touched, as on POSIX.
void *allocateZeroedBlock(std::size_t bytes) {
    if (const std::size_t large = largePageBytes(); large && bytes >= large) {
        const std::size_t rounded = (bytes + large - 1) / large * large;
        if (void *p = VirtualAlloc(nullptr, rounded, MEM_COMMIT | MEM_RESERVE | MEM_LARGE_PAGES, PAGE_READWRITE))
            return p;
    }
    return VirtualAlloc(nullptr, bytes, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
}

void releaseZeroedBlock(void *block, std::size_t) {
    if (block) VirtualFree(block, 0, MEM_RELEASE);
}

// Large pages are chosen when the block is allocated. Under Wine on a Linux host, though,
// a block is ordinary Linux memory, and the kernel's usual setting gives transparent huge
// pages only to ranges advised so: Windows has no such call, so the advice goes to the
// kernel directly, as Linux's madvise system call (numbers of the x86-64 kernel ABI).
void adviseHugePages(void *p, std::size_t bytes) {
#if defined(__GNUC__) && defined(__x86_64__)
    if (!onWineOverLinux()) return;
    constexpr long long LINUX_MADVISE = 28, LINUX_MADV_HUGEPAGE = 14;
    long long result;
    asm volatile("syscall"
                 : "=a"(result)
                 : "a"(LINUX_MADVISE), "D"(p), "S"(bytes), "d"(LINUX_MADV_HUGEPAGE)
                 : "rcx", "r11", "memory");
    (void)result;  // only advice
#else
    (void)p, (void)bytes;
#endif
}

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
