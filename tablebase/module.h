// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// The state of one set of Gaviota tables, shared by the files of the module, and the
// file side of it: naming, the directory list, the bounded set of open files, the block
// index and block reads. Everything here except the naming helpers runs under the lock.
#pragma once

#include <cstdint>
#include <cstdio>
#include <mutex>
#include <string>
#include <vector>

#include "tablebase/dtm_cache.h"
#include "tablebase/endgames.h"

struct TbModule {
    std::vector<std::string> directories;
    int scheme = 4;  // 0 uncompressed ".gtb", N the ".gtb.cpN" family
    int openFileLimit = 4;
    std::vector<int> openFiles;  // rows in the order they were opened
    std::vector<uint32_t> blockOffsets[TB_ENDGAME_COUNT];
    FILE *files[TB_ENDGAME_COUNT] = {};
    int32_t status[TB_ENDGAME_COUNT] = {};  // TB_STATUS_*, read by probes without the lock
    int pathIndex[TB_ENDGAME_COUNT] = {};   // directory where the file was last found
    DtmCache cache;
    std::mutex lock;
    // One input and one output buffer for every decode, hence the lock around decoding.
    uint8_t input[TB_MAX_BLOCK_BYTES + 1];
    uint8_t output[TB_MAX_BLOCK_BYTES];
};

// "dir" + "/" + "kqkr" + ".gtb.cp4"; no separator is added after an empty directory
// or one that already ends with "/".
std::string tbFileName(const std::string &directory, const char *endgame, int scheme);
// Directories separated by ";", empty pieces skipped.
std::vector<std::string> tbSplitDirectories(const char *text);
// The process's open-file limit minus 5, within 4..32; 4 if it cannot be read.
int tbOpenFileLimitFromProcess();

// Opens the row's file if it is not open (closing the oldest open file when the list is
// full) and, for compressed schemes, loads its block index on first use.
bool tbEnsureFileOpen(TbModule &m, int row);
void tbCloseAllFiles(TbModule &m);
// The decoded position bytes of the block that starts at `start` for `side`.
bool tbReadBlock(TbModule &m, int row, int side, uint32_t start, uint32_t count, uint8_t *bytes);
// One position byte straight from an uncompressed file.
bool tbReadByte(TbModule &m, int row, int side, uint32_t index, uint8_t &byte);
