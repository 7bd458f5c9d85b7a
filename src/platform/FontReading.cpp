#include "FontReading.h"

#ifdef TUVANO_FONTCONFIG
#include <fontconfig/fontconfig.h>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>
#endif

namespace tuvano::platform {

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
