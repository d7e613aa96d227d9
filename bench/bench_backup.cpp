// Times backing up and restoring a large database folder against plain
// zlib doing the same blocks. Run by hand, in a Release build:
//
//   bench_backup --generate FOLDER [--megabytes N]   make FOLDER/CCounts.DB
//                [--scale N]                      of N times that size
//   bench_backup --run FOLDER [--rounds N]           time it (FOLDER kept)
//
// The two steps are apart so the peak memory of the run (/usr/bin/time -v)
// is that of the archive work alone.

#include "datagen.h"

#include "backup/archiveformat.h"
#include "backup/backupfile.h"
#include "store/database.h"
#include "store/schema.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTextStream>
#include <QtEndian>

#include <algorithm>
#include <sys/resource.h>
#include <vector>
#include <zlib.h>
#include "benchsupport.h"

using namespace qm;

namespace {

QTextStream out(stdout);

using bench::Expect;

double megabytes(qint64 bytes)
{
    return double(bytes) / (1024.0 * 1024.0);
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// Processor time of the process, which a busy machine disturbs less than
// the clock on the wall.
double cpuSeconds()
{
    rusage use{};
    getrusage(RUSAGE_SELF, &use);
    const auto sec = [](const timeval &t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
    return sec(use.ru_utime) + sec(use.ru_stime);
}

long peakKilobytes()
{
    rusage use{};
    getrusage(RUSAGE_SELF, &use);
    return use.ru_maxrss;
}

void generate(const QString &folder, int megabytesWanted)
{
    QDir().mkpath(folder);
    const QString file = QDir(folder).filePath(kDatabaseFileName);
    Expect(!QFileInfo::exists(file), file + " exists already");
    CreateEmptyDatabaseFile(file);
    Database db;
    db.open(folder);
    QRandomGenerator rng(20240506);
    bench::CountShape shape;
    int tag = 1;
    int id = 1;
    while (QFileInfo(file).size() < qint64(megabytesWanted) << 20) {
        Transaction tx(db);
        for (int i = 0; i < 50; ++i, ++id)
            tag = bench::GenerateCount(db, id, shape, tag, rng, 0);
        tx.commit();
    }
    db.close();
    out << "generated " << id - 1 << " counts, " << megabytes(QFileInfo(file).size()) << " MB" << Qt::endl;
}

// Plain zlib on the same file: 16 KiB blocks, each a stream of its own,
// written with its length; then the same blocks inflated back to a file.
double rawDeflate(const QString &source, const QString &target)
{
    QFile in(source);
    QFile outFile(target);
    Expect(in.open(QIODevice::ReadOnly) && outFile.open(QIODevice::WriteOnly), "raw files");
    z_stream z{};
    deflateInit(&z, 1);
    std::vector<char> block(archive::kBlockSize), packed(archive::kBlockSize);
    QElapsedTimer timer;
    timer.start();
    for (qint64 n; (n = in.read(block.data(), qint64(block.size()))) > 0;) {
        deflateReset(&z);
        z.next_in = reinterpret_cast<Bytef *>(block.data());
        z.avail_in = uInt(n);
        z.next_out = reinterpret_cast<Bytef *>(packed.data());
        z.avail_out = uInt(packed.size());
        const bool fits = deflate(&z, Z_FINISH) == Z_STREAM_END;
        const qint32 size = fits ? qint32(packed.size() - z.avail_out) : -qint32(n);
        const qint32 le = qToLittleEndian(size);
        outFile.write(reinterpret_cast<const char *>(&le), 4);
        outFile.write(fits ? packed.data() : block.data(), qAbs(size));
    }
    outFile.close();
    const double s = double(timer.nsecsElapsed()) / 1e9;
    deflateEnd(&z);
    return s;
}

double rawInflate(const QString &source, const QString &target)
{
    QFile in(source);
    QFile outFile(target);
    Expect(in.open(QIODevice::ReadOnly) && outFile.open(QIODevice::WriteOnly), "raw files");
    z_stream z{};
    inflateInit(&z);
    std::vector<char> block(archive::kBlockSize), plain(archive::kBlockSize);
    QElapsedTimer timer;
    timer.start();
    qint32 size = 0;
    while (in.read(reinterpret_cast<char *>(&size), 4) == 4) {
        size = qFromLittleEndian(size);
        in.read(block.data(), qAbs(size));
        if (size < 0) {
            outFile.write(block.data(), -size);
            continue;
        }
        inflateReset(&z);
        z.next_in = reinterpret_cast<Bytef *>(block.data());
        z.avail_in = uInt(size);
        z.next_out = reinterpret_cast<Bytef *>(plain.data());
        z.avail_out = uInt(plain.size());
        Expect(inflate(&z, Z_FINISH) == Z_STREAM_END, "raw inflate");
        outFile.write(plain.data(), qint64(plain.size() - z.avail_out));
    }
    outFile.close();
    const double s = double(timer.nsecsElapsed()) / 1e9;
    inflateEnd(&z);
    return s;
}

QByteArray checksum(const QString &path)
{
    QFile f(path);
    Expect(f.open(QIODevice::ReadOnly), path);
    uLong a = adler32(0, nullptr, 0);
    for (QByteArray b; !(b = f.read(1 << 20)).isEmpty();)
        a = adler32(a, reinterpret_cast<const Bytef *>(b.constData()), uInt(b.size()));
    return QByteArray::number(quint64(a), 16);
}

void run(const QString &folder, int rounds)
{
    const QString db = QDir(folder).filePath(kDatabaseFileName);
    const qint64 size = QFileInfo(db).size();
    Expect(size > 0, "no database in " + folder);
    const QByteArray expected = checksum(db);
    QTemporaryDir work(QFileInfo(folder).absolutePath() + QStringLiteral("/bench_backup-XXXXXX"));
    const QString archive = work.filePath(QStringLiteral("db.bck"));
    std::vector<double> backup, restore, deflated, inflated;
    std::vector<double> backupCpu, restoreCpu, deflatedCpu, inflatedCpu;
    for (int r = 0; r < rounds; ++r) {
        TBackupFile component;
        QElapsedTimer t;
        t.start();
        double cpu = cpuSeconds();
        Expect(component.Backup({folder + QStringLiteral("/*.*")}, archive), "backup");
        backup.push_back(double(t.nsecsElapsed()) / 1e9);
        backupCpu.push_back(cpuSeconds() - cpu);
        const QString into = work.filePath(QStringLiteral("restored%1").arg(r));
        t.restart();
        cpu = cpuSeconds();
        Expect(component.Restore(archive, into), "restore");
        restore.push_back(double(t.nsecsElapsed()) / 1e9);
        restoreCpu.push_back(cpuSeconds() - cpu);
        Expect(checksum(QDir(into).filePath(kDatabaseFileName)) == expected, "restored copy differs");
        QDir(into).removeRecursively();
        cpu = cpuSeconds();
        deflated.push_back(rawDeflate(db, work.filePath(QStringLiteral("raw.z"))));
        deflatedCpu.push_back(cpuSeconds() - cpu);
        cpu = cpuSeconds();
        inflated.push_back(rawInflate(work.filePath(QStringLiteral("raw.z")), work.filePath(QStringLiteral("raw.out"))));
        inflatedCpu.push_back(cpuSeconds() - cpu);
        Expect(checksum(work.filePath(QStringLiteral("raw.out"))) == expected, "raw copy differs");
    }
    const double mb = megabytes(size);
    const auto line = [&](const char *what, const std::vector<double> &s, const std::vector<double> &c) {
        out << QStringLiteral("%1 %2 s median, %3 MB/s; processor %4 s, %5 MB/s\n")
                   .arg(QLatin1String(what), -16)
                   .arg(median(s), 0, 'f', 3)
                   .arg(mb / median(s), 0, 'f', 1)
                   .arg(median(c), 0, 'f', 3)
                   .arg(mb / median(c), 0, 'f', 1);
    };
    out << "database " << mb << " MB, archive " << megabytes(QFileInfo(archive).size()) << " MB, " << rounds
        << " rounds\n";
    line("backup", backup, backupCpu);
    line("zlib deflate", deflated, deflatedCpu);
    line("restore", restore, restoreCpu);
    line("zlib inflate", inflated, inflatedCpu);
    const auto ratio = [&](const char *what, const std::vector<double> &ours, const std::vector<double> &raw,
                           const std::vector<double> &oursCpu, const std::vector<double> &rawCpu) {
        out << QStringLiteral("%1 throughput ratio %2 (wall), %3 (processor)\n")
                   .arg(QLatin1String(what))
                   .arg(median(raw) / median(ours), 0, 'f', 2)
                   .arg(median(rawCpu) / median(oursCpu), 0, 'f', 2);
    };
    ratio("backup / zlib deflate", backup, deflated, backupCpu, deflatedCpu);
    ratio("restore / zlib inflate", restore, inflated, restoreCpu, inflatedCpu);
    out << "peak resident " << peakKilobytes() / 1024 << " MB" << Qt::endl;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addOption({QStringLiteral("generate"), QStringLiteral("Make a database in FOLDER."), QStringLiteral("FOLDER")});
    parser.addOption({QStringLiteral("megabytes"), QStringLiteral("Its size."), QStringLiteral("N"), QStringLiteral("200")});
    parser.addOption({QStringLiteral("run"), QStringLiteral("Time the database in FOLDER."), QStringLiteral("FOLDER")});
    parser.addOption({QStringLiteral("rounds"), QStringLiteral("Timed rounds."), QStringLiteral("N"), QStringLiteral("3")});
    parser.addHelpOption();
    bench::AddScaleOption(parser);
    parser.process(app);
    if (parser.isSet(QStringLiteral("generate")))
        generate(parser.value(QStringLiteral("generate")), parser.value(QStringLiteral("megabytes")).toInt() * bench::Scale(parser));
    if (parser.isSet(QStringLiteral("run")))
        run(parser.value(QStringLiteral("run")), std::max(1, parser.value(QStringLiteral("rounds")).toInt()));
    return 0;
}
