// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// Large zero-filled blocks of memory straight from the operating system, for the hash
// tables: fresh pages are already clear, and a table of hundreds of megabytes is given
// back whole when it is resized.
#pragma once

#include <cstddef>
#include <cstdint>

// Returns bytes of zero-filled, readable and writable memory (page-aligned), or nullptr
// when the system will not give them. On Windows a block of a large page or more comes
// in large pages when the user holds the privilege for them. The block goes back through releaseZeroedBlock.
void *allocateZeroedBlock(std::size_t bytes);
// Gives back a block from allocateZeroedBlock, with the size it was asked for.
void releaseZeroedBlock(void *block, std::size_t bytes);
// Asks for huge pages over [p, p + bytes), part of an allocated block. Only advice:
// where the system offers none, nothing changes but the speed.
void adviseHugePages(void *p, std::size_t bytes);
// Has the system put every page of [p, p + bytes) in memory, writable, without changing
// what the pages hold. Returns false when the system cannot do that (the caller then
// writes to each page itself); true also when it tried and ran out of memory, since the
// pages are then faulted when used.
bool faultInPages(void *p, std::size_t bytes);
// The machine's memory in bytes, 0 when the system does not say.
uint64_t physicalMemoryBytes();
