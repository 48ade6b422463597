#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
# Copyright (C) 2026 The GrelvinBB authors
"""Writes start positions for matches: N positions reached by random legal moves from
the initial position, kept only when Debian's stockfish (a UCI engine used as a judge)
scores them within a small margin at a modest depth, so that both sides start level.
Each position is played with both colours (xboard -lpf FILE -lpi -2).

    scripts/make-openings.py [-n 100] [-p 8] [-m 60] [-s 1] > scripts/openings.fen
"""
import argparse
import random
import subprocess
import sys


class Judge:
    def __init__(self, command):
        self.p = subprocess.Popen([command], stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True, bufsize=1)
        self.send("uci")
        self.wait("uciok")

    def send(self, line):
        self.p.stdin.write(line + "\n")

    def wait(self, prefix):
        lines = []
        while True:
            line = self.p.stdout.readline()
            if not line:
                sys.exit("the judge engine ended")
            lines.append(line.strip())
            if line.startswith(prefix):
                return lines

    def legal(self, moves):
        self.send("position startpos moves " + " ".join(moves))
        self.send("go perft 1")
        out = self.wait("Nodes searched")
        return [l.split(":")[0] for l in out if ":" in l and not l.startswith("Nodes")]

    def score(self, moves, depth):
        self.send("position startpos moves " + " ".join(moves))
        self.send(f"go depth {depth}")
        out = self.wait("bestmove")
        cp = None
        for l in out:
            f = l.split()
            if "score" in f:
                i = f.index("score")
                cp = int(f[i + 2]) if f[i + 1] == "cp" else 100000
        return cp

    def fen(self, moves):
        self.send("position startpos moves " + " ".join(moves))
        self.send("d")
        for l in self.wait("Checkers"):
            if l.startswith("Fen:"):
                return l[5:].strip()


def main():
    a = argparse.ArgumentParser()
    a.add_argument("-n", type=int, default=100, help="positions")
    a.add_argument("-p", type=int, default=8, help="random plies from the start")
    a.add_argument("-m", type=int, default=60, help="largest |score| in centipawns")
    a.add_argument("-d", type=int, default=10, help="judge's depth")
    a.add_argument("-s", type=int, default=1, help="random seed")
    a.add_argument("-e", default="/usr/games/stockfish", help="judge engine")
    args = a.parse_args()
    rng = random.Random(args.s)
    judge = Judge(args.e)
    seen = set()
    while len(seen) < args.n:
        moves = []
        for _ in range(args.p):
            legal = judge.legal(moves)
            if not legal:
                break
            moves.append(rng.choice(legal))
        if len(moves) < args.p:
            continue
        cp = judge.score(moves, args.d)
        if cp is None or abs(cp) > args.m:
            continue
        fen = judge.fen(moves)
        if fen not in seen:
            seen.add(fen)
            print(fen, flush=True)
    judge.send("quit")


if __name__ == "__main__":
    main()
