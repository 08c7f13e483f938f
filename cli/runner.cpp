#include "cli/runner.h"

#include "cli/console.h"
#include "cli/reporter.h"
#include "core/formats/pictureloader.h"

#include <QFileInfo>
#include <QScopeGuard>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>

namespace lumivert::cli {

namespace {

// Starts a thread unless the system refuses one (a process limit, memory); a refused thread means
// one worker fewer, not a failed run.
template <typename Work> bool startThread(std::vector<std::thread> &threads, Work &&work)
{
    try {
        threads.emplace_back(std::forward<Work>(work));
        return true;
    } catch (const std::system_error &) {
        return false;
    }
}

// Creating, writing and renaming a file costs about as much kernel time as converting a picture.
// The converters therefore hand their bytes to writer threads and go on with the next picture; the
// queue between them is short, so memory stays bounded.
class WriteQueue
{
public:
    WriteQueue(int writers, std::size_t capacity,
               const std::function<void(const Conversion &, const QString &)> &done)
        : m_capacity(capacity), m_done(done)
    {
        for (int i = 0; i < writers && startThread(m_threads, [this] { writeLoop(); }); ++i) {
        }
    }

    ~WriteQueue() { finish(); }

    // A buffer that a finished write gave back, or an empty one.
    QByteArray takeBuffer()
    {
        std::lock_guard lock(m_mutex);
        if (m_free.empty())
            return {};
        QByteArray buffer = std::move(m_free.back());
        m_free.pop_back();
        return buffer;
    }

    void submit(const Conversion &conversion, QByteArray bytes)
    {
        if (m_threads.empty()) { // no writer could be started: the converter writes itself
            m_done(conversion, writeBin(conversion.output, bytes));
            return;
        }
        std::unique_lock lock(m_mutex);
        m_spaceLeft.wait(lock, [this] { return m_pending.size() < m_capacity; });
        m_pending.push_back({&conversion, std::move(bytes)});
        m_work.notify_one();
    }

    void finish()
    {
        {
            std::lock_guard lock(m_mutex);
            m_closed = true;
        }
        m_work.notify_all();
        for (auto &t : m_threads)
            t.join();
        m_threads.clear();
    }

private:
    struct Item
    {
        const Conversion *conversion;
        QByteArray bytes;
    };

    void writeLoop()
    {
        for (;;) {
            Item item;
            {
                std::unique_lock lock(m_mutex);
                m_work.wait(lock, [this] { return m_closed || !m_pending.empty(); });
                if (m_pending.empty())
                    return;
                item = std::move(m_pending.front());
                m_pending.pop_front();
            }
            m_spaceLeft.notify_one();
            m_done(*item.conversion, writeBin(item.conversion->output, item.bytes));
            std::lock_guard lock(m_mutex);
            m_free.push_back(std::move(item.bytes));
        }
    }

    const std::size_t m_capacity;
    const std::function<void(const Conversion &, const QString &)> m_done;
    std::mutex m_mutex;
    std::condition_variable m_work;
    std::condition_variable m_spaceLeft;
    std::deque<Item> m_pending;
    std::vector<QByteArray> m_free;
    bool m_closed = false;
    std::vector<std::thread> m_threads;
};

// Bytes the workers may hold at once for the pictures they read and decode. Each picture is reckoned at
// its file's length plus the most a decoder may allocate, since a small file can state a large picture;
// a worker waits until its picture fits, so --jobs adds speed, not memory.
class MemoryBudget
{
public:
    explicit MemoryBudget(qint64 capacity) : m_left(capacity), m_capacity(capacity) {}

    qint64 take(qint64 bytes)
    {
        bytes = std::min(bytes, m_capacity);
        std::unique_lock lock(m_mutex);
        m_returned.wait(lock, [&] { return m_left >= bytes; });
        m_left -= bytes;
        return bytes;
    }
    void giveBack(qint64 bytes)
    {
        {
            std::lock_guard lock(m_mutex);
            m_left += bytes;
        }
        m_returned.notify_all();
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_returned;
    qint64 m_left;
    const qint64 m_capacity;
};

constexpr qint64 WorkersMemory = 384 * 1024 * 1024;

qint64 pictureCost(const QString &input)
{
    const qint64 length = input == StandardStream ? 0 : QFileInfo(input).size();
    return std::clamp<qint64>(length, 0, LongestPictureBytes) + DecodeLimitBytes;
}

} // namespace

bool runConversions(const std::vector<Conversion> &conversions, const ConversionSettings &settings, int jobs,
                    bool keepGoing, Reporter &reporter)
{
    std::atomic<std::size_t> next{0};
    std::atomic<bool> stop{false};
    std::atomic<bool> allDone{true};

    const auto finished = [&](const Conversion &c, const QString &problem) {
        if (!problem.isEmpty()) {
            allDone = false;
            if (!keepGoing)
                stop = true;
            reporter.fileFailed(c.input, problem);
        }
        reporter.fileDone(problem.isEmpty());
    };

    const int workers =
        int(std::min<std::size_t>(std::max(jobs, 1), std::max<std::size_t>(conversions.size(), 1)));
    // One writer per converter keeps the file system's own work off the converters' path.
    const int writers = workers;
    WriteQueue writes(writers, std::size_t(writers), finished);
    MemoryBudget memory(WorkersMemory);

    const auto work = [&] {
        WorkerBuffers buffers;
        while (!stop.load(std::memory_order_relaxed) && !interruptRequested()) {
            const std::size_t i = next.fetch_add(1, std::memory_order_relaxed);
            if (i >= conversions.size())
                break;
            const Conversion &c = conversions[i];
            const qint64 held = memory.take(pictureCost(c.input));
            const auto release = qScopeGuard([&] { memory.giveBack(held); });
            const PreparedPicture picture = preparePicture(c.input, settings);
            if (picture.image.isNull()) {
                finished(c, picture.error);
                continue;
            }
            buffers.bytes = writes.takeBuffer();
            reducePicture(picture.image, settings, buffers);
            writes.submit(c, std::move(buffers.bytes));
        }
    };

    std::vector<std::thread> threads;
    threads.reserve(std::size_t(workers));
    for (int w = 1; w < workers && startThread(threads, work); ++w) {
    }
    work(); // this thread is a worker too
    for (auto &t : threads)
        t.join();
    writes.finish();
    return allDone;
}

} // namespace lumivert::cli
