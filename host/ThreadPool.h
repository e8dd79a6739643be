// The in-tree host's worker threads for the multi-thread suite: started on
// first use and kept until the host goes, as production hosts keep theirs,
// so that a plug-in splitting every frame pays for a hand-over, not for
// starting threads.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace horavex::host {

class ThreadPool {
public:
    ThreadPool();
    ThreadPool(const ThreadPool&) = delete;
    ThreadPool& operator=(const ThreadPool&) = delete;
    // Waits for the workers to finish what they hold.
    ~ThreadPool();

    // Runs task(0) .. task(count - 1), each on a worker of its own, all at
    // the same time (a task may wait for another), and returns when all are
    // done. Idle workers are taken first, more are started as needed. Several
    // threads may call it at once.
    void run(unsigned count, const std::function<void(unsigned)>& task);

    // Workers started so far.
    std::size_t workerCount() const;

private:
    struct Worker;
    void workerLoop(Worker& worker);

    mutable std::mutex mutex_;
    std::vector<std::unique_ptr<Worker>> workers_;
    bool stopping_ = false;
};

}  // namespace horavex::host
