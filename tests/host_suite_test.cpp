// The host object and its service suites: suite lookup and its faults, the
// host property set, memory, image memory, threads and mutexes, messages,
// the abort switch, the time line and the routing of the call log.
#include "host/Host.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

namespace horavex::host {
namespace {

TEST(HostSuites, EverySuiteOfVersionOneAndOnlyThose) {
    Host host;
    const char* names[] = {kOfxPropertySuite, kOfxImageEffectSuite, kOfxParameterSuite, kOfxMemorySuite,
                           kOfxMultiThreadSuite, kOfxMessageSuite, kOfxInteractSuite, kOfxTimeLineSuite};
    OfxHost* ofx = host.ofxHost();
    for (const char* name : names) {
        const void* suite = ofx->fetchSuite(ofx->host, name, 1);
        EXPECT_NE(suite, nullptr) << name;
        EXPECT_EQ(ofx->fetchSuite(ofx->host, name, 1), suite) << name;
        EXPECT_EQ(ofx->fetchSuite(ofx->host, name, 2), nullptr) << name;
    }
    EXPECT_EQ(ofx->fetchSuite(ofx->host, "OfxProgressSuite", 1), nullptr);
    EXPECT_EQ(ofx->fetchSuite(ofx->host, nullptr, 1), nullptr);
    EXPECT_EQ(host.calls().count("fetchSuite", kOfxPropertySuite), 3u);
    EXPECT_EQ(host.calls().matching("fetchSuite").back().status, kOfxStatFailed);
}

TEST(HostSuites, OmittedSuitesAndANullFetchFunction) {
    Host host;
    host.faults().omitSuite(kOfxMultiThreadSuite);
    OfxHost* ofx = host.ofxHost();
    EXPECT_EQ(ofx->fetchSuite(ofx->host, kOfxMultiThreadSuite, 1), nullptr);
    EXPECT_NE(ofx->fetchSuite(ofx->host, kOfxMemorySuite, 1), nullptr);
    host.faults().restoreSuite(kOfxMultiThreadSuite);
    EXPECT_NE(ofx->fetchSuite(ofx->host, kOfxMultiThreadSuite, 1), nullptr);
    host.setNullFetchSuite(true);
    EXPECT_EQ(ofx->fetchSuite, nullptr);
    host.setNullFetchSuite(false);
    EXPECT_NE(ofx->fetchSuite, nullptr);
}

TEST(HostSuites, FetchingWithAnotherSetThanTheHostsIsRefused) {
    Host host;
    PropertySet other;
    other.setHost(&host);
    EXPECT_EQ(host.ofxHost()->fetchSuite(other.handle(), kOfxPropertySuite, 1), nullptr);
    EXPECT_EQ(host.ofxHost()->fetchSuite(nullptr, kOfxPropertySuite, 1), nullptr);
    EXPECT_EQ(host.calls().matching("fetchSuite").back().status, kOfxStatErrBadHandle);
}

TEST(HostProperties, DescribeTheHostAndAreReadOnlyForNewNames) {
    Host host;
    const PropertySet& p = host.properties();
    EXPECT_EQ(p.getString(kOfxPropName), "Horavex in-tree host");
    EXPECT_EQ(p.getString(kOfxPropType), kOfxTypeImageEffectHost);
    EXPECT_EQ(p.getStrings(kOfxImageEffectPropSupportedPixelDepths),
              (std::vector<std::string>{kOfxBitDepthByte, kOfxBitDepthShort, kOfxBitDepthFloat}));
    EXPECT_EQ(p.getInt(kOfxImageEffectPropSupportsTiles), 1);
    const auto contexts = p.getStrings(kOfxImageEffectPropSupportedContexts);
    EXPECT_NE(std::find(contexts.begin(), contexts.end(), kOfxImageEffectContextGenerator), contexts.end());
    EXPECT_NE(std::find(contexts.begin(), contexts.end(), kOfxImageEffectContextFilter), contexts.end());
    EXPECT_EQ(propertySuite()->propSetInt(host.ofxHost()->host, "Mine", 0, 1), kOfxStatErrUnknown);
}

TEST(MemorySuite, BlocksAreTrackedAndBadFreesRefused) {
    Host host;
    const OfxMemorySuiteV1* memory = memorySuite();
    void* a = nullptr;
    void* b = nullptr;
    EXPECT_EQ(memory->memoryAlloc(nullptr, 64, &a), kOfxStatOK);
    EXPECT_EQ(memory->memoryAlloc(nullptr, 0, &b), kOfxStatOK);
    ASSERT_NE(a, nullptr);
    std::memset(a, 0x5A, 64);
    EXPECT_EQ(host.memory().outstandingBlocks(), 2u);
    EXPECT_EQ(memory->memoryFree(a), kOfxStatOK);
    EXPECT_EQ(memory->memoryFree(a), kOfxStatErrBadHandle);
    EXPECT_EQ(memory->memoryFree(nullptr), kOfxStatErrBadHandle);
    EXPECT_EQ(host.memory().badCalls(), 2u);
    EXPECT_EQ(memory->memoryFree(b), kOfxStatOK);
    EXPECT_EQ(host.memory().outstandingBlocks(), 0u);
    int notAnEffect = 0;
    EXPECT_EQ(memory->memoryAlloc(&notAnEffect, 8, &a), kOfxStatErrBadHandle);
    EXPECT_EQ(memory->memoryAlloc(nullptr, 8, nullptr), kOfxStatErrValue);
    host.memory().failAllocations(true);
    EXPECT_EQ(memory->memoryAlloc(nullptr, 8, &a), kOfxStatErrMemory);
    EXPECT_EQ(a, nullptr);
    host.memory().failAllocations(false);
    EXPECT_EQ(memory->memoryAlloc(nullptr, ~std::size_t{0}, &a), kOfxStatErrMemory);
}

TEST(ImageMemory, LockUnlockAndFreeMustMatch) {
    Host host;
    const OfxImageEffectSuiteV1* suite = imageEffectSuite();
    OfxImageMemoryHandle handle = nullptr;
    ASSERT_EQ(suite->imageMemoryAlloc(nullptr, 128, &handle), kOfxStatOK);
    EXPECT_EQ(suite->imageMemoryUnlock(handle), kOfxStatErrValue);
    void* p = nullptr;
    EXPECT_EQ(suite->imageMemoryLock(handle, &p), kOfxStatOK);
    ASSERT_NE(p, nullptr);
    std::memset(p, 1, 128);
    void* again = nullptr;
    EXPECT_EQ(suite->imageMemoryLock(handle, &again), kOfxStatOK);
    EXPECT_EQ(again, p);
    EXPECT_EQ(suite->imageMemoryUnlock(handle), kOfxStatOK);
    EXPECT_EQ(suite->imageMemoryUnlock(handle), kOfxStatOK);
    EXPECT_EQ(host.memory().outstandingImageMemory(), 1u);
    EXPECT_EQ(suite->imageMemoryFree(handle), kOfxStatOK);
    EXPECT_EQ(suite->imageMemoryFree(handle), kOfxStatErrBadHandle);
    EXPECT_EQ(suite->imageMemoryLock(handle, &p), kOfxStatErrBadHandle);
    EXPECT_EQ(p, nullptr);
    EXPECT_EQ(host.memory().outstandingImageMemory(), 0u);
}

struct ThreadRecord {
    std::atomic<int> calls{0};
    std::atomic<unsigned> indexMask{0};
    std::atomic<int> spawned{0};
    std::atomic<int> nested{0};
    std::atomic<int> suiteIndexMatches{0};
    std::mutex mutex;
    std::set<std::thread::id> threads;
};

void recordThread(unsigned int index, unsigned int max, void* arg) {
    auto* r = static_cast<ThreadRecord*>(arg);
    const OfxMultiThreadSuiteV1* mt = multiThreadSuite();
    r->calls++;
    r->indexMask |= 1u << index;
    r->spawned += mt->multiThreadIsSpawnedThread();
    unsigned int reported = 99;
    mt->multiThreadIndex(&reported);
    if (reported == index && max == 4) r->suiteIndexMatches++;
    if (mt->multiThread(recordThread, 2, arg) == kOfxStatErrExists) r->nested++;
    std::lock_guard lock(r->mutex);
    r->threads.insert(std::this_thread::get_id());
}

TEST(MultiThreadSuite, SerialRunsEveryIndexAsASpawnedThread) {
    Host host;
    const OfxMultiThreadSuiteV1* mt = multiThreadSuite();
    ThreadRecord r;
    EXPECT_EQ(mt->multiThread(recordThread, 4, &r), kOfxStatOK);
    EXPECT_EQ(r.calls, 4);
    EXPECT_EQ(r.indexMask, 0xFu);
    EXPECT_EQ(r.spawned, 4);
    EXPECT_EQ(r.suiteIndexMatches, 4);
    EXPECT_EQ(r.nested, 4);
    EXPECT_EQ(r.threads.size(), 1u);
    EXPECT_EQ(mt->multiThreadIsSpawnedThread(), 0);
    unsigned int index = 7;
    EXPECT_EQ(mt->multiThreadIndex(&index), kOfxStatOK);
    EXPECT_EQ(index, 0u);
    EXPECT_EQ(mt->multiThread(nullptr, 2, &r), kOfxStatErrValue);
}

TEST(MultiThreadSuite, ThreadedRunsOnRealThreads) {
    HostConfig config;
    config.threaded = true;
    config.cpuCount = 3;
    Host host(config);
    const OfxMultiThreadSuiteV1* mt = multiThreadSuite();
    unsigned int cpus = 0;
    EXPECT_EQ(mt->multiThreadNumCPUs(&cpus), kOfxStatOK);
    EXPECT_EQ(cpus, 3u);
    ThreadRecord r;
    EXPECT_EQ(mt->multiThread(recordThread, 4, &r), kOfxStatOK);
    EXPECT_EQ(r.indexMask, 0xFu);
    EXPECT_EQ(r.suiteIndexMatches, 4);
    EXPECT_EQ(r.threads.size(), 4u);
    EXPECT_EQ(r.threads.count(std::this_thread::get_id()), 0u);
}

TEST(MultiThreadSuite, MutexesAreRecursiveAndOwned) {
    Host host;
    const OfxMultiThreadSuiteV1* mt = multiThreadSuite();
    OfxMutexHandle m = nullptr;
    ASSERT_EQ(mt->mutexCreate(&m, 1), kOfxStatOK);
    OfxStatus fromOther = kOfxStatOK;
    std::thread([&] { fromOther = mt->mutexTryLock(m); }).join();
    EXPECT_EQ(fromOther, kOfxStatFailed);
    std::thread([&] { fromOther = mt->mutexUnLock(m); }).join();
    EXPECT_EQ(fromOther, kOfxStatErrValue);
    EXPECT_EQ(mt->mutexLock(m), kOfxStatOK);
    EXPECT_EQ(mt->mutexUnLock(m), kOfxStatOK);
    EXPECT_EQ(mt->mutexDestroy(m), kOfxStatErrValue);
    EXPECT_EQ(mt->mutexUnLock(m), kOfxStatOK);
    EXPECT_EQ(mt->mutexUnLock(m), kOfxStatErrValue);
    std::thread([&] {
        fromOther = mt->mutexTryLock(m);
        mt->mutexUnLock(m);
    }).join();
    EXPECT_EQ(fromOther, kOfxStatOK);
    EXPECT_EQ(mt->mutexDestroy(m), kOfxStatOK);
    EXPECT_EQ(mt->mutexLock(m), kOfxStatErrBadHandle);
    EXPECT_EQ(mt->mutexCreate(&m, -1), kOfxStatErrValue);
}

TEST(MultiThreadSuite, AMutexSerialisesThreads) {
    HostConfig config;
    config.threaded = true;
    Host host(config);
    const OfxMultiThreadSuiteV1* mt = multiThreadSuite();
    struct Shared {
        OfxMutexHandle mutex = nullptr;
        int counter = 0;
    } shared;
    ASSERT_EQ(mt->mutexCreate(&shared.mutex, 0), kOfxStatOK);
    auto work = [](unsigned int, unsigned int, void* arg) {
        auto* s = static_cast<Shared*>(arg);
        for (int i = 0; i < 2000; ++i) {
            multiThreadSuite()->mutexLock(s->mutex);
            ++s->counter;
            multiThreadSuite()->mutexUnLock(s->mutex);
        }
    };
    host.calls().setEnabled(false);
    EXPECT_EQ(mt->multiThread(work, 4, &shared), kOfxStatOK);
    EXPECT_EQ(shared.counter, 8000);
    EXPECT_EQ(mt->mutexDestroy(shared.mutex), kOfxStatOK);
}

TEST(MessageSuite, MessagesAreFormattedAndRecorded) {
    Host host;
    const OfxMessageSuiteV1* messages = messageSuite();
    EXPECT_EQ(messages->message(nullptr, kOfxMessageWarning, "id.one", "%s at %d%%", "font", 50), kOfxStatOK);
    host.messages().setQuestionReply(kOfxStatReplyNo);
    EXPECT_EQ(messages->message(nullptr, "OfxMessageQuestion", "id.two", "sure?"), kOfxStatReplyNo);
    EXPECT_EQ(messages->message(nullptr, kOfxMessageError, "id.three", nullptr), kOfxStatErrValue);
    const std::vector<Message> recorded = host.messages().messages();
    ASSERT_EQ(recorded.size(), 2u);
    EXPECT_EQ(recorded[0].type, kOfxMessageWarning);
    EXPECT_EQ(recorded[0].id, "id.one");
    EXPECT_EQ(recorded[0].text, "font at 50%");
    EXPECT_EQ(host.calls().count("message", kOfxMessageWarning), 1u);
}

TEST(AbortSwitch, OnOffAndAfterACountOfCalls) {
    Host host;
    ImageEffect effect(&host, EffectRole::Instance, kOfxImageEffectContextGenerator, "instance");
    const OfxImageEffectSuiteV1* suite = imageEffectSuite();
    EXPECT_EQ(suite->abort(effect.handle()), 0);
    host.abortControl().set(true);
    EXPECT_EQ(suite->abort(effect.handle()), 1);
    host.abortControl().abortAfter(2);
    EXPECT_EQ(suite->abort(effect.handle()), 0);
    EXPECT_EQ(suite->abort(effect.handle()), 0);
    EXPECT_EQ(suite->abort(effect.handle()), 1);
    EXPECT_EQ(suite->abort(effect.handle()), 1);
    EXPECT_EQ(host.abortControl().calls(), 6u);
    host.abortControl().reset();
    EXPECT_EQ(suite->abort(effect.handle()), 0);
    EXPECT_EQ(host.abortControl().calls(), 1u);
    EXPECT_EQ(suite->abort(nullptr), 0);
    EXPECT_EQ(host.calls().matching("abort").back().status, kOfxStatErrBadHandle);
}

TEST(TimeLineAndInteractSuites, TimeFollowsTheHostAndInteractsDoNotExist) {
    Host host;
    ImageEffect effect(&host, EffectRole::Instance, kOfxImageEffectContextGenerator, "instance");
    const OfxTimeLineSuiteV1* timeline = timeLineSuite();
    EXPECT_EQ(timeline->gotoTime(effect.handle(), 12.5), kOfxStatOK);
    double t = 0, first = -1, last = -1;
    EXPECT_EQ(timeline->getTime(effect.handle(), &t), kOfxStatOK);
    EXPECT_EQ(t, 12.5);
    EXPECT_EQ(host.timeline().time(), 12.5);
    host.timeline().setBounds(10, 20);
    EXPECT_EQ(timeline->getTimeBounds(effect.handle(), &first, &last), kOfxStatOK);
    EXPECT_EQ(first, 10.0);
    EXPECT_EQ(last, 20.0);
    EXPECT_EQ(timeline->getTime(nullptr, &t), kOfxStatErrBadHandle);
    EXPECT_EQ(timeline->getTime(effect.handle(), nullptr), kOfxStatErrValue);
    const OfxInteractSuiteV1* interact = interactSuite();
    OfxPropertySetHandle p = reinterpret_cast<OfxPropertySetHandle>(&host);
    EXPECT_EQ(interact->interactGetPropertySet(nullptr, &p), kOfxStatErrBadHandle);
    EXPECT_EQ(p, nullptr);
    EXPECT_EQ(interact->interactRedraw(nullptr), kOfxStatErrBadHandle);
}

TEST(CallLogRouting, CallsGoToTheHostThatOwnsTheHandle) {
    Host older;
    PropertySet props;
    props.setHost(&older);
    Host newer;
    int v = 0;
    propertySuite()->propGetInt(props.handle(), "Missing", 0, &v);
    propertySuite()->propGetInt(nullptr, "Orphan", 0, &v);
    EXPECT_EQ(older.calls().count("propGetInt", "Missing"), 1u);
    EXPECT_EQ(newer.calls().count("propGetInt", "Missing"), 0u);
    EXPECT_EQ(newer.calls().count("propGetInt", "Orphan"), 1u);
    EXPECT_EQ(Host::current(), &newer);
}

}  // namespace
}  // namespace horavex::host
