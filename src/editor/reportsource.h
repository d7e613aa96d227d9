#pragma once

#include "report/countreportdata.h"

namespace qm {

class Database;
class TMainForm;

// What the count report prints, taken from what the editor shows at this
// moment: the count row as it holds it, the summary list in its displayed
// order, the totals fields, the VAF fields and both trees.
report::CountReportData ReportDataFromEditor(TMainForm &editor, Database &db);

} // namespace qm
