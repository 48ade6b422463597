// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// The engine timed through the XBoard protocol, as an interface sees it: the engine runs
// as a child process with its default tables, in an empty folder (no ini file, no book).
//
//   protocol_bench [--engine PATH] [--runs N] [--depth D]
//       For depths 1..D (default 8), in N fresh processes each (default 3, medians
//       quoted): the time to "feature done=1", the time "new" takes ("new" + "ping" until
//       "pong"), the start position searched by "sd d" + "go" until the "move" line,
//       first in the fresh process, then after "new" in three later games of it, then on
//       a warm table (after "new" and a search of another position).
//   protocol_bench --nps [--engine PATH] [--depth D] < fens
//   protocol_bench --nps --uci [--engine PATH] [--depth D] < fens   (the UCI face, grelvin-uci)
//       Each FEN after "new" + "setboard", searched to depth D (default 10): the nodes
//       and time of the engine's statistics lines summed into nodes per second.
//   protocol_bench --ready [--engine PATH] [--runs N] [--hash MB]   (grelvin-uci)
//       In N fresh processes (default 5): the time to "uciok" and the memory resident
//       then; "setoption name Hash value MB" (default 1024) + "isready" until "readyok";
//       then "go movetime 200" on the start position twice, first and warm, each timed
//       from "go" to "bestmove".
//
// PATH defaults to the grelvin binary beside this program.
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cinttypes>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;
constexpr const char *START_FEN = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";
// Searched after a "new" before the warm run: no position of it is reached from the
// start position, so the warm search visits the same nodes as the first one.
constexpr const char *OTHER_FEN = "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1";
// Deep enough to write all over both tables, whatever the depth measured.
constexpr int WARMING_DEPTH = 8;
constexpr int LATER_GAMES = 3;
constexpr int ANSWER_TIMEOUT_S = 120;

double secondsSince(Clock::time_point t) { return std::chrono::duration<double>(Clock::now() - t).count(); }

[[noreturn]] void fail(const std::string &what) {
    std::fprintf(stderr, "protocol_bench: %s\n", what.c_str());
    std::exit(1);
}

// What the engine's "# total nodes = N, ..., time = T, nps = ..." line says.
struct SearchStats {
    uint64_t nodes = 0;
    uint64_t timeCs = 0;
};

// One engine process on a pair of pipes.
class Engine {
public:
    Engine(const std::string &path, const std::string &folder) {
        int in[2], out[2];
        if (pipe(in) != 0 || pipe(out) != 0) fail("pipe failed");
        started_ = Clock::now();
        pid_ = fork();
        if (pid_ < 0) fail("fork failed");
        if (pid_ == 0) {
            dup2(in[0], 0);
            dup2(out[1], 1);
            close(in[0]), close(in[1]), close(out[0]), close(out[1]);
            if (chdir(folder.c_str()) != 0) _exit(127);
            execl(path.c_str(), path.c_str(), static_cast<char *>(nullptr));
            _exit(127);
        }
        close(in[0]);
        close(out[1]);
        toEngine_ = in[1];
        fromEngine_ = out[0];
    }
    ~Engine() {
        send("quit");
        close(toEngine_);
        close(fromEngine_);
        int status = 0;
        waitpid(pid_, &status, 0);
    }

    Clock::time_point started() const { return started_; }
    // The engine's resident memory now, in MB (VmRSS).
    double residentMB() const {
        std::ifstream status("/proc/" + std::to_string(pid_) + "/status");
        for (std::string line; std::getline(status, line);)
            if (line.rfind("VmRSS:", 0) == 0) return std::strtod(line.c_str() + 6, nullptr) / 1024;
        return 0;
    }

    void send(const std::string &line) {
        const std::string text = line + "\n";
        if (write(toEngine_, text.data(), text.size()) != ssize_t(text.size())) fail("engine input closed");
    }

    // Reads lines until one starts with prefix; returns it.
    std::string waitFor(const std::string &prefix) {
        for (;;) {
            std::string line = readLine();
            if (line.rfind(prefix, 0) == 0) return line;
            if (line.rfind("# total nodes = ", 0) == 0) lastStats_ = parseStats(line);
        }
    }

