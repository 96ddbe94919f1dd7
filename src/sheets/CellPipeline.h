#pragma once
// Makes the cells of the photos to come on worker threads while the caller draws the ones
// already made. Results are taken in the order the photos were queued; at most maxAhead
// results wait to be taken, so memory stays flat however many photos a project has.
//
// Once cancelled, the caller never waits on a worker again: a worker may be stuck in a read
// of a stalled network share for as long as the share likes, and the window must still stop
// within a moment. Such a worker is left to end on its own; what it makes is thrown away.

#include "sheets/CellImage.h"

#include <atomic>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

namespace mf {

// Starts one worker thread running body; throws std::system_error when the system has no
// thread to give, as std::thread does. A test's stand-in fails on purpose.
using ThreadStarter = std::function<std::thread(std::function<void()> body)>;

class CellPipeline {
public:
    // workers < 1: one per core. make defaults to MakeCell, start to std::thread. When a
    // worker cannot be started, those already started are stopped and joined: see started().
    CellPipeline(int workers, int maxAhead, CellMaker make = {}, ThreadStarter start = {});
    ~CellPipeline();
    CellPipeline(const CellPipeline &) = delete;
    CellPipeline &operator=(const CellPipeline &) = delete;

    // Queues a photo; returns its index.
    int enqueue(const CellRequest &request);
    int queued() const;
    CellRequest request(int index) const;

    // Makes the photos from index on anew with other options (the paths stay): what was
    // made or is being made for them is thrown away.
    void requeue(int index, const std::function<CellRequest(const CellRequest &)> &change);

    // The result of photo index, taken once, in order. While it is not ready, whileWaiting
    // runs every ~20 ms (the window stays responsive and may cancel). After a cancel, a
    // result not yet made comes back as CellStopped at once.
    CellImage take(int index, const std::function<void()> &whileWaiting);

    // Stops the work: photos not yet made are made no more, and a high-quality reduction in
    // progress ends.
    void cancel();

    static int defaultWorkers();

    // False when a worker could not be started: nothing is made, and the run must not wait.
    bool started() const { return !m_threads.empty(); }

private:
    struct Shared;
    static void work(const std::shared_ptr<Shared> &shared);
    void stopAndJoin();

    std::shared_ptr<Shared> m_shared;
    std::vector<std::thread> m_threads;
};

} // namespace mf
