// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
#include "tests/tablebase/synthetic.h"

#include <liblzf/lzf.h>
#include <lzma.h>
#include <zlib.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <unistd.h>

Bytes zlibCompress(const Bytes &plain) {
    uLongf length = compressBound(plain.size());
    Bytes out(length);
    if (compress2(out.data(), &length, plain.data(), plain.size(), 9) != Z_OK) return {};
    out.resize(length);
    return out;
}

Bytes lzfCompress(const Bytes &plain) {
    Bytes out(plain.size() + plain.size() / 16 + 64);
    const unsigned length = lzf_compress(plain.data(), unsigned(plain.size()), out.data(), unsigned(out.size()));
    out.resize(length);
    return out;
}

Bytes lzmaCompress(const Bytes &plain, bool x86Filter, bool endMarker) {
    lzma_options_lzma options;
    lzma_lzma_preset(&options, 6);
    options.dict_size = 1 << 16;
    options.ext_flags = endMarker ? LZMA_LZMA1EXT_ALLOW_EOPM : 0;
    lzma_filter filters[3];
    int n = 0;
    if (x86Filter) filters[n++] = {LZMA_FILTER_X86, nullptr};
    filters[n++] = {LZMA_FILTER_LZMA1EXT, &options};
    filters[n] = {LZMA_VLI_UNKNOWN, nullptr};
    lzma_stream stream = LZMA_STREAM_INIT;
    if (lzma_raw_encoder(&stream, filters) != LZMA_OK) return {};
    Bytes out(plain.size() * 2 + 1024);
    stream.next_in = plain.data();
    stream.avail_in = plain.size();
    stream.next_out = out.data() + 14;
    stream.avail_out = out.size() - 14;
    lzma_ret result = LZMA_OK;
    while (result == LZMA_OK) result = lzma_code(&stream, LZMA_FINISH);
    const size_t length = stream.total_out;
    lzma_end(&stream);
    if (result != LZMA_STREAM_END) return {};
    out.resize(14 + length);
    out[0] = x86Filter ? 1 : 0;
    out[1] = uint8_t(options.lc + 9 * options.lp + 45 * options.pb);
    for (int i = 0; i < 4; ++i) out[2 + i] = uint8_t(options.dict_size >> (8 * i));
    for (int i = 0; i < 8; ++i) out[6 + i] = uint8_t(uint64_t(plain.size()) >> (8 * i));
    return out;
}

void BitWriter::bit(unsigned b) {
    if (used == 8) {
        bytes.push_back(0);
        used = 0;
    }
    bytes.back() |= uint8_t((b & 1) << used++);
}

void BitWriter::byte(uint8_t v) {
    for (int i = 0; i < 8; ++i) bit(v >> i);
}

namespace {
void putLe32(Bytes &out, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) out[at + i] = uint8_t(v >> (8 * i));
}
}  // namespace

Bytes buildTablebaseFile(uint32_t positionsPerSide, const std::function<uint8_t(int, uint32_t)> &value,
                         const std::function<Bytes(const Bytes &)> &compress) {
    const uint32_t blocksPerSide = (positionsPerSide - 1) / 16384 + 1;
    std::vector<Bytes> blocks;
    for (int side = 0; side < 2; ++side)
        for (uint32_t b = 0; b < blocksPerSide; ++b) {
            Bytes plain;
            for (uint32_t i = b * 16384; i < std::min(positionsPerSide, (b + 1) * 16384); ++i)
                plain.push_back(value(side, i));
            Bytes packed = compress(plain);
            packed.insert(packed.begin(), 0xAA);
            blocks.push_back(std::move(packed));
        }
    const uint32_t tableEnd = 40 + 4 * uint32_t(blocks.size() + 1);
    Bytes file(tableEnd);
    putLe32(file, 32, tableEnd);
    uint32_t offset = tableEnd;
    for (size_t k = 0; k <= blocks.size(); ++k) {
        putLe32(file, 40 + 4 * k, offset);
        if (k < blocks.size()) offset += uint32_t(blocks[k].size());
    }
    for (const Bytes &b : blocks) file.insert(file.end(), b.begin(), b.end());
    return file;
}

bool writeFile(const std::string &path, const Bytes &data) {
    FILE *f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    const bool ok = std::fwrite(data.data(), 1, data.size(), f) == data.size();
    return std::fclose(f) == 0 && ok;
}

std::string makeTempDirectory(const char *tag) {
    namespace fs = std::filesystem;
    const fs::path dir = fs::temp_directory_path() / (std::string("grelvin_") + tag + "_" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir.string();
}
