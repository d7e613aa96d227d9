#pragma once

// The filter's condition texts. They are made only from the fixed codes of
// the dialog's check boxes and two integers (the count's id and a file
// tag), never from anything typed, so they can be appended to the trees'
// record sources as they stand.

#include <QString>

#include <array>

namespace qm {

// The ticks of the dialog's code boxes, in the order the boxes are shown.
// A group whose "Show All" is ticked has none of its boxes ticked.
struct FilterChoices
{
    std::array<bool, 4> changeTypes{};  // "Add", "Modify", "Delete", "None"
    std::array<bool, 4> complexities{}; // "Not Assigned", "Low", "Average", "High"
    std::array<bool, 3> transTypes{};   // "Input", "Output", "Inquiry"
};

// The codes the boxes stand for, in the same order.
inline const std::array<const char *, 4> kFilterChangeCodes = {"A", "M", "D", "N"};
inline const std::array<const char *, 4> kFilterComplexityCodes = {"0", "1", "2", "3"};
inline const std::array<const char *, 3> kFilterTransTypeCodes = {"I", "O", "Q"};

struct FilterTexts
{
    QString fileText;  // change type and complexity clauses
    QString transText; // those, the transaction type clause and the file clause
};

// fileTag 0 means no file condition.
FilterTexts BuildFilterTexts(const FilterChoices &choices, int countId, int fileTag);

// The filter state that lives as long as the program; the active flag
// itself is kept with the rest of the process-wide state.
struct FilterState
{
    QString filterFileName;
    int filterFileTag = 0;
    QString fileFilterText;
    QString transFilterText;
    bool filterChanged = false;
    bool filterResetPending = false;

    // As a count is opened: nothing filtered, nothing chosen.
    void Clear()
    {
        filterFileName.clear();
        filterFileTag = 0;
        fileFilterText.clear();
        transFilterText.clear();
        filterChanged = false;
    }
};

} // namespace qm