    // "new" and a ping: returns the seconds until the pong.
    double newGame() {
        const auto t = Clock::now();
        send("new");
        const std::string pong = "pong " + std::to_string(++pings_);
        send("ping " + std::to_string(pings_));
        waitFor(pong);
        return secondsSince(t);
    }

    // "go" until the "move" line: the seconds in between and the engine's statistics.
    double searchToMove(SearchStats &stats) {
        lastStats_ = {};
        const auto t = Clock::now();
        send("go");
        waitFor("move ");
        const double s = secondsSince(t);
        stats = lastStats_;
        return s;
    }

private:
    static SearchStats parseStats(const std::string &line) {
        SearchStats s;
        s.nodes = std::strtoull(line.c_str() + std::strlen("# total nodes = "), nullptr, 10);
        const size_t t = line.find("time = ");
        if (t != std::string::npos) s.timeCs = std::strtoull(line.c_str() + t + 7, nullptr, 10);
        return s;
    }

    std::string readLine() {
        for (;;) {
            const size_t eol = buffer_.find('\n');
            if (eol != std::string::npos) {
                std::string line = buffer_.substr(0, eol);
                buffer_.erase(0, eol + 1);
                return line;
            }
            pollfd p{fromEngine_, POLLIN, 0};
            const int ready = poll(&p, 1, ANSWER_TIMEOUT_S * 1000);
            if (ready == 0) fail("no answer from the engine");
            if (ready < 0 && errno == EINTR) continue;
            char chunk[4096];
            const ssize_t n = read(fromEngine_, chunk, sizeof chunk);
            if (n <= 0) fail("the engine closed its output");
            buffer_.append(chunk, size_t(n));
        }
    }

    pid_t pid_ = -1;
    int toEngine_ = -1, fromEngine_ = -1;
    std::string buffer_;
    Clock::time_point started_;
    SearchStats lastStats_;
    int pings_ = 0;
};

// Starts the engine and waits for the end of its feature list; returns the seconds from
// the start of the process. residentMB: the engine's memory at that moment.
double handshake(Engine &e, double *residentMB = nullptr) {
    e.send("xboard");
    e.send("protover 2");
    e.waitFor("feature done=1");
    const double s = secondsSince(e.started());
    if (residentMB) *residentMB = e.residentMB();
    e.send("nobook");
    return s;
}

double median(std::vector<double> v) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

struct DepthRow {
    std::vector<double> fresh, later, warm, newFresh, newLater;
    uint64_t nodesFirst = 0, nodesLater = 0, nodesWarm = 0;
};

void runDepth(const std::string &engine, const std::string &folder, int depth, int runs, DepthRow &row,
              std::vector<double> &startup, std::vector<double> &resident) {
    const std::string sd = "sd " + std::to_string(depth);
    SearchStats st;
    for (int r = 0; r < runs; ++r) {
        Engine e(engine, folder);
        double mb = 0;
        startup.push_back(handshake(e, &mb));
        resident.push_back(mb);
        for (int game = 0; game <= LATER_GAMES; ++game) {
            const double newTime = e.newGame();
            e.send(sd);
            const double searchTime = e.searchToMove(st);
            (game == 0 ? row.newFresh : row.newLater).push_back(newTime);
            (game == 0 ? row.fresh : row.later).push_back(searchTime);
            (game == 0 ? row.nodesFirst : row.nodesLater) = st.nodes;
        }
        e.newGame();
        e.send("setboard " + std::string(OTHER_FEN));
        e.send("sd " + std::to_string(WARMING_DEPTH));
        e.searchToMove(st);
        e.send("force");
        e.send("setboard " + std::string(START_FEN));
        e.send(sd);
        row.warm.push_back(e.searchToMove(st));
        row.nodesWarm = st.nodes;
    }
}

