# SPDX-License-Identifier: GPL-3.0-or-later
# Copyright (C) 2026 The GrelvinBB authors
"""A UCI engine as a child process, for the scripts that drive one (make-openings.py,
strength-moves.py): send a line, read up to a line, search a position, read its FEN."""
import subprocess
import sys


class UciEngine:
    def __init__(self, command, options=()):
        self.p = subprocess.Popen([command], stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True, bufsize=1)
        self.send("uci")
        self.wait("uciok")
        for name, value in options:
            self.send(f"setoption name {name} value {value}")
        self.send("isready")
        self.wait("readyok")

    def send(self, line):
        self.p.stdin.write(line + "\n")

    def wait(self, prefix):
        """Every line up to and with the first that starts with prefix."""
        lines = []
        while True:
            line = self.p.stdout.readline()
            if not line:
                sys.exit("the engine ended")
            lines.append(line.strip())
            if line.startswith(prefix):
                return lines

    def position(self, fen, moves):
        where = f"fen {fen}" if fen else "startpos"
        self.send(f"position {where}" + (" moves " + " ".join(moves) if moves else ""))

    def go(self, fen, moves, go):
        """The best move and the last score (cp; a mate as +-(30000 - plies)), or None."""
        self.position(fen, moves)
        self.send(go)
        out = self.wait("bestmove")
        score = None
        for l in out:
            f = l.split()
            if "score" in f:
                i = f.index("score")
                v = int(f[i + 2])
                score = v if f[i + 1] == "cp" else (30000 - abs(v)) * (1 if v > 0 else -1)
        return out[-1].split()[1], score

    def fen(self, fen, moves):
        """The FEN of a position, from the engine's "d" (its "Fen: ..." line)."""
        self.position(fen, moves)
        self.send("d")
        for l in self.wait("Fen:"):
            if l.startswith("Fen:"):
                return l[5:].strip()

    def close(self):
        self.send("quit")
        self.p.wait()
