#include "backup/lzrw1kh.h"

namespace qm {

namespace {

constexpr quint8 kStoredFlag = 0x80;

// One item, given its control bit; advances in and out, false when malformed.
bool decodeItem(bool copyItem, const quint8 *block, int length, int &in, quint8 *output, int &out)
{
    if (!copyItem) {
        if (out >= kLzrwMaxBlock)
            return false;
        output[out++] = block[in++];
        return true;
    }
    if (length - in < 2)
        return false;
    const int b0 = block[in];
    const int b1 = block[in + 1];
    const int offset = b0 * 16 + (b1 >> 4);
    if (offset == 0) {
        if (length - in < 4)
            return false;
        const int count = b1 * 256 + block[in + 2] + 16;
        if (count > kLzrwMaxBlock - out)
            return false;
        const quint8 value = block[in + 3];
        for (int i = 0; i < count; ++i)
            output[out++] = value;
        in += 4;
        return true;
    }
    const int count = (b1 & 0x0F) + 3;
    if (offset > out || count > kLzrwMaxBlock - out)
        return false;
    // Byte by byte: the source may overlap the bytes being written.
    for (int i = 0; i < count; ++i, ++out)
        output[out] = output[out - offset];
    in += 2;
    return true;
}

} // namespace

int Decompress(const quint8 *block, int length, quint8 *output)
{
    if (!block || !output || length < 1 || length > kLzrwMaxBlock)
        return -1;
    if (block[0] == kStoredFlag) {
        for (int i = 1; i < length; ++i)
            output[i - 1] = block[i];
        return length - 1;
    }
    if (length < 3)
        return -1;
    quint16 control = static_cast<quint16>(block[1] << 8 | block[2]);
    int bits = 16;
    int in = 3;
    int out = 0;
    while (in < length) {
        if (bits == 0) {
            if (length - in < 2)
                return -1;
            control = static_cast<quint16>(block[in] << 8 | block[in + 1]);
            in += 2;
            bits = 16;
            // A control word may be the last thing in the block.
            if (in >= length)
                break;
        }
        if (!decodeItem((control & 0x8000) != 0, block, length, in, output, out))
            return -1;
        control = static_cast<quint16>(control << 1);
        --bits;
    }
    return out;
}

} // namespace qm