int firstSearchTable(const std::string &engine, const std::string &folder, int maxDepth, int runs) {
    std::printf("First search of the start position after \"new\" (engine %s, default tables,\n"
                "median of %d fresh processes; times in ms from \"go\" to \"move\")\n",
                engine.c_str(), runs);
    std::printf("%5s %8s %9s %9s %9s %8s %8s %9s\n", "depth", "nodes", "fresh", "later", "warm", "fresh/w",
                "later/w", "nodes(w)");
    std::vector<double> startup, resident, newFresh, newLater;
    for (int depth = 1; depth <= maxDepth; ++depth) {
        DepthRow row;
        runDepth(engine, folder, depth, runs, row, startup, resident);
        const double fresh = median(row.fresh), later = median(row.later), warm = median(row.warm);
        std::printf("%5d %8" PRIu64 " %9.1f %9.1f %9.1f %8.2f %8.2f %9" PRIu64 "%s\n", depth, row.nodesFirst,
                    fresh * 1000, later * 1000, warm * 1000, warm > 0 ? fresh / warm : 0.0,
                    warm > 0 ? later / warm : 0.0, row.nodesWarm,
                    row.nodesLater != row.nodesFirst || row.nodesWarm != row.nodesFirst ? "  (node counts differ)" : "");
        newFresh.insert(newFresh.end(), row.newFresh.begin(), row.newFresh.end());
        newLater.insert(newLater.end(), row.newLater.begin(), row.newLater.end());
    }
    std::printf("start-up to \"feature done=1\": median %.1f ms, max %.1f ms; resident then: median %.1f MB\n",
                median(startup) * 1000, *std::max_element(startup.begin(), startup.end()) * 1000,
                median(resident));
    std::printf("\"new\" + ping: first in a process median %.1f ms (max %.1f), later median %.1f ms (max %.1f)\n",
                median(newFresh) * 1000, *std::max_element(newFresh.begin(), newFresh.end()) * 1000,
                median(newLater) * 1000, *std::max_element(newLater.begin(), newLater.end()) * 1000);
    return 0;
}

// The summary of a run over the fixed-depth positions: the engine's own nodes and time,
// and the wall time from "go" to the answer.
void printNps(const char *through, const char *answer, int positions, int depth, uint64_t nodes, double seconds,
              double wall) {
    std::printf("Positions: %d (depth %d, default tables, through %s)\n", positions, depth, through);
    std::printf("Nodes searched: %" PRIu64 "\n", nodes);
    std::printf("Time (s): %.3f (go to %s: %.3f)\n", seconds, answer, wall);
    std::printf("Nodes/second: %.0f\n", seconds > 0 ? double(nodes) / seconds : 0.0);
}

int protocolNps(const std::string &engine, const std::string &folder, int depth) {
    Engine e(engine, folder);
    handshake(e);
    uint64_t nodes = 0, timeCs = 0;
    double wall = 0;
    std::string fen;
    int positions = 0;
    while (std::getline(std::cin, fen)) {
        if (fen.empty()) continue;
        e.newGame();
        e.send("setboard " + fen);
        e.send("sd " + std::to_string(depth));
        SearchStats st;
        wall += e.searchToMove(st);
        nodes += st.nodes;
        timeCs += st.timeCs;
        ++positions;
    }
    printNps("the protocol", "move", positions, depth, nodes, double(timeCs) / 100, wall);
    return 0;
}

// The same through the UCI face: "ucinewgame" (fresh tables, as "new"), "position fen",
// "go depth"; the nodes and the time are those of the closing "info nodes" line.
int uciNps(const std::string &engine, const std::string &folder, int depth) {
    Engine e(engine, folder);
    e.send("uci");
    e.waitFor("uciok");
    e.send("setoption name OwnBook value false");
    uint64_t nodes = 0, timeMs = 0;
    double wall = 0;
    int positions = 0;
    for (std::string fen; std::getline(std::cin, fen);) {
        if (fen.empty()) continue;
        e.send("ucinewgame");
        e.send("position fen " + fen);
        e.send("isready");
        e.waitFor("readyok");
        const auto t = Clock::now();
        e.send("go depth " + std::to_string(depth));
        for (std::string line; (line = e.waitFor("")).rfind("bestmove", 0) != 0;) {
            if (line.rfind("info nodes ", 0) != 0) continue;
            nodes += std::strtoull(line.c_str() + 11, nullptr, 10);
            const size_t at = line.find(" time ");
            if (at != std::string::npos) timeMs += std::strtoull(line.c_str() + at + 6, nullptr, 10);
        }
        wall += secondsSince(t);
        ++positions;
    }
    printNps("the UCI face", "bestmove", positions, depth, nodes, double(timeMs) / 1000, wall);
    return 0;
}

