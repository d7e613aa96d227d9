#include "importentry.h"

#include "interchange/importcheck.h"
#include "interchange/splitter.h"
#include "interchange/values.h"

#include <QByteArray>
#include <QRegularExpression>
#include <QStringList>

namespace qm::fuzz {

void ReadImportBytes(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const QString text = DecodeInterchangeText(bytes);
    static const QRegularExpression lineEnd(QStringLiteral("\r\n|\r|\n"));
    const QStringList lines = text.split(lineEnd);
    qsizetype fields = 0;
    for (const QString &line : lines) {
        fields += SplitRecord(line).size();
        fields += SplitCommaText(line).size();
    }
    TImportCheck check;
    check.RunFirstPass(lines);
    if (check.runStatus() != Severity::Error)
        check.RunCrossChecks();
    // Everything the view would show is reachable from the results.
    for (const DisplayLine &d : check.display())
        fields += d.text.size() + int(check.lineStatus(d.line));
    (void)fields;
}

} // namespace qm::fuzz
