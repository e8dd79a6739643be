// OfxMultiThreadSuiteV1: runs the plug-in's function on the host's worker
// threads (the calling thread taking index 0) or serially, and offers real
// recursive mutexes.
#include "host/HandleRegistry.h"
#include "host/Host.h"
#include "host/Suites.h"

#include <condition_variable>
#include <mutex>
#include <thread>

namespace horavex::host {
namespace {

thread_local bool tSpawned = false;
thread_local unsigned int tIndex = 0;

// OFX mutexes are recursive and may be unlocked only by their owner; a
// misuse is answered with a status instead of undefined behaviour.
struct HostMutex {
    std::mutex mutex;
    std::condition_variable released;
    std::thread::id owner;
    int count = 0;
};

OfxStatus log(const char* function, OfxStatus status) {
    Host* host = Host::current();
    return host != nullptr ? host->record(function, "", "", status) : status;
}

unsigned int cpuCount() {
    Host* host = Host::current();
    unsigned int n = host != nullptr ? host->config().cpuCount : 0;
    // The standard library asks the system anew every time.
    static const unsigned int machine = std::thread::hardware_concurrency();
    if (n == 0) n = machine;
    return n == 0 ? 1 : n;
}

class SpawnedScope {
public:
    explicit SpawnedScope(unsigned int index) {
        tSpawned = true;
        tIndex = index;
    }
    ~SpawnedScope() {
        tSpawned = false;
        tIndex = 0;
    }
    SpawnedScope(const SpawnedScope&) = delete;
    SpawnedScope& operator=(const SpawnedScope&) = delete;
};

OfxStatus multiThread(OfxThreadFunctionV1 func, unsigned int nThreads, void* customArg) {
    if (func == nullptr) return log("multiThread", kOfxStatErrValue);
    if (tSpawned) return log("multiThread", kOfxStatErrExists);
    Host* host = Host::current();
    const unsigned int n = nThreads == 0 ? cpuCount() : nThreads;
    if (host != nullptr && host->config().threaded && n > 1) {
        host->threadPool().run(n, [=](unsigned int i) {
            SpawnedScope scope(i);
            func(i, n, customArg);
        });
    } else {
        for (unsigned int i = 0; i < n; ++i) {
            SpawnedScope scope(i);
            func(i, n, customArg);
        }
    }
    return log("multiThread", kOfxStatOK);
}

OfxStatus multiThreadNumCPUs(unsigned int* nCPUs) {
    if (nCPUs == nullptr) return log("multiThreadNumCPUs", kOfxStatErrValue);
    *nCPUs = cpuCount();
    return log("multiThreadNumCPUs", kOfxStatOK);
}

OfxStatus multiThreadIndex(unsigned int* threadIndex) {
    if (threadIndex == nullptr) return log("multiThreadIndex", kOfxStatErrValue);
    *threadIndex = tSpawned ? tIndex : 0;
    return log("multiThreadIndex", kOfxStatOK);
}

int multiThreadIsSpawnedThread() {
    const int answer = tSpawned ? 1 : 0;
    log("multiThreadIsSpawnedThread", answer);
    return answer;
}

HostMutex* toMutex(OfxMutexHandle handle) {
    if (!detail::isLiveHandle(handle, HandleKind::Mutex)) return nullptr;
    return reinterpret_cast<HostMutex*>(handle);
}

OfxStatus mutexCreate(OfxMutexHandle* mutex, int lockCount) {
    if (mutex == nullptr || lockCount < 0) return log("mutexCreate", kOfxStatErrValue);
    auto* m = new HostMutex;
    if (lockCount > 0) {
        m->owner = std::this_thread::get_id();
        m->count = lockCount;
    }
    detail::registerHandle(m, HandleKind::Mutex, Host::current());
    *mutex = reinterpret_cast<OfxMutexHandle>(m);
    return log("mutexCreate", kOfxStatOK);
}

OfxStatus mutexDestroy(const OfxMutexHandle mutex) {
    HostMutex* m = toMutex(mutex);
    if (m == nullptr) return log("mutexDestroy", kOfxStatErrBadHandle);
    {
        std::lock_guard lock(m->mutex);
        // Destroying a held mutex could strand a waiter; it stays alive.
        if (m->count > 0) return log("mutexDestroy", kOfxStatErrValue);
    }
    detail::unregisterHandle(m);
    delete m;
    return log("mutexDestroy", kOfxStatOK);
}

OfxStatus mutexLock(const OfxMutexHandle mutex) {
    HostMutex* m = toMutex(mutex);
    if (m == nullptr) return log("mutexLock", kOfxStatErrBadHandle);
    const auto me = std::this_thread::get_id();
    std::unique_lock lock(m->mutex);
    if (m->count > 0 && m->owner == me) {
        ++m->count;
    } else {
        m->released.wait(lock, [m] { return m->count == 0; });
        m->owner = me;
        m->count = 1;
    }
    lock.unlock();
    return log("mutexLock", kOfxStatOK);
}

OfxStatus mutexUnLock(const OfxMutexHandle mutex) {
    HostMutex* m = toMutex(mutex);
    if (m == nullptr) return log("mutexUnLock", kOfxStatErrBadHandle);
    {
        std::lock_guard lock(m->mutex);
        if (m->count == 0 || m->owner != std::this_thread::get_id()) return log("mutexUnLock", kOfxStatErrValue);
        if (--m->count == 0) {
            m->owner = std::thread::id();
            m->released.notify_one();
        }
    }
    return log("mutexUnLock", kOfxStatOK);
}

OfxStatus mutexTryLock(const OfxMutexHandle mutex) {
    HostMutex* m = toMutex(mutex);
    if (m == nullptr) return log("mutexTryLock", kOfxStatErrBadHandle);
    const auto me = std::this_thread::get_id();
    {
        std::lock_guard lock(m->mutex);
        if (m->count > 0 && m->owner != me) return log("mutexTryLock", kOfxStatFailed);
        m->owner = me;
        ++m->count;
    }
    return log("mutexTryLock", kOfxStatOK);
}

constexpr OfxMultiThreadSuiteV1 kSuite = {
    multiThread, multiThreadNumCPUs, multiThreadIndex, multiThreadIsSpawnedThread, mutexCreate,
    mutexDestroy, mutexLock,          mutexUnLock,      mutexTryLock,
};

}  // namespace

const OfxMultiThreadSuiteV1* multiThreadSuite() { return &kSuite; }

bool onSuiteThread() { return tSpawned; }

}  // namespace horavex::host
