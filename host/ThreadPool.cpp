#include "host/ThreadPool.h"

namespace horavex::host {
namespace {

struct Completion {
    std::mutex mutex;
    std::condition_variable done;
    unsigned remaining = 0;

    void finishOne() {
        std::lock_guard lock(mutex);
        if (--remaining == 0) {
            done.notify_all();
        }
    }
};

}  // namespace

struct ThreadPool::Worker {
    std::condition_variable wake;
    std::function<void()> job;  // guarded by the pool's mutex
    bool busy = false;          // holds a job, or runs one
    std::thread thread;
};

ThreadPool::ThreadPool() = default;

ThreadPool::~ThreadPool() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
        for (auto& worker : workers_) {
            worker->wake.notify_one();
        }
    }
    for (auto& worker : workers_) {
        worker->thread.join();
    }
}

std::size_t ThreadPool::workerCount() const {
    std::lock_guard lock(mutex_);
    return workers_.size();
}

void ThreadPool::workerLoop(Worker& worker) {
    std::unique_lock lock(mutex_);
    for (;;) {
        worker.wake.wait(lock, [&] { return stopping_ || worker.job != nullptr; });
        if (worker.job == nullptr) {
            return;
        }
        std::function<void()> job = std::move(worker.job);
        worker.job = nullptr;
        lock.unlock();
        job();
        lock.lock();
        worker.busy = false;
    }
}

void ThreadPool::run(unsigned count, const std::function<void(unsigned)>& task) {
    if (count == 0) {
        return;
    }
    Completion completion;
    completion.remaining = count;
    {
        std::lock_guard lock(mutex_);
        unsigned next = 0;
        auto hand = [&](Worker& worker) {
            const unsigned index = next++;
            worker.busy = true;
            worker.job = [&task, &completion, index] {
                task(index);
                completion.finishOne();
            };
            worker.wake.notify_one();
        };
        for (auto& worker : workers_) {
            if (next == count) {
                break;
            }
            if (!worker->busy) {
                hand(*worker);
            }
        }
        while (next < count) {
            auto worker = std::make_unique<Worker>();
            Worker& started = *worker;
            workers_.push_back(std::move(worker));
            hand(started);
            started.thread = std::thread([this, &started] { workerLoop(started); });
        }
    }
    std::unique_lock lock(completion.mutex);
    completion.done.wait(lock, [&completion] { return completion.remaining == 0; });
}

}  // namespace horavex::host
