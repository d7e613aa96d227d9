// libFuzzer target for reading import text (built with -DQM_FUZZ=ON).

#include "importentry.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    qm::fuzz::ReadImportBytes(data, size);
    return 0;
}
