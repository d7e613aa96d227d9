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

// Toolbar pictures. The hierarchy buttons share the catalogue's, from
// iconpaint::Hierarchy.
namespace toolicons {

QIcon Save();
QIcon Print();
QIcon PrintPreview();
QIcon Cut();
QIcon Copy();
QIcon Paste();
QIcon InsertTransaction();
QIcon InsertChildTransaction();
QIcon DeleteTransaction();
QIcon LinkFiles();
QIcon InsertFile();
QIcon DeleteFile();
QIcon Previous();
QIcon Next();
QIcon Filter();
QIcon FilterOff();
QIcon ReadOnly();
QIcon SummaryMode();
QIcon SummaryLevel();

} // namespace toolicons

} // namespace qm
