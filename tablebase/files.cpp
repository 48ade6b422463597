// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
#include <algorithm>
#include <atomic>
#include <cstdio>

#include "platform/files.h"
#include "tablebase/module.h"

namespace {

constexpr const char *EXTENSIONS[10] = {".gtb.cp0", ".gtb.cp1", ".gtb.cp2", ".gtb.cp3", ".gtb.cp4",
                                        ".gtb.cp5", ".gtb.cp6", ".gtb.cp7", ".gtb.cp8", ".gtb.cp9"};
constexpr uint32_t HEADER_BYTES = 40;
// The largest endgame has 402653184 positions per side: 2 * 24576 blocks and one end offset.
constexpr uint32_t MAX_OFFSETS = 2 * 24576 + 1;

uint32_t readLe32(const uint8_t *p) { return p[0] | p[1] << 8 | p[2] << 16 | uint32_t(p[3]) << 24; }

bool readAt(FILE *file, uint64_t offset, uint8_t *buffer, size_t length) {
    return fseeko(file, off_t(offset), SEEK_SET) == 0 && std::fread(buffer, 1, length, file) == length;
}

// Header word 8 is where the offset table ends; the table starts right after the header.
bool loadBlockIndex(FILE *file, std::vector<uint32_t> &offsets) {
    uint8_t header[HEADER_BYTES];
    if (!readAt(file, 0, header, HEADER_BYTES)) return false;
    const uint32_t end = readLe32(header + 32);
    if (end < HEADER_BYTES || (end - HEADER_BYTES) % 4 != 0) return false;
    const uint32_t count = (end - HEADER_BYTES) / 4;
    if (count < 2 || count > MAX_OFFSETS) return false;
    std::vector<uint8_t> raw(size_t(count) * 4);
    if (std::fread(raw.data(), 1, raw.size(), file) != raw.size()) return false;
    offsets.resize(count);
    for (uint32_t k = 0; k < count; ++k) offsets[k] = readLe32(raw.data() + 4 * k);
    // Blocks follow each other, so a decreasing offset can only be damage.
    if (offsets[0] < end || !std::is_sorted(offsets.begin(), offsets.end())) {
        offsets.clear();
        return false;
    }
    return true;
}

void closeOldestFile(TbModule &m) {
    FILE *&file = m.files[m.openFiles.front()];
    if (file) std::fclose(file);
    file = nullptr;
    m.openFiles.erase(m.openFiles.begin());
}

FILE *openInDirectory(TbModule &m, const TablebaseEndgame &row, size_t d) {
    const std::string path = tbFileName(m.directories[d], row.name, m.scheme);
    return openRegularFile(path.c_str(), "rb");
}

}  // namespace

std::string tbFileName(const std::string &directory, const char *endgame, int scheme) {
    const char *extension = scheme == 0 ? ".gtb" : EXTENSIONS[std::clamp(scheme, 0, 9)];
    std::string name = directory;
    if (!name.empty() && !isPathSeparator(name.back())) name += '/';
    return name + endgame + extension;
}

std::vector<std::string> tbSplitDirectories(const char *text) {
    std::vector<std::string> list;
    std::string piece;
    for (const char *p = text ? text : "";; ++p) {
        if (*p == ';' || *p == '\0') {
            if (!piece.empty()) list.push_back(piece);
            piece.clear();
            if (*p == '\0') break;
        } else {
            piece += *p;
        }
    }
    return list;
}

int tbOpenFileLimitFromProcess() {
    const std::optional<uint64_t> limit = openFileLimit();
    if (!limit) return 4;
    return int(std::clamp<uint64_t>(*limit < 5 ? 0 : *limit - 5, 4, 32));
}

bool tbEnsureFileOpen(TbModule &m, int row) {
    const TablebaseEndgame &e = tablebaseEndgames[row];
    if (m.files[row]) return true;
    if (m.openFiles.size() >= size_t(std::max(m.openFileLimit, 1))) closeOldestFile(m);
    // Start where the file was found last time, then wrap round to the front.
    const size_t count = m.directories.size(), first = std::min<size_t>(m.pathIndex[row], count);
    FILE *file = nullptr;
    size_t found = 0;
    for (size_t i = 0; i < count && !file; ++i) {
        found = (first + i) % count;
        file = openInDirectory(m, e, found);
    }
    if (!file) return false;
    if (m.scheme != 0 && m.blockOffsets[row].empty() && !loadBlockIndex(file, m.blockOffsets[row])) {
        // A file that is there but unreadable will not get better by trying again.
        std::atomic_ref<int32_t>(m.status[row]).store(TB_STATUS_UNAVAILABLE, std::memory_order_relaxed);
        std::fclose(file);
        return false;
    }
    m.files[row] = file;
    m.pathIndex[row] = int(found);
    m.openFiles.push_back(row);
    return true;
}

void tbCloseAllFiles(TbModule &m) {
    for (FILE *&file : m.files) {
        if (file) std::fclose(file);
        file = nullptr;
    }
    m.openFiles.clear();
}

bool tbReadBlock(TbModule &m, int row, int side, uint32_t start, uint32_t count, uint8_t *bytes) {
    const TablebaseEndgame &e = tablebaseEndgames[row];
    if (count > TB_BLOCK_POSITIONS || e.positionsPerSide == 0 || !tbEnsureFileOpen(m, row)) return false;
    if (m.scheme == 0) {
        m.cache.stats.bytesRead += count;
        return readAt(m.files[row], uint64_t(e.positionsPerSide) * side + start, bytes, count);
    }
    const uint32_t blocksPerSide = (e.positionsPerSide - 1) / TB_BLOCK_POSITIONS + 1;
    const uint64_t k = uint64_t(blocksPerSide) * side + start / TB_BLOCK_POSITIONS;
    const std::vector<uint32_t> &offsets = m.blockOffsets[row];
    if (k + 1 >= offsets.size()) return false;
    const uint32_t length = offsets[k + 1] - offsets[k];
    // The first byte of a block is not part of the compressed data.
    if (length < 1 || length > sizeof m.input) return false;
    if (!readAt(m.files[row], offsets[k], m.input, length)) return false;
    m.cache.stats.bytesRead += length;
    return decodeBlock(m.scheme, m.input + 1, length - 1, bytes, count);
}

bool tbReadByte(TbModule &m, int row, int side, uint32_t index, uint8_t &byte) {
    const TablebaseEndgame &e = tablebaseEndgames[row];
    if (m.scheme != 0 || !tbEnsureFileOpen(m, row)) return false;
    ++m.cache.stats.bytesRead;
    return readAt(m.files[row], uint64_t(e.positionsPerSide) * side + index, &byte, 1);
}
