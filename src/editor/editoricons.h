#pragma once

#include <QIcon>
#include <QList>

namespace qm {

// The editor's pictures, drawn rather than loaded so the program carries no
// image files.

// Transaction tree: input, output, inquiry, group, then the same greyed for
// unchanged items of an enhancement count.
QList<QIcon> TransTreeImages();
// File tree: internal, external, then both greyed.
QList<QIcon> FileTreeImages();
// Summary rows: input, output, inquiry, group, internal file, external file.
QList<QIcon> SummaryListImages();

// A toolbar picture: a rounded tile in a colour with a short caption.
QIcon ToolIcon(const QColor &colour, const QString &caption);

} // namespace qm
