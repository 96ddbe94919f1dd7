#include "sheets/CellPipeline.h"

#include <QThread>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>

namespace mf {

namespace {

// How long the end of a run waits for the workers to finish what they hold before leaving a
// stuck one behind; a decode of a camera photo takes a fraction of it.
constexpr std::chrono::milliseconds kWorkerGrace(500);

CellImage stoppedCell()
{
    return CellImage{CellStopped, {}, 0, 0, 0, 0};
}

} // namespace

// Everything the workers touch, owned jointly by the pipeline and its workers, so that a
// worker left behind in a stuck read still finds it when the read returns.
struct CellPipeline::Shared {
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<CellRequest> requests;
    std::vector<std::optional<CellImage>> results;
    std::vector<unsigned> generations; // raised when a photo is queued anew
    int next = 0;                      // the next photo a worker takes
    int taken = 0;                     // photos taken by the caller
    int maxAhead = 1;
    int alive = 0; // workers not yet ended
    bool quit = false;
    std::atomic<bool> cancel{false};
    CellMaker make;
};

CellPipeline::CellPipeline(int workers, int maxAhead, CellMaker make, ThreadStarter start)
    : m_shared(std::make_shared<Shared>())
{
    m_shared->maxAhead = std::max(1, maxAhead);
    m_shared->make = make ? std::move(make) : CellMaker(MakeCell);
    if (!start)
        start = [](std::function<void()> body) { return std::thread(std::move(body)); };
    const int count = workers < 1 ? defaultWorkers() : workers;
    // A thread left joinable by an exception here would end the program in its destructor.
    try {
        m_threads.reserve(size_t(count));
        for (int i = 0; i < count; ++i) {
            {
                const std::lock_guard lock(m_shared->mutex);
                ++m_shared->alive;
            }
            try {
                m_threads.push_back(start([shared = m_shared] { work(shared); }));
            } catch (...) {
                const std::lock_guard lock(m_shared->mutex);
                --m_shared->alive; // this one never ran
                throw;
            }
        }
    } catch (...) { // std::system_error from the system, std::bad_alloc from the vector
        stopAndJoin();
    }
}

// The workers started hold no photo yet: they end at once.
void CellPipeline::stopAndJoin()
{
    {
        const std::lock_guard lock(m_shared->mutex);
        m_shared->quit = true;
        m_shared->cancel = true;
    }
    m_shared->changed.notify_all();
    for (std::thread &t : m_threads)
        t.join();
    m_threads.clear();
}

CellPipeline::~CellPipeline()
{
    Shared &s = *m_shared;
    std::unique_lock lock(s.mutex);
    s.quit = true;
    s.cancel = true;
    s.changed.notify_all();
    const bool ended = s.changed.wait_for(lock, kWorkerGrace, [&s] { return s.alive == 0; });
    lock.unlock();
    for (std::thread &t : m_threads) {
        if (ended)
            t.join();
        else
            t.detach(); // keeps its share of the state and ends when its read returns
    }
}

int CellPipeline::defaultWorkers()
{
    // The window's thread only places finished cells and mostly waits, so every core decodes.
    return std::max(1, QThread::idealThreadCount());
}

int CellPipeline::enqueue(const CellRequest &request)
{
    Shared &s = *m_shared;
    int index;
    {
        const std::lock_guard lock(s.mutex);
        s.requests.push_back(request);
        s.results.emplace_back();
        s.generations.push_back(0);
        index = int(s.requests.size()) - 1;
    }
    s.changed.notify_all();
    return index;
}

int CellPipeline::queued() const
{
    const std::lock_guard lock(m_shared->mutex);
    return int(m_shared->requests.size());
}

CellRequest CellPipeline::request(int index) const
{
    const std::lock_guard lock(m_shared->mutex);
    return m_shared->requests[size_t(index)];
}

void CellPipeline::requeue(int index, const std::function<CellRequest(const CellRequest &)> &change)
{
    Shared &s = *m_shared;
    {
        const std::lock_guard lock(s.mutex);
        for (size_t i = size_t(index); i < s.requests.size(); ++i) {
            s.requests[i] = change(s.requests[i]);
            s.results[i].reset();
            ++s.generations[i];
        }
        s.next = std::min(s.next, index);
    }
    s.changed.notify_all();
}

void CellPipeline::work(const std::shared_ptr<Shared> &shared)
{
    Shared &s = *shared;
    std::unique_lock lock(s.mutex);
    for (;;) {
        s.changed.wait(lock, [&s] {
            return s.quit || (s.next < int(s.requests.size()) && s.next < s.taken + s.maxAhead);
        });
        if (s.quit)
            break;
        const int index = s.next++;
        const CellRequest request = s.requests[size_t(index)];
        const unsigned generation = s.generations[size_t(index)];
        lock.unlock();
        CellImage cell = s.cancel ? stoppedCell() : s.make(request, &s.cancel);
        lock.lock();
        // A photo queued anew, or given up by the caller, keeps nothing of this result.
        if (generation == s.generations[size_t(index)] && index >= s.taken) {
            s.results[size_t(index)] = std::move(cell);
            s.changed.notify_all();
        }
    }
    --s.alive;
    s.changed.notify_all();
}

CellImage CellPipeline::take(int index, const std::function<void()> &whileWaiting)
{
    Shared &s = *m_shared;
    std::unique_lock lock(s.mutex);
    auto ready = [&s, index] { return s.results[size_t(index)].has_value(); };
    while (!ready() && !s.cancel) {
        s.changed.wait_for(lock, std::chrono::milliseconds(20));
        if (ready())
            break;
        lock.unlock();
        if (whileWaiting)
            whileWaiting();
        lock.lock();
    }
    std::optional<CellImage> &result = s.results[size_t(index)];
    CellImage cell = result.has_value() ? std::move(*result) : stoppedCell();
    result.reset();
    s.taken = std::max(s.taken, index + 1);
    lock.unlock();
    s.changed.notify_all();
    return cell;
}

void CellPipeline::cancel()
{
    m_shared->cancel = true;
}

} // namespace mf
