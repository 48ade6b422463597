// The background thread of one search state.
#include "engine/search_thread.h"

SearchThread::SearchThread(uint32_t index) : state_(std::make_unique<SearchState>()) {
    state_->threadIndex = index;
}

SearchThread::~SearchThread() { stop(); }

void SearchThread::join() {
    if (thread_.joinable()) thread_.join();
}

void SearchThread::start(std::function<void()> job) {
    join();
    // Flags are cleared here rather than by the search, so a stop that arrives before
    // the thread gets going is not lost.
    state_->stop.store(false, std::memory_order_relaxed);
    state_->abort.store(false, std::memory_order_relaxed);
    busy_.store(true, std::memory_order_release);
    thread_ = std::thread([this, job = std::move(job)] {
        job();
        busy_.store(false, std::memory_order_release);
    });
}

void SearchThread::stop() {
    state_->abort.store(true, std::memory_order_relaxed);
    state_->requestStop();
    join();
}
