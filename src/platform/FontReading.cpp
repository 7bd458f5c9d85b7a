#include "FontReading.h"

#ifdef TUVANO_FONTCONFIG
#include <fontconfig/fontconfig.h>
#include <system_error>
#include <thread>
#endif

namespace tuvano::platform {

struct FontReading::Reader {
#ifdef TUVANO_FONTCONFIG
    std::thread reading;
#endif
};

FontReading::FontReading() : m_reader(std::make_unique<Reader>())
{
#ifdef TUVANO_FONTCONFIG
    try {
        m_reader->reading = std::thread([] { FcInit(); });
    } catch (const std::system_error&) {
        // No thread to be had: Qt reads it itself, as it always would.
    }
#endif
}

FontReading::~FontReading() { wait(); }

void FontReading::wait()
{
#ifdef TUVANO_FONTCONFIG
    if (m_reader->reading.joinable())
        m_reader->reading.join();
#endif
}

} // namespace tuvano::platform
