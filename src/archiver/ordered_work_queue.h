#pragma once
// Items handed to worker threads and taken back finished in the order they were given. One
// thread, the consumer, submits items and takes them back oldest first; each worker prepares the
// items it takes with a state of its own (buffers, encoders) that lives as long as the thread.
// Tasks posted by any thread (parts of one large item, say) go before new items.
//
// Memory stays bounded: at most maxAhead items are in the queue, and workers start no new item
// while finished items not yet taken back hold heldLimit bytes.
//
// Items may come by the thousand a second, so the threads meet as rarely as they can: a worker
// takes a run of items under one lock, a finished item is flagged without the lock, and a thread
// is woken only when it waits.

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace archiver {

struct WorkQueueLimits {
    std::size_t maxAhead = 4096;
    std::size_t heldLimit = 8 * 1024 * 1024;
    // A run holds at most this many items, and items of this much weight together beyond its first.
    std::size_t mostAtOnce = 32;
    std::uint64_t mostWeightAtOnce = 64 * 1024;
};

template <typename Item, typename State> class OrderedWorkQueue {
public:
    struct Slot {
        Item item;
        // What the worker has done of the item so far, in its own unit, for the waiting consumer.
        std::atomic<std::uint64_t> progress{0};
        // Set by a worker as its last touch of the slot: the consumer may take it at once.
        std::atomic<bool> ready{false};
    };
    struct Callbacks {
        // Prepares slot.item on a worker thread. False when the item is not finished yet: the
        // thread that finishes it later calls finish(slot).
        std::function<bool(Slot& slot, State& state)> prepare;
        // The item's size before it is prepared, to keep runs small.
        std::function<std::uint64_t(const Item&)> weight;
        // Bytes a finished item holds until it is taken back.
        std::function<std::size_t(const Item&)> heldBytes;
    };

    OrderedWorkQueue(unsigned workers, WorkQueueLimits limits, Callbacks callbacks)
        : m_limits(limits), m_callbacks(std::move(callbacks)), m_workerCount(std::max(workers, 1u))
    {
        for (unsigned i = 0; i < m_workerCount; ++i)
            m_workers.emplace_back([this] { work(); });
    }
    ~OrderedWorkQueue() { stop(); }
    OrderedWorkQueue(const OrderedWorkQueue&) = delete;
    OrderedWorkQueue& operator=(const OrderedWorkQueue&) = delete;

    // For the consumer alone.
    bool full() const { return m_count >= m_limits.maxAhead; }
    bool empty() const { return m_count == 0; }
    void submit(Item item)
    {
        auto slot = std::make_unique<Slot>();
        slot->item = std::move(item);
        bool wake = false;
        {
            std::lock_guard lock(m_mutex);
            m_slots.push_back(std::move(slot));
            // Idle workers are woken for a run, not for every item: a wake-up costs more than
            // carrying an unchanged file. waitFront wakes them for fewer before it waits.
            wake = m_idleWorkers > 0 && m_slots.size() - m_taken >= m_limits.mostAtOnce;
        }
        ++m_count;
        if (wake)
            m_workToDo.notify_one();
    }
    // The oldest item, finished or not. Workers must not change what the consumer reads here.
    const Item& frontItem() const { return m_slots.front()->item; }
    // Waits for the oldest item to be finished, calling onWait with its progress about ten times a
    // second; nullptr when onWait returns false. Valid until pop().
    Item* waitFront(const std::function<bool(std::uint64_t progress)>& onWait)
    {
        Slot& slot = *m_slots.front();
        if (slot.ready)
            return &slot.item;
        std::unique_lock lock(m_mutex);
        if (m_idleWorkers > 0 && m_taken < m_slots.size())
            m_workToDo.notify_all();
        // Raised before ready is looked at again, under the lock: a worker that sets ready after
        // the look sees the flag and notifies once this thread waits.
        m_consumerWaiting = true;
        while (!m_frontReady.wait_for(lock, kWaitTick, [&] { return slot.ready.load(); })) {
            lock.unlock();
            const bool goOn = !onWait || onWait(slot.progress.load());
            lock.lock();
            if (!goOn) {
                m_consumerWaiting = false;
                return nullptr;
            }
        }
        m_consumerWaiting = false;
        return &slot.item;
    }
    // Takes the finished oldest item out of the queue.
    Item pop()
    {
        std::unique_ptr<Slot> slot;
        bool wake = false;
        {
            std::lock_guard lock(m_mutex);
            slot = std::move(m_slots.front());
            m_slots.pop_front();
            --m_taken;
            const std::size_t bytes = m_callbacks.heldBytes(slot->item);
            const std::size_t before = m_held.fetch_sub(bytes);
            // Workers held back by the limit may go on.
            wake = m_idleWorkers > 0 && before >= m_limits.heldLimit && before - bytes < m_limits.heldLimit;
        }
        --m_count;
        if (wake)
            m_workToDo.notify_all();
        return std::move(slot->item);
    }

    // For any thread.
    void post(std::function<void(State&)> task)
    {
        bool wake = false;
        {
            std::lock_guard lock(m_mutex);
            m_tasks.push_back(std::move(task));
            wake = m_idleWorkers > 0;
        }
        if (wake)
            m_workToDo.notify_all();
    }
    // Marks an item whose prepare() returned false as finished.
    void finish(Slot& slot)
    {
        m_held += m_callbacks.heldBytes(slot.item);
        slot.ready = true;
        notifyConsumer();
    }
    bool stopping() const { return m_stopping; }
    // Stops the workers once their current item or task is done (prepare may look at stopping()
    // to give up sooner); tasks not started are dropped. Blocks until they have ended.
    void stop()
    {
        {
            std::lock_guard lock(m_mutex);
            m_stopping = true;
        }
        m_workToDo.notify_all();
        for (std::thread& worker : m_workers)
            worker.join();
        m_workers.clear();
    }
    // After stop(): every item not taken back, finished or not.
    template <typename F> void forEachLeft(F&& f)
    {
        for (auto& slot : m_slots)
            f(slot->item);
    }

private:
    static constexpr auto kWaitTick = std::chrono::milliseconds(100);

    // A task, or a run of items in order; neither when stopping.
    struct Work {
        std::function<void(State&)> task;
        std::vector<Slot*> slots;
    };

    Work take()
    {
        Work next;
        std::unique_lock lock(m_mutex);
        ++m_idleWorkers;
        m_workToDo.wait(lock, [&] {
            return m_stopping || !m_tasks.empty() || (m_taken < m_slots.size() && m_held < m_limits.heldLimit);
        });
        --m_idleWorkers;
        if (m_stopping)
            return next;
        if (!m_tasks.empty()) {
            next.task = std::move(m_tasks.front());
            m_tasks.pop_front();
            return next;
        }
        // A share of what waits, so no worker idles while another holds a run it has not started.
        const std::size_t share = std::max<std::size_t>(1, (m_slots.size() - m_taken) / m_workerCount);
        std::uint64_t weight = 0;
        while (m_taken < m_slots.size() && next.slots.size() < std::min(share, m_limits.mostAtOnce)) {
            Slot* slot = m_slots[m_taken].get();
            weight += m_callbacks.weight(slot->item);
            if (!next.slots.empty() && weight > m_limits.mostWeightAtOnce)
                break;
            next.slots.push_back(slot);
            ++m_taken;
        }
        return next;
    }

    void work()
    {
        State state;
        for (;;) {
            Work next = take();
            if (next.task) {
                next.task(state);
                continue;
            }
            if (next.slots.empty())
                return;
            bool readied = false;
            for (Slot* slot : next.slots) {
                // Once stopping, the rest of the run is not prepared; nothing will wait for it.
                if (m_stopping)
                    return;
                if (!m_callbacks.prepare(*slot, state))
                    continue;
                m_held += m_callbacks.heldBytes(slot->item);
                slot->ready = true;
                readied = true;
            }
            // One wake-up for the run, not one an item: the consumer then takes them in one go.
            if (readied)
                notifyConsumer();
        }
    }

    void notifyConsumer()
    {
        // The consumer raises its flag before it looks at ready, so one of the two sees the other;
        // the lock, taken and left, makes sure it waits before it is notified.
        if (m_consumerWaiting) {
            {
                std::lock_guard lock(m_mutex);
            }
            m_frontReady.notify_one();
        }
    }

    const WorkQueueLimits m_limits;
    const Callbacks m_callbacks;
    // Submitted and not popped, oldest first. Only the consumer adds and removes slots (under the
    // lock), so it reads the front without the lock.
    std::deque<std::unique_ptr<Slot>> m_slots;
    std::size_t m_count = 0; // m_slots.size(), for the consumer alone
    std::mutex m_mutex;
    std::condition_variable m_workToDo;   // for workers: items submitted, tasks posted, room freed
    std::condition_variable m_frontReady; // for the consumer: the item it waits for is finished
    std::size_t m_taken = 0;              // slots (from the front) handed to workers
    unsigned m_idleWorkers = 0;           // workers waiting on m_workToDo
    std::deque<std::function<void(State&)>> m_tasks;
    std::atomic<bool> m_consumerWaiting{false};
    std::atomic<std::size_t> m_held{0}; // bytes held by finished slots
    std::atomic<bool> m_stopping{false};
    const unsigned m_workerCount;
    std::vector<std::thread> m_workers;
};

} // namespace archiver
