#pragma once

#include <memory>

namespace tuvano::platform {

// Reading the system's font configuration is the longest single step of a
// start (outside Windows, where Qt reads it through fontconfig), and the
// first window cannot be built without it. It needs nothing from the
// program, so it runs on another core while Qt sets itself up and the
// program claims its folder; Qt's own call then finds it done. Elsewhere
// this does nothing.
class FontReading {
public:
    FontReading();
    ~FontReading();
    FontReading(const FontReading&) = delete;
    FontReading& operator=(const FontReading&) = delete;

    // Returns once the configuration has been read.
    void wait();

private:
    struct Reader;
    std::unique_ptr<Reader> m_reader;
};

} // namespace tuvano::platform
