#pragma once

#include <QCollator>
#include <QString>

namespace qm {

// The locale-aware, case-sensitive comparison that orders node and item
// texts. It follows the default locale, so a change of it takes effect at
// the next comparison.
const QCollator &TextCollator();
int CompareText(const QString &a, const QString &b);

} // namespace qm
