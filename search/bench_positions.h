// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// The positions of the search benchmark, shared by the benchmark program and the
// engines' "bench" command: their total node count at BENCH_DEPTH is the signature a
// change to search or evaluation must explain.
#pragma once

constexpr int BENCH_DEPTH = 10;

inline constexpr const char *BENCH_FENS[] = {
    "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
    "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
    "r1bqkbnr/pppp1ppp/2n5/4p3/2B1P3/5N2/PPPP1PPP/RNBQK2R b KQkq - 3 3",
    "rnbqkb1r/pp2pppp/3p1n2/8/3NP3/8/PPP2PPP/RNBQKB1R w KQkq - 1 5",
    "r1bq1rk1/ppp2ppp/2np1n2/2b1p3/2B1P3/2NP1N2/PPP2PPP/R1BQ1RK1 w - - 0 7",
    "r2q1rk1/pp2bppp/2n1pn2/3p4/2PP4/2N1PN2/PP3PPP/R2QKB1R w KQ - 0 9",
    "rnbq1rk1/ppp1bppp/4pn2/3p4/2PP4/2N2N2/PP2PPPP/R1BQKB1R w KQ - 4 5",
    "r1b2rk1/2q1bppp/p2p1n2/np2p3/3PP3/2P2N1P/PPB2PP1/RNBQR1K1 w - - 0 12",
    "2rq1rk1/pb1nbppp/1p2pn2/2pp4/2PP4/1PN1PN2/PB2BPPP/2RQ1RK1 w - - 3 11",
    "r4rk1/1pp1qppp/p1np1n2/2b1p1B1/2B1P1b1/P1NP1N2/1PP1QPPP/R4RK1 w - - 0 10",
    "r1bqk2r/pp2bppp/2n1pn2/2pp4/3P4/2PBPN2/PP1N1PPP/R1BQK2R w KQkq - 0 7",
    "3r1rk1/p1q2ppp/1pn1pn2/2bp4/8/1PNBPN2/PBQ2PPP/3R1RK1 w - - 0 14",
    "r1bq1rk1/pp3ppp/2nbpn2/3p4/2PP4/2NBPN2/PP3PPP/R2QK2R w KQ - 1 8",
    "2r2rk1/1bqnbppp/pp1ppn2/8/2PNP3/1PN1BP2/P2QB1PP/2RR2K1 w - - 0 15",
    "r2qr1k1/1b1nbppp/p2p1n2/1pp1p3/4P3/2PP1N1P/PPBN1PP1/R1BQR1K1 w - - 0 13",
    "8/8/1p1k4/p2p4/P2P1K2/1P6/8/8 w - - 0 1",
    "8/5pk1/6p1/8/3R4/6P1/5PK1/1r6 w - - 0 40",
    "6k1/5ppp/8/8/8/8/5PPP/3R2K1 w - - 0 1",
    "8/8/4k3/3p4/3P4/4K3/8/8 w - - 0 1",
    "8/2k5/8/2P5/1K6/8/8/8 w - - 0 1",
    "4k3/8/8/8/8/8/4P3/4K3 w - - 0 1",
    "8/3k4/8/8/3K4/8/4Q3/8 w - - 0 1",
    "6k1/5p2/6p1/8/7P/6P1/5PK1/3q4 b - - 0 45",
    "8/pp3k2/2p1n1p1/5p2/2P2P2/1P4P1/P3NK2/8 b - - 0 30",
    "2r3k1/5ppp/8/1R6/8/8/5PPP/6K1 w - - 0 1",
    "r5k1/5ppp/1p6/p1p5/P1P5/1P6/5PPP/R5K1 w - - 0 25",
    "8/8/8/3k4/8/8/2KBN3/8 w - - 0 1",
    "1k6/1p6/1P6/8/4B3/8/5K2/8 w - - 0 1",
    "rnbqk2r/ppp1bppp/4pn2/3p2B1/2PP4/2N5/PP2PPPP/R2QKBNR w KQkq - 4 5",
    "r1bqkb1r/pp3ppp/2np1n2/1N2p3/4P3/2N5/PPP2PPP/R1BQKB1R w KQkq - 0 7",
};