// "go movetime 200" from "go" to "bestmove", in seconds.
double moveTimeSearch(Engine &e) {
    e.send("position startpos");
    const auto t = Clock::now();
    e.send("go movetime 200");
    e.waitFor("bestmove");
    return secondsSince(t);
}

// Whether a table resize is finished before "readyok": the first search after it must
// take no longer than a warm one.
int uciReady(const std::string &engine, const std::string &folder, int runs, int hashMB) {
    std::vector<double> startup, resident, ready, first, warm;
    for (int r = 0; r < runs; ++r) {
        Engine e(engine, folder);
        e.send("uci");
        e.waitFor("uciok");
        startup.push_back(secondsSince(e.started()));
        resident.push_back(e.residentMB());
        e.send("setoption name OwnBook value false");
        e.send("setoption name Hash value " + std::to_string(hashMB));
        const auto t = Clock::now();
        e.send("isready");
        e.waitFor("readyok");
        ready.push_back(secondsSince(t));
        first.push_back(moveTimeSearch(e));
        warm.push_back(moveTimeSearch(e));
    }
    std::printf("UCI face (engine %s), median of %d fresh processes:\n", engine.c_str(), runs);
    std::printf("start-up to \"uciok\": median %.1f ms, max %.1f ms; resident then: median %.1f MB, max %.1f MB\n",
                median(startup) * 1000, *std::max_element(startup.begin(), startup.end()) * 1000, median(resident),
                *std::max_element(resident.begin(), resident.end()));
    std::printf("\"setoption name Hash value %d\" + \"isready\" to \"readyok\": median %.1f ms, max %.1f ms\n", hashMB,
                median(ready) * 1000, *std::max_element(ready.begin(), ready.end()) * 1000);
    std::printf("\"go movetime 200\" to \"bestmove\": first %.1f ms (max %.1f), warm %.1f ms (max %.1f), "
                "first/warm %.3f\n",
                median(first) * 1000, *std::max_element(first.begin(), first.end()) * 1000, median(warm) * 1000,
                *std::max_element(warm.begin(), warm.end()) * 1000, median(first) / median(warm));
    return 0;
}

std::string besideThisProgram(const char *name) {
    char self[4096];
    const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    if (n <= 0) return name;
    std::string dir(self, size_t(n));
    return dir.substr(0, dir.rfind('/') + 1) + name;
}

}  // namespace

int main(int argc, char **argv) {
    std::signal(SIGPIPE, SIG_IGN);
    std::string engine;
    bool nps = false, uci = false, ready = false;
    int runs = 3, depth = -1, hashMB = 1024;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--nps") nps = true;
        else if (a == "--uci") uci = true;
        else if (a == "--ready") ready = uci = true;
        else if (a == "--hash" && i + 1 < argc) hashMB = std::max(1, std::atoi(argv[++i]));
        else if (a == "--engine" && i + 1 < argc) engine = argv[++i];
        else if (a == "--runs" && i + 1 < argc) runs = std::max(1, std::atoi(argv[++i]));
        else if (a == "--depth" && i + 1 < argc) depth = std::max(1, std::atoi(argv[++i]));
        else fail("usage: protocol_bench [--nps [--uci] | --ready [--hash MB]] [--engine PATH] [--runs N] [--depth D]");
    }
    if (engine.empty()) engine = besideThisProgram(uci ? "grelvin-uci" : "grelvin");
    if (access(engine.c_str(), X_OK) != 0) fail("no engine at " + engine);
    char folder[] = "/tmp/protocol_bench.XXXXXX";
    if (!mkdtemp(folder)) fail("cannot make a working folder");
    const int rc = ready      ? uciReady(engine, folder, runs, hashMB)
                   : nps && uci ? uciNps(engine, folder, depth < 0 ? 10 : depth)
                   : nps      ? protocolNps(engine, folder, depth < 0 ? 10 : depth)
                       : firstSearchTable(engine, folder, depth < 0 ? 8 : depth, runs);
    rmdir(folder);
    return rc;
}
