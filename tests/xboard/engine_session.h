// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// A live engine process for protocol tests: commands go to its standard input while it
// runs, and its output is read line by line with deadlines, so a test never hangs on an
// engine that stays silent.
#pragma once

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

using namespace std::chrono_literals;

class Board_BB64;

// A "move ..." line of the engine.
inline bool isMoveLine(const std::string &l) { return l.rfind("move ", 0) == 0; }
// Plays a move given in coordinate text on the test's own board; false if it is not
// legal there.
bool playMoveText(Board_BB64 &b, const std::string &text);

class EngineSession {
public:
    // Starts the engine in a fresh temporary folder, with "grelvin.ini" holding ini when
    // it is not empty, and the given command-line arguments. prepare, when given, gets
    // the folder's path to put more there before the engine starts.
    explicit EngineSession(const std::vector<std::string> &args = {}, const std::string &ini = {},
                           const std::function<void(const std::string &folder)> &prepare = {});
    // Starts another engine program the same way, without an ini file.
    EngineSession(const std::string &program, const std::vector<std::string> &args);
    ~EngineSession();
    EngineSession(const EngineSession &) = delete;
    EngineSession &operator=(const EngineSession &) = delete;

    void send(const std::string &line);
    // Ends the engine's input (as a GUI that goes away).
    void closeInput();

    // The first complete line from the read position on that matches; the read position
    // moves past it. Nothing when the deadline passes or the engine ends first.
    std::optional<std::string> waitFor(const std::function<bool(const std::string &)> &match,
                                       std::chrono::milliseconds timeout = 20s);
    std::optional<std::string> waitForLine(const std::string &line, std::chrono::milliseconds timeout = 20s);
    std::optional<std::string> waitForPrefix(const std::string &prefix, std::chrono::milliseconds timeout = 20s);
    // Sends "ping n" and waits for its "pong n": everything the commands before it
    // printed is then in lines(). Returns the lines from the read position to the pong.
    std::vector<std::string> sync(std::chrono::milliseconds timeout = 20s);

    // Every complete line so far, and the read position within them.
    const std::vector<std::string> &lines() const { return lines_; }
    size_t position() const { return next_; }
    // Reads whatever arrives within the given time without looking for anything.
    void drain(std::chrono::milliseconds time);

    // Waits for the process to end: its exit status, or -1 if it had to be killed.
    int waitExit(std::chrono::milliseconds timeout = 20s);
    // What the engine wrote to standard error (sanitizer reports end up here).
    std::string errorOutput() const;

private:
    void start(const std::string &program, const std::vector<std::string> &args, const std::string &ini,
               const std::function<void(const std::string &folder)> &prepare);
    bool readSome(std::chrono::milliseconds timeout);

    pid_t pid_ = -1;
    int toEngine_ = -1, fromEngine_ = -1;
    std::string dir_, partial_;
    std::vector<std::string> lines_;
    size_t next_ = 0;
    int pings_ = 0;
    int exitStatus_ = -2;
};
