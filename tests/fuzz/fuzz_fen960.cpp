// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// The FEN target's checks from its own seeds and dictionary: Chess960 positions with
// Shredder-FEN and X-FEN castling fields.
#include "tests/fuzz/fuzz_fen.cpp"
