#include "backup/lzrw1kh.h"

#include <QByteArray>
#include <QtTest>

#include <vector>

using namespace qm;

namespace {

QByteArray bytes(std::initializer_list<int> values)
{
    QByteArray out;
    for (int v : values)
        out.append(char(v));
    return out;
}

// Decodes into a buffer with guard bytes on both sides, so a write outside
// the output shows.
int decode(const QByteArray &block, QByteArray &result, bool &guardsIntact)
{
    std::vector<quint8> buffer(kLzrwMaxBlock + 64, 0xA5);
    const int n = Decompress(reinterpret_cast<const quint8 *>(block.constData()), int(block.size()), buffer.data() + 32);
    guardsIntact = true;
    for (int i = 0; i < 32; ++i)
        guardsIntact = guardsIntact && buffer[i] == 0xA5 && buffer[buffer.size() - 1 - i] == 0xA5;
    result = n > 0 ? QByteArray(reinterpret_cast<const char *>(buffer.data() + 32), n) : QByteArray();
    return n;
}

} // namespace

class TestLzrw1kh : public QObject
{
    Q_OBJECT

private slots:
    void decodesEveryItemKind_data();
    void decodesEveryItemKind();
    void refusesMalformedBlocks_data();
    void refusesMalformedBlocks();
    void runsFillTheWholeOutput();
};

void TestLzrw1kh::decodesEveryItemKind_data()
{
    QTest::addColumn<QByteArray>("block");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("stored") << bytes({128, 65, 66}) << QByteArray("AB");
    QTest::newRow("stored, flag only") << bytes({128}) << QByteArray();
    QTest::newRow("no items") << bytes({0, 0, 0}) << QByteArray();

    QByteArray sixteen = bytes({0, 0, 0}) + QByteArray("abcdefghijklmnop");
    QTest::newRow("16 literals") << sixteen << QByteArray("abcdefghijklmnop");
    // After 16 items the next two bytes are a fresh control word: here a
    // copy item first (bit 15 set), then a literal.
    QTest::newRow("second control word") << sixteen + bytes({0x80, 0x00, 0x00, 0x33, 'z'})
                                         << QByteArray("abcdefghijklmnop") + "nopnop" + "z";
    QTest::newRow("control word last in block") << sixteen + bytes({0x00, 0x00}) << QByteArray("abcdefghijklmnop");

    // Control 0x4000: a literal, then a copy of offset 1, length 3 over
    // the byte just written.
    QTest::newRow("overlapping copy") << bytes({0, 0x40, 0x00, 65, 0x00, 0x10}) << QByteArray("AAAA");
    // Offset 3, length 18 (b1 low nibble 15): the source runs into the copy.
    QTest::newRow("longest copy") << bytes({0, 0x10, 0x00, 'x', 'y', 'z', 0x00, 0x3F})
                                  << QByteArray("xyz") + QByteArray("xyzxyzxyzxyzxyzxyz");
    // A literal, a run of 4094 bytes, then a copy of offset 4095 (b0 = 255,
    // b1 high nibble 15), which reaches back to the literal.
    QTest::newRow("largest offset") << bytes({0, 0x60, 0x00, 'A', 0, 0x0F, 0xEE, 'q', 0xFF, 0xF0})
                                    << QByteArray("A") + QByteArray(4094, 'q') + "Aqq";
    QTest::newRow("shortest run") << bytes({0, 0x80, 0x00, 0, 0, 0, 88}) << QByteArray(16, 88);
    QTest::newRow("longest run") << bytes({0, 0x80, 0x00, 0, 15, 255, 88}) << QByteArray(4111, 88);
    QTest::newRow("run then copy") << bytes({0, 0xC0, 0x00, 0, 0, 1, 'r', 0x01, 0x12})
                                   << QByteArray(17, 'r') + QByteArray(5, 'r');
}

void TestLzrw1kh::decodesEveryItemKind()
{
    QFETCH(QByteArray, block);
    QFETCH(QByteArray, expected);
    QByteArray result;
    bool guards = false;
    QCOMPARE(decode(block, result, guards), int(expected.size()));
    QVERIFY(guards);
    QCOMPARE(result, expected);
}

void TestLzrw1kh::refusesMalformedBlocks_data()
{
    QTest::addColumn<QByteArray>("block");

    QTest::newRow("empty") << QByteArray();
    QTest::newRow("control word cut off") << bytes({0, 0});
    QTest::newRow("copy before the start") << bytes({0, 0x80, 0x00, 0x00, 0x10});
    QTest::newRow("copy reaching too far back") << bytes({0, 0x40, 0x00, 'a', 0x00, 0x20});
    QTest::newRow("copy cut off") << bytes({0, 0x40, 0x00, 'a', 0x00});
    QTest::newRow("run cut off") << bytes({0, 0x80, 0x00, 0, 0, 0});
    QTest::newRow("next control word cut off") << bytes({0, 0, 0}) + QByteArray(16, 'a') + bytes({0});
    // Nine runs of 4111 bytes are 36999 bytes: more than one block holds.
    QByteArray tooLong = bytes({0, 0xFF, 0x80});
    for (int i = 0; i < 9; ++i)
        tooLong += bytes({0, 15, 255, 'o'});
    QTest::newRow("output beyond 32768") << tooLong;
    QTest::newRow("longer than a block") << QByteArray(kLzrwMaxBlock + 1, '\0');
}

void TestLzrw1kh::refusesMalformedBlocks()
{
    QFETCH(QByteArray, block);
    QByteArray result;
    bool guards = false;
    QCOMPARE(decode(block, result, guards), -1);
    QVERIFY(guards);
}

// Eight runs of 4096 bytes are exactly one block's worth of output.
void TestLzrw1kh::runsFillTheWholeOutput()
{
    QByteArray block = bytes({0, 0xFF, 0x00});
    for (int i = 0; i < 8; ++i)
        block += bytes({0, 15, 240, 'e'});
    QByteArray result;
    bool guards = false;
    QCOMPARE(decode(block, result, guards), kLzrwMaxBlock);
    QVERIFY(guards);
    QCOMPARE(result, QByteArray(kLzrwMaxBlock, 'e'));
}

QTEST_GUILESS_MAIN(TestLzrw1kh)
#include "test_lzrw1kh.moc"
