// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// What several tests build: scratch folders, file bytes, random positions and case tables.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cctype>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "board/movegen.h"
#include "tests/test_support.h"

using Bytes = std::vector<uint8_t>;

inline Bytes readBytes(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

inline bool writeBytes(const std::string &path, const Bytes &bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    return bool(out.write(reinterpret_cast<const char *>(bytes.data()), std::streamsize(bytes.size())));
}

// A fresh empty folder under the system's temporary one, removed with the object.
struct ScratchDir {
    std::filesystem::path path;
    explicit ScratchDir(const std::string &tag)
        : path(std::filesystem::temp_directory_path() / ("grelvin-" + tag + "-" + std::to_string(::getpid()))) {
        std::filesystem::remove_all(path);
        std::filesystem::create_directories(path);
    }
    ~ScratchDir() { std::filesystem::remove_all(path); }
    std::string operator/(const std::string &name) const { return (path / name).string(); }
};

// The men of "KRvKN" or "krkn" (each side led by its king) on random squares, `first`
// owning the first side's, either side to move; false when the draw is not legal.
inline bool randomBoard(Board_BB64 &b, std::string_view men, std::mt19937 &rng, Colour first = WHITE) {
    b.clear();
    int side = -1;
    for (char c : men) {
        const size_t type = std::string_view(".pnbrqk").find(char(std::tolower(c)));
        if (type == std::string_view::npos) continue;
        side += type == KING;
        const Square s = Square(rng() % 64);
        if (b.pieceOn[s] || (type == PAWN && (rankOf(s) == RANK_1 || rankOf(s) == RANK_8))) return false;
        b.putPieceQuiet(side ? opposite(first) : first, int(type), s);
    }
    b.sideToMove = uint8_t(rng() & 1);
    b.rebuildKeys();
    return !isAttackedBy(b, b.side(), b.kingSquare(opposite(b.side())));
}

inline std::string fenOf(const Board_BB64 &b) {
    char text[100];
    b.toFEN(text);
    return text;
}
