// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// An engine process for protocol tests: its output is read with deadlines, so a silent
// engine fails a test instead of hanging it.
#pragma once

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

using namespace std::chrono_literals;

class Board_BB64;

inline bool isMoveLine(const std::string &l) { return l.rfind("move ", 0) == 0; }
// Plays a coordinate move on the test's own board; false if it is not legal there.
bool playMoveText(Board_BB64 &b, const std::string &text);

class EngineSession {
public:
    // In a fresh folder with ini as "grelvin.ini"; prepare may put more files there.
    explicit EngineSession(const std::vector<std::string> &args = {}, const std::string &ini = {},
                           const std::function<void(const std::string &folder)> &prepare = {});
    // Another engine program.
    EngineSession(const std::string &program, const std::vector<std::string> &args, const std::string &ini = {},
                  const std::function<void(const std::string &folder)> &prepare = {});
    ~EngineSession();
    EngineSession(const EngineSession &) = delete;
    EngineSession &operator=(const EngineSession &) = delete;

    void send(const std::string &line);
    void closeInput();

    // The next matching line from the read position on, or nothing by the deadline.
    std::optional<std::string> waitFor(const std::function<bool(const std::string &)> &match,
                                       std::chrono::milliseconds timeout = 20s);
    std::optional<std::string> waitForLine(const std::string &line, std::chrono::milliseconds timeout = 20s) {
        return waitFor([&](const std::string &l) { return l == line; }, timeout);
    }
    std::optional<std::string> waitForPrefix(const std::string &prefix, std::chrono::milliseconds timeout = 20s) {
        return waitFor([&](const std::string &l) { return l.rfind(prefix, 0) == 0; }, timeout);
    }
    // Sends a ping and returns the lines from the read position to its pong.
    std::vector<std::string> sync(std::chrono::milliseconds timeout = 20s);

    // Every complete line so far, and the read position.
    const std::vector<std::string> &lines() const { return lines_; }
    size_t position() const { return next_; }
    // Reads whatever arrives within the time.
    void drain(std::chrono::milliseconds time);

    // Waits for the process to end: its exit status, or -1 if it had to be killed.
    int waitExit(std::chrono::milliseconds timeout = 20s);
    std::string errorOutput() const;

private:
    bool readSome(std::chrono::milliseconds timeout);

    pid_t pid_ = -1;
    int toEngine_ = -1, fromEngine_ = -1;
    std::string dir_, partial_;
    std::vector<std::string> lines_;
    size_t next_ = 0;
    int pings_ = 0;
    int exitStatus_ = -2;
};
