#include "sheets/CellPipeline.h"

#include <QThread>

#include <chrono>

namespace mf {

CellPipeline::CellPipeline(int workers, int maxAhead) : m_maxAhead(std::max(1, maxAhead))
{
    const int count = workers < 1 ? defaultWorkers() : workers;
    for (int i = 0; i < count; ++i)
        m_workers.emplace_back([this] { work(); });
}

CellPipeline::~CellPipeline()
{
    {
        const std::lock_guard lock(m_mutex);
        m_quit = true;
    }
    m_cancel = true;
    m_changed.notify_all();
    m_workers.clear(); // joins
}

int CellPipeline::defaultWorkers()
{
    // The window's thread only places finished cells and mostly waits, so every core decodes.
    return std::max(1, QThread::idealThreadCount());
}

int CellPipeline::enqueue(const CellRequest &request)
{
    int index;
    {
        const std::lock_guard lock(m_mutex);
        m_requests.push_back(request);
        m_results.emplace_back();
        index = int(m_requests.size()) - 1;
    }
    m_changed.notify_all();
    return index;
}

int CellPipeline::queued() const
{
    const std::lock_guard lock(m_mutex);
    return int(m_requests.size());
}

const CellRequest &CellPipeline::request(int index) const
{
    const std::lock_guard lock(m_mutex);
    return m_requests[size_t(index)];
}

void CellPipeline::work()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_changed.wait(lock, [this] {
            return m_quit || (m_next < int(m_requests.size()) && m_next < m_taken + m_maxAhead);
        });
        if (m_quit)
            return;
        const int index = m_next++;
        const CellRequest request = m_requests[size_t(index)];
        lock.unlock();
        CellImage cell =
            m_cancel ? CellImage{CellStopped, {}, 0, 0, 0, 0} : MakeCell(request, &m_cancel);
        lock.lock();
        m_results[size_t(index)] = std::move(cell);
        m_changed.notify_all();
    }
}

CellImage CellPipeline::take(int index, const std::function<void()> &whileWaiting)
{
    std::unique_lock lock(m_mutex);
    while (!m_results[size_t(index)].has_value()) {
        m_changed.wait_for(lock, std::chrono::milliseconds(20));
        if (m_results[size_t(index)].has_value())
            break;
        lock.unlock();
        if (whileWaiting)
            whileWaiting();
        lock.lock();
    }
    CellImage cell = std::move(*m_results[size_t(index)]);
    m_results[size_t(index)].reset();
    m_taken = std::max(m_taken, index + 1);
    lock.unlock();
    m_changed.notify_all();
    return cell;
}

void CellPipeline::cancel()
{
    m_cancel = true;
}

} // namespace mf
