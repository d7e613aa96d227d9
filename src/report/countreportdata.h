#pragma once

// Everything the count report prints, as plain rows. The editor fills it
// from what it shows; a tool without windows can fill it from a saved count.

#include "counting/rules.h"

#include <QIcon>
#include <QList>
#include <QString>
#include <QStringList>

namespace qm::report {

// One node of a tree, in pre-order.
struct ReportNode
{
    qint64 tag = 0;
    int depth = 0; // 0 for a top-level node
    QString description;
    QString type;
    QString complexity;
    QString changeType;
    qint64 value = 0; // as the tree holds it: a group's is its subtree's sum
};

// The texts of the count page's totals fields, as shown.
struct ReportTotals
{
    QString unadjustedAddedChanged; // TotalUnAddChangeEdit
    QString adjustedAddedChanged;   // TotalAddChangeEdit
    QString unadjustedDeleted;      // TotalUnDeleteEdit
    QString adjustedDeleted;        // TotalDeleteEdit
    QString unadjustedTotal;        // TotalUnAEdit
    QString adjustedTotal;          // TotalEdit
    QString vafAfter;               // the count page's VAF (after)
    QString vafBefore;              // the count page's VAF (before)
};

struct CountReportData
{
    QString productName = QStringLiteral("Quillmark");
    // The editor window's caption.
    QString caption;
    bool filterActive = false;

    // The count row as the editor holds it, edits not yet stored included.
    QString countType; // "B" or "E"
    QString description;
    QString system;
    QStringList comments; // the lines of the comments memo
    Characteristics characteristics{};
    // The fourteen as last stored: the VAF line is computed from these.
    Characteristics storedCharacteristics{};

    // The summary list: its mode, column captions and rows as displayed.
    int summaryMode = 0;
    QStringList summaryCaptions;
    QList<QStringList> summaryRows;
    ReportTotals totals;

    QList<ReportNode> files;
    QList<ReportNode> transactions;

    // The tree pictures: transactions input, output, inquiry, group, then
    // the same for unchanged items; files internal, external, then the same
    // for unchanged items. Missing pictures print as nothing.
    QList<QIcon> transPictures;
    QList<QIcon> filePictures;
};

} // namespace qm::report
