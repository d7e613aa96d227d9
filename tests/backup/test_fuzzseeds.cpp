// Every committed seed (and every input a fuzzer once found) goes through
// the fuzzers' own entry functions, so they run with each test run.

#include "backupentries.h"

#include <QDir>
#include <QFile>
#include <QtTest>

namespace {

QList<QByteArray> seeds(const char *corpus)
{
    QList<QByteArray> out;
    const QDir dir(QStringLiteral(QM_FUZZ_CORPUS_DIR "/") + QLatin1String(corpus));
    for (const QString &name : dir.entryList(QDir::Files, QDir::Name)) {
        QFile f(dir.filePath(name));
        if (f.open(QIODevice::ReadOnly))
            out << f.readAll();
    }
    return out;
}

} // namespace

class TestFuzzSeeds : public QObject
{
    Q_OBJECT

private slots:
    void replay_data();
    void replay();
};

void TestFuzzSeeds::replay_data()
{
    QTest::addColumn<QString>("corpus");
    QTest::newRow("archive") << "archive";
    QTest::newRow("lzrw") << "lzrw";
}

void TestFuzzSeeds::replay()
{
    QFETCH(QString, corpus);
    const QList<QByteArray> inputs = seeds(qPrintable(corpus));
    QVERIFY2(inputs.size() >= 5, "the seed corpus is missing");
    const auto entry = corpus == "archive" ? qm::fuzz::ArchiveOneInput : qm::fuzz::LzrwOneInput;
    for (const QByteArray &input : inputs)
        QCOMPARE(entry(reinterpret_cast<const uint8_t *>(input.constData()), size_t(input.size())), 0);
}

QTEST_GUILESS_MAIN(TestFuzzSeeds)
#include "test_fuzzseeds.moc"
