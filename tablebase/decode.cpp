// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
#include "tablebase/decode.h"

#include <liblzf/lzf.h>
#include <lzma.h>
#include <zlib.h>

#include <cstring>

namespace {

// Bits are read least significant first within each byte.
class BitReader {
public:
    BitReader(const uint8_t *data, uint32_t length) : data(data), bitsLeft(uint64_t(length) * 8) {}
    bool read(unsigned &bit) {
        if (bitsLeft == 0) return false;
        bit = (data[position >> 3] >> (position & 7)) & 1;
        ++position;
        --bitsLeft;
        return true;
    }
    bool readByte(uint8_t &byte) {
        unsigned value = 0, bit = 0;
        for (int i = 0; i < 8; ++i) {
            if (!read(bit)) return false;
            value |= bit << i;
        }
        byte = uint8_t(value);
        return true;
    }

private:
    const uint8_t *data;
    uint64_t bitsLeft;
    uint64_t position = 0;
};

// The writer never used more than 512 nodes, so a larger tree is damage.
constexpr int HUFFMAN_MAX_NODES = 512;

struct HuffmanTree {
    struct Node {
        int16_t child[2];
        uint8_t byte;
        bool leaf;
    };
    Node nodes[HUFFMAN_MAX_NODES];
    int count = 0;

    // Reads one subtree and returns its node number, or -1.
    int read(BitReader &bits) {
        if (count >= HUFFMAN_MAX_NODES) return -1;
        const int self = count++;
        unsigned tag = 0;
        if (!bits.read(tag)) return -1;
        nodes[self].leaf = tag == 1;
        if (tag == 1) return bits.readByte(nodes[self].byte) ? self : -1;
        for (int side = 0; side < 2; ++side) {
            const int child = read(bits);
            if (child < 0) return -1;
            nodes[self].child[side] = int16_t(child);
        }
        return self;
    }
};

uint32_t readLe32(const uint8_t *p) { return p[0] | p[1] << 8 | p[2] << 16 | uint32_t(p[3]) << 24; }

bool decodeHuffman(const uint8_t *in, uint32_t inLength, uint8_t *out, uint32_t expected) {
    if (inLength < 4 || readLe32(in) != expected) return false;
    BitReader bits(in + 4, inLength - 4);
    HuffmanTree tree;
    if (tree.read(bits) != 0) return false;
    for (uint32_t i = 0; i < expected; ++i) {
        int node = 0;
        while (!tree.nodes[node].leaf) {
            unsigned bit = 0;
            if (!bits.read(bit)) return false;
            node = tree.nodes[node].child[bit];
        }
        out[i] = tree.nodes[node].byte;
    }
    return true;
}

// 253 starts an escape: 253 253 is a literal 253, 253 n b is n copies of b.
constexpr uint8_t RLE_ESCAPE = 253;

bool decodeRunLength(const uint8_t *in, uint32_t inLength, uint8_t *out, uint32_t expected) {
    uint32_t written = 0;
    for (uint32_t i = 0; i < inLength;) {
        uint8_t byte = in[i++];
        uint32_t copies = 1;
        if (byte == RLE_ESCAPE) {
            if (i >= inLength) return false;
            if (in[i] == RLE_ESCAPE) {
                ++i;
            } else {
                if (i + 1 >= inLength) return false;
                copies = in[i];
                byte = in[i + 1];
                i += 2;
            }
        }
        if (copies > expected - written) return false;
        std::memset(out + written, byte, copies);
        written += copies;
    }
    return written == expected;
}

bool decodeLzf(const uint8_t *in, uint32_t inLength, uint8_t *out, uint32_t expected) {
    // The library reads its first control byte before looking at the length.
    if (inLength == 0) return expected == 0;
    return lzf_decompress(in, inLength, out, expected) == expected;
}

bool decodeZlib(const uint8_t *in, uint32_t inLength, uint8_t *out, uint32_t expected) {
    uLongf length = expected;
    return uncompress(out, &length, in, inLength) == Z_OK && length == expected;
}

// Header: filter flag, properties byte (lc + 9 lp + 45 pb), 32-bit dictionary size and an
// unused 64-bit length; the raw LZMA1 stream follows.
constexpr uint32_t LZMA_HEADER_BYTES = 14;

bool decodeLzma(const uint8_t *in, uint32_t inLength, uint8_t *out, uint32_t expected) {
    if (inLength < LZMA_HEADER_BYTES || in[0] > 1 || in[1] >= 225) return false;
    lzma_options_lzma options;
    std::memset(&options, 0, sizeof options);
    options.lc = in[1] % 9;
    options.lp = in[1] / 9 % 5;
    options.pb = in[1] / 45;
    // A dictionary larger than the block buys nothing, and a damaged size must not
    // make the decoder reserve gigabytes.
    const uint32_t dictionary = readLe32(in + 2);
    options.dict_size = dictionary < 4096 ? 4096 : dictionary > TB_MAX_BLOCK_BYTES ? TB_MAX_BLOCK_BYTES : dictionary;
    // The size is known, so the stream may or may not carry an end marker.
    options.ext_flags = LZMA_LZMA1EXT_ALLOW_EOPM;
    options.ext_size_low = expected;
    options.ext_size_high = 0;

    lzma_filter filters[3];
    int n = 0;
    if (in[0] == 1) filters[n++] = {LZMA_FILTER_X86, nullptr};
    filters[n++] = {LZMA_FILTER_LZMA1EXT, &options};
    filters[n] = {LZMA_VLI_UNKNOWN, nullptr};

    lzma_stream stream = LZMA_STREAM_INIT;
    if (lzma_raw_decoder(&stream, filters) != LZMA_OK) return false;
    stream.next_in = in + LZMA_HEADER_BYTES;
    stream.avail_in = inLength - LZMA_HEADER_BYTES;
    stream.next_out = out;
    stream.avail_out = expected;
    lzma_ret result = LZMA_OK;
    // liblzma reports a stall as LZMA_BUF_ERROR, so this ends; the bound is a backstop.
    for (int round = 0; round < 64 && result == LZMA_OK; ++round) result = lzma_code(&stream, LZMA_FINISH);
    const bool ok = result == LZMA_STREAM_END && stream.total_out == expected;
    lzma_end(&stream);
    return ok;
}

bool decodeStored(const uint8_t *in, uint32_t inLength, uint8_t *out, uint32_t expected) {
    if (inLength != expected) return false;
    if (inLength) std::memcpy(out, in, inLength);  // an empty block may come without a buffer
    return true;
}

}  // namespace

bool decodeBlock(int scheme, const uint8_t *in, uint32_t inLength, uint8_t *out, uint32_t expectedLength) {
    if (expectedLength > TB_MAX_BLOCK_BYTES) return false;
    switch (scheme) {
    case 1: return decodeHuffman(in, inLength, out, expectedLength);
    case 2: return decodeLzf(in, inLength, out, expectedLength);
    case 3: return decodeZlib(in, inLength, out, expectedLength);
    case 4: return decodeLzma(in, inLength, out, expectedLength);
    case 7: return decodeRunLength(in, inLength, out, expectedLength);
    case 9: return decodeStored(in, inLength, out, expectedLength);
    default: return false;  // 5, 6 and 8 have no decoder
    }
}
