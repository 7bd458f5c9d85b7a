#include "FontReading.h"

#ifdef TUVANO_FONTCONFIG
#include <condition_variable>
#include <fontconfig/fontconfig.h>
#include <mutex>
#include <system_error>
#include <thread>
#ifdef __linux__
#include <pthread.h>
#include <sched.h>
#endif
#endif

namespace tuvano::platform {

#ifdef TUVANO_FONTCONFIG
namespace {

// Linux often starts a new thread on the core of the thread that made it,
// where it waits until the scheduler moves it: up to two milliseconds here
// while start-up keeps that core busy, and the reading ends that much later.
// It is sent to another core at once; where that cannot be done, it only
// starts later.
void sendToAnotherCore([[maybe_unused]] std::thread& thread)
{
#ifdef __linux__
    const int here = sched_getcpu();
    cpu_set_t allowed;
    if (here < 0 || pthread_getaffinity_np(thread.native_handle(), sizeof allowed, &allowed) != 0)
        return;
    CPU_CLR(here, &allowed);
    if (CPU_COUNT(&allowed) > 0)
        pthread_setaffinity_np(thread.native_handle(), sizeof allowed, &allowed);
#endif
}

} // namespace
#endif

struct FontReading::Reader {
#ifdef TUVANO_FONTCONFIG
    std::mutex mutex;
    std::condition_variable done;
    bool read = false;
    std::thread reading;
#endif
};

FontReading::FontReading() : m_reader(std::make_unique<Reader>())
{
#ifdef TUVANO_FONTCONFIG
    try {
        // The waiting thread is woken as soon as the configuration is read,
        // not when this thread has ended, which takes longer.
        m_reader->reading = std::thread([reader = m_reader.get()] {
            FcInit();
            {
                const std::lock_guard lock(reader->mutex);
                reader->read = true;
            }
            reader->done.notify_all();
        });
        // Held, the lock keeps the thread from ending meanwhile, and so its
        // handle names it and no other.
        const std::lock_guard lock(m_reader->mutex);
        if (!m_reader->read)
            sendToAnotherCore(m_reader->reading);
    } catch (const std::system_error&) {
        // No thread to be had: Qt reads it itself, as it always would.
    }
#endif
}

FontReading::~FontReading()
{
#ifdef TUVANO_FONTCONFIG
    if (m_reader->reading.joinable())
        m_reader->reading.join();
#endif
}

void FontReading::wait()
{
#ifdef TUVANO_FONTCONFIG
    if (!m_reader->reading.joinable())
        return;
    std::unique_lock lock(m_reader->mutex);
    m_reader->done.wait(lock, [this] { return m_reader->read; });
#endif
}

} // namespace tuvano::platform
