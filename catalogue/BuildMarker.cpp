#include "catalogue/BuildMarker.h"

#include "platform/ThreadWake.h"

#include <QHash>
#include <QTimer>

namespace catalogue {

namespace {
constexpr qint64 DeliveryIntervalMs = 40;

// A copy with data of its own: no string buffer is shared between the two threads.
QString detached(const QString& text) { return QString(text.constData(), text.size()); }

BuildMarker::Request detached(const BuildMarker::Request& request)
{
    return {request.list, detached(request.projectPath), detached(request.executableName),
            detached(request.projectFile)};
}
} // namespace

BuildMarker::BuildMarker(QObject* parent)
    : QObject(parent), m_wake(new platform::ThreadWake(this)), m_later(new QTimer(this))
{
    connect(m_wake, &platform::ThreadWake::woken, this, &BuildMarker::deliver);
    m_later->setSingleShot(true);
    connect(m_later, &QTimer::timeout, this, &BuildMarker::deliver);
    m_sinceDelivery.start();
    m_thread = std::thread([this] { run(); });
}

BuildMarker::~BuildMarker()
{
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
        m_queue.clear();
        m_wakeUp.notify_one();
    }
    m_thread.join();
}

void BuildMarker::markAll(std::vector<Request> first, std::vector<Request> rest)
{
    std::lock_guard lock(m_mutex);
    ++m_generation;
    m_queue.clear();
    for (const Request& request : first)
        m_queue.push_back(detached(request));
    for (const Request& request : rest)
        m_queue.push_back(detached(request));
    m_wakeUp.notify_one();
}

void BuildMarker::markFirst(std::vector<Request> requests)
{
    if (requests.empty())
        return;
    std::lock_guard lock(m_mutex);
    ++m_generation;
    for (auto it = requests.rbegin(); it != requests.rend(); ++it)
        m_queue.push_front(detached(*it));
    m_wakeUp.notify_one();
}

std::vector<BuildMarker::Result> BuildMarker::takeResults()
{
    std::lock_guard lock(m_mutex);
    std::vector<Result> results;
    results.swap(m_results);
    return results;
}

bool BuildMarker::isIdle() const
{
    std::lock_guard lock(m_mutex);
    return m_queue.empty() && !m_busy && m_results.empty();
}

qint64 BuildMarker::computedCount() const
{
    std::lock_guard lock(m_mutex);
    return m_computed;
}

qint64 BuildMarker::listedFolderCount() const
{
    std::lock_guard lock(m_mutex);
    return m_listed;
}

void BuildMarker::run()
{
    QHash<QString, qint64> newest; // by folder, for this generation
    quint64 generation = 0;
    for (;;) {
        Request request;
        {
            std::unique_lock lock(m_mutex);
            m_wakeUp.wait(lock, [this] { return m_stop || !m_queue.empty(); });
            if (m_stop)
                return;
            request = std::move(m_queue.front());
            m_queue.pop_front();
            m_busy = true;
            if (generation != m_generation) {
                generation = m_generation;
                newest.clear();
            }
        }
        const QString folder = projectFolderOf(request.projectFile);
        auto known = newest.constFind(folder);
        const bool list = known == newest.cend();
        if (list)
            known = newest.insert(folder, newestSourceMs(folder.isEmpty() ? QStringLiteral(".") : folder));
        Result result{request.list, request.projectPath, request.executableName,
                      buildMarkOf(request.projectFile, request.executableName, *known)};
        std::lock_guard lock(m_mutex);
        m_results.push_back(std::move(result));
        ++m_computed;
        m_listed += list ? 1 : 0;
        m_busy = false; // with the result, so that the window never sees it neither waiting nor done
        // Ring once per delivery; the last mark of a queue is rung for even when the
        // window has not taken the earlier ones yet, so the end is never held back.
        if (!m_rung || m_queue.empty()) {
            m_rung = true;
            m_wake->wake();
        }
    }
}

void BuildMarker::deliver()
{
    {
        std::lock_guard lock(m_mutex);
        const qint64 since = m_sinceDelivery.elapsed();
        const bool done = m_queue.empty();
        if (!done && since < DeliveryIntervalMs) {
            if (!m_later->isActive())
                m_later->start(int(DeliveryIntervalMs - since));
            return;
        }
        m_rung = false;
    }
    m_later->stop();
    m_sinceDelivery.restart();
    emit marked();
}

} // namespace catalogue
