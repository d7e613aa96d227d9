#pragma once

#include <cstddef>
#include <cstdint>

namespace qm::fuzz {

// Arbitrary bytes as an archive on a stream: its information is read, then
// it is restored into a scratch folder. Aborts if anything lands outside
// that folder.
int ArchiveOneInput(const uint8_t *data, size_t size);

// Arbitrary bytes as one block of an older archive.
int LzrwOneInput(const uint8_t *data, size_t size);

} // namespace qm::fuzz
