// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
#include "tablebase/tablebase.h"

#include <cstring>

#include "board/board.h"
#include "tablebase/module.h"
#include "tablebase/probe.h"

namespace {

constexpr size_t MAX_PATH_CHARS = 255;
// Generation of the newest handle; the main thread alone creates and destroys handles.
uint64_t currentGeneration = 0;

}  // namespace

TablebaseHandle::~TablebaseHandle() {
    if (generation == currentGeneration && isAvailable()) tbTearDown();
}

std::unique_ptr<TablebaseHandle> tbInitialise(const char *type, const char *directories, int cacheMB) {
    tbTearDown();
    std::unique_ptr<TablebaseHandle> handle(new TablebaseHandle());
    handle->generation = ++currentGeneration;
    if (!type || std::strcmp(type, "gaviota") != 0) return handle;
    handle->path.assign(directories ? directories : "");
    if (handle->path.size() > MAX_PATH_CHARS) handle->path.resize(MAX_PATH_CHARS);
    handle->directories = tbSplitDirectories(handle->path.c_str());
    tbInitModule(4, handle->directories);
    tbInitCache(cacheMB);
    tbResetStatistics();
    handle->available.store(1, std::memory_order_relaxed);
    return handle;
}

bool tbProbeBoard(const Board_BB64 &board, bool mayReadFiles, unsigned &info, unsigned &plies) {
    Square squares[2][6];
    uint8_t codes[2][6];
    int total = 0;
    for (Colour c : {WHITE, BLACK}) {
        PieceIterator it(board, c);
        int n = 0;
        for (Square s = it.next(); s != NO_SQUARE; s = it.next()) {
            if (++total > 5) return false;
            squares[c][n] = s;
            codes[c][n++] = uint8_t(it.pieceType());
        }
        squares[c][n] = NO_SQUARE;
        codes[c][n] = 0;
    }
    const int ep = board.epSquare < 64 ? board.epSquare : NO_SQUARE;
    return tbProbe(board.sideToMove, ep, squares[WHITE], squares[BLACK], codes[WHITE], codes[BLACK], mayReadFiles,
                   info, plies);
}
