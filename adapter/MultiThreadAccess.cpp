#include "adapter/MultiThreadAccess.h"

#include <atomic>
#include <exception>
#include <memory>
#include <mutex>
#include <vector>

namespace horavex {
namespace {

struct BandWork {
    const std::function<void(unsigned)>* work = nullptr;
    unsigned bands = 0;
    std::unique_ptr<std::atomic<bool>[]> done;
    // Nothing may be thrown through the host's threads: the first failure
    // is carried back to the calling thread.
    std::mutex failureLock;
    std::exception_ptr failure;
};

// Each of the host's threads takes every n-th band, so bands and thread
// counts need not match.
void runBands(unsigned int threadIndex, unsigned int threadMax, void* customArg) {
    auto* job = static_cast<BandWork*>(customArg);
    if (threadMax == 0) {
        return;
    }
    for (unsigned band = threadIndex; band < job->bands; band += threadMax) {
        try {
            (*job->work)(band);
        } catch (...) {
            const std::lock_guard<std::mutex> guard(job->failureLock);
            if (job->failure == nullptr) {
                job->failure = std::current_exception();
            }
        }
        job->done[band].store(true, std::memory_order_release);
    }
}

}  // namespace

unsigned hostThreadCount(const HostSuites& suites) {
    const OfxMultiThreadSuiteV1* mt = suites.multiThreadSuite;
    if (mt == nullptr || mt->multiThread == nullptr || mt->multiThreadNumCPUs == nullptr) {
        return 1;
    }
    if (mt->multiThreadIsSpawnedThread != nullptr && mt->multiThreadIsSpawnedThread() != 0) {
        return 1;
    }
    unsigned int cpus = 0;
    if (mt->multiThreadNumCPUs(&cpus) != kOfxStatOK || cpus == 0) {
        return 1;
    }
    // Bands beyond a few per CPU only add overhead.
    constexpr unsigned kMaxThreads = 256;
    return cpus < kMaxThreads ? cpus : kMaxThreads;
}

BandRunner hostBandRunner(const HostSuites& suites) {
    const OfxMultiThreadSuiteV1* mt = suites.multiThreadSuite;
    return [mt](unsigned bands, const std::function<void(unsigned)>& work) {
        BandWork job;
        job.work = &work;
        job.bands = bands;
        job.done = std::make_unique<std::atomic<bool>[]>(bands);
        if (mt != nullptr && mt->multiThread != nullptr) {
            mt->multiThread(runBands, bands, &job);
        }
        for (unsigned band = 0; band < bands; ++band) {
            if (!job.done[band].load(std::memory_order_acquire)) {
                work(band);
            }
        }
        if (job.failure != nullptr) {
            std::rethrow_exception(job.failure);
        }
    };
}

}  // namespace horavex
