// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// The search threads: a worker that sleeps until the command loop hands it work, and
// the search thread built on it, which owns a board copy and a search state.
//
// Hand-over: the main thread wakes a worker (idle -> work); the job runs without any
// lock held; when it returns the worker goes back to idle and signals, so a thread
// waiting for it (the main thread, or thread 0 stopping its helpers) wakes up.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>

#include "search/search.h"

class Thread {
public:
    virtual ~Thread();
    virtual void run() = 0;

protected:
    // Starts the operating-system thread on first use; later calls do nothing.
    void startOnce();
    void join();

private:
    std::unique_ptr<std::thread> thread_;
};

class WorkerThread : public Thread {
public:
    enum State : uint32_t { IDLE = 0, WORK = 1, EXIT = 2 };
    using Job = void (*)(uint32_t index, void *argument);

    WorkerThread(uint32_t index, Job job, void *argument);
    ~WorkerThread() override;
    void run() override;

    uint32_t index() const { return index_; }
    bool busy() const { return state_.load(std::memory_order_acquire) == WORK; }
    // idle -> work, starting the operating-system thread the first time.
    void wake();
    // Blocks until the worker is not busy.
    void waitUntilIdle();
    // Waits until idle, then tells the worker to leave its loop.
    void shutdown();
    // The lock of the worker's state; stop requests take it too.
    std::mutex &stateLock() { return mutex_; }

protected:
    // Runs under the worker's lock just before it is set to work.
    virtual void beforeWork() {}
    std::mutex mutex_;
    std::condition_variable signal_;

private:
    Job job_;
    void *argument_;
    std::atomic<uint32_t> state_{IDLE};
    uint32_t index_;
};

class SearchThread : public WorkerThread {
public:
    SearchThread(uint32_t index, Job job, void *argument);

    SearchState &state() { return *state_; }
    const SearchState &state() const { return *state_; }
    // Sets the stop flag (and the abort flag: the result is to be thrown away), wakes
    // the thread and waits until it is idle.
    void stopAndWait(bool abort);

protected:
    // The flags are cleared at wake time rather than when the search begins, so a stop
    // that arrives before the search has started is not lost.
    void beforeWork() override;

private:
    std::unique_ptr<SearchState> state_;  // large (a board with its history): on the heap
};

// The pool: n search threads, all searching the same position when woken.
class ThreadPool {
public:
    ThreadPool(uint32_t count, WorkerThread::Job job, void *argument);
    ~ThreadPool();

    uint32_t size() const { return count_; }
    SearchThread &operator[](uint32_t i) { return *threads_[i]; }
    const SearchThread &operator[](uint32_t i) const { return *threads_[i]; }
    bool anyBusy() const;
    // Wakes every thread for a search (helpers first, see the .cpp).
    void wakeAll();
    // Stops every busy thread with the given abort flag and waits; from = 1 leaves
    // thread 0 alone (thread 0 stopping its helpers).
    void stopAll(bool abort, uint32_t from = 0);
    uint64_t totalNodes() const;
    uint64_t totalTbHits() const;

private:
    uint32_t count_;
    std::unique_ptr<std::unique_ptr<SearchThread>[]> threads_;
};
