// Replays every file of the import corpus through the fuzz entry point, so
// each input the fuzzer ever kept, crashes included, is run by the tests.
//
//   replay_import <corpus folder>...

#include "importentry.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>

#include <cstdio>

int main(int argc, char **argv)
{
    int replayed = 0;
    for (int i = 1; i < argc; ++i) {
        QDirIterator it(QString::fromLocal8Bit(argv[i]), QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            QFile file(it.next());
            if (!file.open(QIODevice::ReadOnly)) {
                std::fprintf(stderr, "cannot read %s\n", qPrintable(file.fileName()));
                return 1;
            }
            const QByteArray bytes = file.readAll();
            qm::fuzz::ReadImportBytes(reinterpret_cast<const std::uint8_t *>(bytes.constData()),
                                      std::size_t(bytes.size()));
            ++replayed;
        }
    }
    std::printf("%d inputs replayed\n", replayed);
    // An empty corpus replays nothing and proves nothing.
    return replayed > 0 ? 0 : 1;
}
