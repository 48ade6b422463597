// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
#include "tests/xboard/engine_session.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "board/movegen.h"

namespace fs = std::filesystem;

bool playMoveText(Board_BB64 &b, const std::string &text) {
    Move m = NO_MOVE;
    if (!textToMove(b, text.c_str(), m)) return false;
    UndoInfo undo;
    b.makeMove(m, undo);
    return true;
}

EngineSession::EngineSession(const std::vector<std::string> &args, const std::string &ini,
                             const std::function<void(const std::string &folder)> &prepare)
    : EngineSession(GRELVIN_BINARY, args, ini, prepare) {}

EngineSession::EngineSession(const std::string &program, const std::vector<std::string> &args,
                             const std::string &ini, const std::function<void(const std::string &folder)> &prepare) {
    static int serial = 0;
    dir_ = (fs::temp_directory_path() /
            ("grelvin_session_" + std::to_string(getpid()) + "_" + std::to_string(serial++)))
               .string();
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    if (!ini.empty()) std::ofstream(fs::path(dir_) / "grelvin.ini", std::ios::binary) << ini;
    if (prepare) prepare(dir_);

    int in[2], out[2];
    if (pipe(in) != 0 || pipe(out) != 0) return;
    signal(SIGPIPE, SIG_IGN);  // an engine that has gone must not take the test with it
    pid_ = fork();
    if (pid_ == 0) {
        dup2(in[0], 0);
        dup2(out[1], 1);
        const std::string err = dir_ + "/stderr.txt";
        const int errFd = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (errFd >= 0) dup2(errFd, 2);
        close(in[0]), close(in[1]), close(out[0]), close(out[1]);
        if (chdir(dir_.c_str()) != 0) _exit(127);
        std::vector<char *> argv{const_cast<char *>(program.c_str())};
        for (const std::string &a : args) argv.push_back(const_cast<char *>(a.c_str()));
        argv.push_back(nullptr);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    close(in[0]);
    close(out[1]);
    toEngine_ = in[1];
    fromEngine_ = out[0];
}

EngineSession::~EngineSession() {
    if (exitStatus_ == -2 && pid_ > 0) {
        closeInput();
        if (waitExit(10s) == -1) kill(pid_, SIGKILL);
    }
    if (fromEngine_ >= 0) close(fromEngine_);
    fs::remove_all(dir_);
}

void EngineSession::send(const std::string &line) {
    if (toEngine_ < 0) return;
    const std::string text = line + "\n";
    for (size_t done = 0; done < text.size();) {
        const ssize_t n = write(toEngine_, text.data() + done, text.size() - done);
        if (n <= 0) return;
        done += size_t(n);
    }
}

void EngineSession::closeInput() {
    if (toEngine_ >= 0) close(toEngine_);
    toEngine_ = -1;
}

bool EngineSession::readSome(std::chrono::milliseconds timeout) {
    if (fromEngine_ < 0) return false;
    pollfd p{fromEngine_, POLLIN, 0};
    if (poll(&p, 1, int(timeout.count())) <= 0) return false;
    char buffer[65536];
    const ssize_t n = read(fromEngine_, buffer, sizeof buffer);
    if (n <= 0) {
        close(fromEngine_);
        fromEngine_ = -1;
        return false;
    }
    partial_.append(buffer, size_t(n));
    for (size_t nl; (nl = partial_.find('\n')) != std::string::npos;) {
        lines_.push_back(partial_.substr(0, nl));
        partial_.erase(0, nl + 1);
    }
    return true;
}

std::optional<std::string> EngineSession::waitFor(const std::function<bool(const std::string &)> &match,
                                                  std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        for (; next_ < lines_.size(); ++next_)
            if (match(lines_[next_])) return lines_[next_++];
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) return std::nullopt;
        if (!readSome(left) && fromEngine_ < 0) return std::nullopt;
    }
}

std::vector<std::string> EngineSession::sync(std::chrono::milliseconds timeout) {
    const size_t from = next_;
    const std::string pong = "pong " + std::to_string(++pings_ + 1000);
    send("ping " + std::to_string(pings_ + 1000));
    if (!waitForLine(pong, timeout)) return {"<no " + pong + ">"};
    return std::vector<std::string>(lines_.begin() + long(from), lines_.begin() + long(next_ - 1));
}

void EngineSession::drain(std::chrono::milliseconds time) {
    const auto deadline = std::chrono::steady_clock::now() + time;
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0 || (!readSome(left) && fromEngine_ < 0)) return;
    }
}

int EngineSession::waitExit(std::chrono::milliseconds timeout) {
    if (exitStatus_ != -2) return exitStatus_;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        int status = 0;
        if (waitpid(pid_, &status, WNOHANG) == pid_) {
            drain(100ms);
            exitStatus_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            return exitStatus_;
        }
        if (std::chrono::steady_clock::now() > deadline) {
            kill(pid_, SIGKILL);
            waitpid(pid_, &status, 0);
            exitStatus_ = -1;
            return -1;
        }
        readSome(20ms);
    }
}

std::string EngineSession::errorOutput() const {
    std::ifstream f(fs::path(dir_) / "stderr.txt", std::ios::binary);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}
