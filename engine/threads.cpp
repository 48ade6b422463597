// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// Search threads and their pool.
#include "engine/threads.h"

Thread::~Thread() { join(); }

void Thread::startOnce() {
    if (!thread_) thread_ = std::make_unique<std::thread>([this] { run(); });
}

void Thread::join() {
    if (thread_ && thread_->joinable()) thread_->join();
    thread_.reset();
}

WorkerThread::WorkerThread(uint32_t index, Job job, void *argument)
    : job_(job), argument_(argument), index_(index) {}

WorkerThread::~WorkerThread() {
    shutdown();
    {
        std::lock_guard<std::mutex> lock(mutex_);
        signal_.notify_all();
    }
    // Joined here, while the mutex and condition variable still exist.
    join();
}

void WorkerThread::run() {
    for (;;) {
        {
            std::unique_lock<std::mutex> lock(mutex_);
            while (state_.load(std::memory_order_relaxed) == IDLE) {
                signal_.notify_all();
                signal_.wait(lock);
            }
            if (state_.load(std::memory_order_relaxed) == EXIT) return;
        }
        job_(index_, argument_);
        std::lock_guard<std::mutex> lock(mutex_);
        if (state_.load(std::memory_order_relaxed) == EXIT) return;
        state_.store(IDLE, std::memory_order_release);
        signal_.notify_all();
    }
}

void WorkerThread::wake() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (state_.load(std::memory_order_relaxed) == EXIT) return;
    beforeWork();
    state_.store(WORK, std::memory_order_release);
    startOnce();
    signal_.notify_all();
}

void WorkerThread::waitUntilIdle() {
    std::unique_lock<std::mutex> lock(mutex_);
    signal_.wait(lock, [this] { return state_.load(std::memory_order_relaxed) != WORK; });
}

void WorkerThread::shutdown() {
    std::unique_lock<std::mutex> lock(mutex_);
    signal_.wait(lock, [this] { return state_.load(std::memory_order_relaxed) != WORK; });
    state_.store(EXIT, std::memory_order_release);
    signal_.notify_all();
}

SearchThread::SearchThread(uint32_t index, Job job, void *argument)
    : WorkerThread(index, job, argument), state_(std::make_unique<SearchState>()) {
    state_->threadIndex = index;
    state_->board.setFromFEN(START_FEN);
}

void SearchThread::beforeWork() {
    state_->stop.store(false, std::memory_order_relaxed);
    state_->abort.store(false, std::memory_order_relaxed);
}

void SearchThread::stopAndWait(bool abort) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (abort) state_->abort.store(true, std::memory_order_relaxed);
        state_->requestStop();
        signal_.notify_all();
    }
    waitUntilIdle();
}

ThreadPool::ThreadPool(uint32_t count, WorkerThread::Job job, void *argument)
    : count_(count), threads_(std::make_unique<std::unique_ptr<SearchThread>[]>(count)) {
    for (uint32_t i = 0; i < count; ++i) threads_[i] = std::make_unique<SearchThread>(i, job, argument);
}

ThreadPool::~ThreadPool() {
    for (uint32_t i = 0; i < count_; ++i) threads_[i]->shutdown();
    for (uint32_t i = 0; i < count_; ++i) threads_[i].reset();
}

bool ThreadPool::anyBusy() const {
    for (uint32_t i = 0; i < count_; ++i)
        if (threads_[i]->busy()) return true;
    return false;
}

// Helpers are woken before thread 0: thread 0 may end at once (a book or random move)
// and stop its helpers, and a helper woken after that would search on unnoticed while
// thread 0 plays its move on the game board the helper is copying.
void ThreadPool::wakeAll() {
    for (uint32_t i = count_; i-- > 0;) threads_[i]->wake();
}

void ThreadPool::stopAll(bool abort, uint32_t from) {
    for (uint32_t i = from; i < count_; ++i)
        if (threads_[i]->busy()) threads_[i]->stopAndWait(abort);
}

uint64_t ThreadPool::totalNodes() const {
    uint64_t n = 0;
    for (uint32_t i = 0; i < count_; ++i) n += threads_[i]->state().stats.nodes.load();
    return n;
}

uint64_t ThreadPool::totalTbHits() const {
    uint64_t n = 0;
    for (uint32_t i = 0; i < count_; ++i) n += threads_[i]->state().stats.tbHits.load();
    return n;
}
