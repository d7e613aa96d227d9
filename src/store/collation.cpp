#include "store/collation.h"

#include <QLocale>

#include <memory>

namespace qm {

const QCollator &TextCollator()
{
    // One collator per thread, rebuilt only when the default locale changes:
    // setting one up is far dearer than a comparison.
    thread_local std::unique_ptr<QCollator> collator;
    thread_local QLocale locale;
    const QLocale current;
    if (!collator || current != locale) {
        locale = current;
        collator = std::make_unique<QCollator>(current);
        collator->setCaseSensitivity(Qt::CaseSensitive);
    }
    return *collator;
}

int CompareText(const QString &a, const QString &b)
{
    return TextCollator().compare(a, b);
}

} // namespace qm
