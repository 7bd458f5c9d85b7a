// The libFuzzer entry point of one reader, chosen by TUVANO_FUZZ_READER.
#include "ReaderCheck.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

#ifndef TUVANO_FUZZ_READER
#error "TUVANO_FUZZ_READER must name the reader under test"
#endif

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArrayView bytes(data, qsizetype(size));
    if (const auto failure = tuvano::fuzz::check(tuvano::fuzz::Reader::TUVANO_FUZZ_READER, bytes)) {
        std::fprintf(stderr, "reader check failed: %s\n", qPrintable(*failure));
        std::abort();
    }
    return 0;
}
