#include "backupentries.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    return qm::fuzz::LzrwOneInput(data, size);
}
