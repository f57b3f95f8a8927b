// Work on a list of items done ahead on other threads and handed out in the
// list's order: the batch workers read, decode or render the items that
// follow the one they are reporting, so their files, messages and their order
// stay those of a one-at-a-time run.
#ifndef VOPA_AHEADQUEUE_H
#define VOPA_AHEADQUEUE_H

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

template <typename Item, typename Result>
class AheadQueue
{
public:
    // With fewer than two threads each item is worked on when it is taken.
    // The threads stay at most `window` items ahead of the one taken last.
    AheadQueue(int threads, int window, std::function<Result(const Item &)> work)
        : m_threadCount(threads < 2 ? 0 : threads), m_window(window < 1 ? 1 : window), m_work(std::move(work))
    {
    }
    // Items not yet started are left alone; those being worked on are finished.
    ~AheadQueue()
    {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_cancelled = true;
        }
        m_changed.notify_all();
        for (std::thread &thread : m_threads)
            thread.join();
    }
    AheadQueue(const AheadQueue &) = delete;
    AheadQueue &operator=(const AheadQueue &) = delete;

    void append(const Item &item)
    {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_items.push_back(item);
            m_results.emplace_back();
            m_done.push_back(false);
        }
        m_changed.notify_all();
        if (int(m_threads.size()) < m_threadCount)
            m_threads.emplace_back([this] { run(); });
    }

    // The result of item `index` (in the order appended), waiting for it.
    Result take(int index)
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        if (m_threads.empty()) {
            const Item item = m_items[size_t(index)];
            lock.unlock();
            return m_work(item);
        }
        m_taken = index;
        m_changed.notify_all();
        m_changed.wait(lock, [&] { return bool(m_done[size_t(index)]); });
        // Each result is taken once.
        return std::move(m_results[size_t(index)]);
    }

private:
    void run()
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        for (;;) {
            m_changed.wait(lock, [&] {
                return m_cancelled || (m_next < int(m_items.size()) && m_next < m_taken + m_window);
            });
            if (m_cancelled)
                return;
            const int index = m_next++;
            const Item item = m_items[size_t(index)];
            lock.unlock();
            Result result = m_work(item);
            lock.lock();
            m_results[size_t(index)] = std::move(result);
            m_done[size_t(index)] = true;
            m_changed.notify_all();
        }
    }

    const int m_threadCount;
    const int m_window;
    const std::function<Result(const Item &)> m_work;
    std::vector<std::thread> m_threads;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<Item> m_items;
    std::deque<Result> m_results;
    std::deque<bool> m_done;
    int m_next = 0;
    int m_taken = 0;
    bool m_cancelled = false;
};

#endif
