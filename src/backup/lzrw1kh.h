#pragma once

#include <QtGlobal>

namespace qm {

// Largest block an older archive frames, and the most one block decodes to.
inline constexpr int kLzrwMaxBlock = 32768;

// Decodes one LZRW1-KH block of an older archive into output, which must
// hold kLzrwMaxBlock bytes. Returns the number of bytes written, or -1 when
// the block is malformed: a copy reaching before the start of the output,
// an item or control word cut off by the end of the block, or more output
// than the buffer holds. Nothing outside either buffer is ever touched.
int Decompress(const quint8 *block, int length, quint8 *output);

} // namespace qm
