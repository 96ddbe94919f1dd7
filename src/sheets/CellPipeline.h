#pragma once
// Makes the cells of the photos to come on worker threads while the caller draws the ones
// already made. Results are taken in the order the photos were queued; at most maxAhead
// results wait to be taken, so memory stays flat however many photos a project has.

#include "sheets/CellImage.h"

#include <QList>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace mf {

class CellPipeline {
public:
    // workers < 1: one per core.
    CellPipeline(int workers, int maxAhead);
    ~CellPipeline();
    CellPipeline(const CellPipeline &) = delete;
    CellPipeline &operator=(const CellPipeline &) = delete;

    // Queues a photo; returns its index.
    int enqueue(const CellRequest &request);
    int queued() const;
    const CellRequest &request(int index) const;

    // The result of photo index, taken once, in order. While it is not ready, whileWaiting
    // runs every ~20 ms (the window stays responsive and may cancel).
    CellImage take(int index, const std::function<void()> &whileWaiting);

    // Stops the work: photos not yet made are made no more, and a high-quality reduction in
    // progress ends.
    void cancel();
    const std::atomic<bool> *cancelFlag() const { return &m_cancel; }

    static int defaultWorkers();

private:
    void work();

    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<CellRequest> m_requests;
    std::vector<std::optional<CellImage>> m_results;
    int m_next = 0;  // the next photo a worker takes
    int m_taken = 0; // photos taken by the caller
    int m_maxAhead;
    bool m_quit = false;
    std::atomic<bool> m_cancel{false};
    std::vector<std::jthread> m_workers;
};

} // namespace mf
