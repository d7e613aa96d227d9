#pragma once

#include <cstddef>
#include <cstdint>

namespace qm::fuzz {

// Reads arbitrary bytes as import text, the whole way an import reads a
// file: decoding, both splitters on every line, the checks of each line
// and between records. Never throws; any crash or sanitizer report is a
// finding.
void ReadImportBytes(const std::uint8_t *data, std::size_t size);

} // namespace qm::fuzz
