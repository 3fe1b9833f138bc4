#pragma once

#include <string>
#include <vector>

#include "fleet/report_file.h"
#include "ui/fleet/fleet_rows.h"

namespace trelvo {

// The list as the command line's report: one JSON line per row that has a
// result, the fields of ResultFields, so `update --retry-failed` reads it.
// A row known by its address also carries its name ("name").
std::string ReportText(const FleetRows& rows);

// The list for spreadsheets: a header and one line per row,
// recorder,address,version,accepted,outcome,message,attempts,seconds,sha256,
// UTF-8 behind a byte-order mark so that spreadsheet programs on Windows
// read umlauts. A cell that a spreadsheet would take for a formula gets a
// leading apostrophe: a recorder's version reply is not to run as one.
std::string CsvText(const FleetRows& rows);

// Puts a report's recorder into the list with its result; false for one
// the window does not update (a serial line).
bool AddReported(FleetRows& rows, const ReportedRecorder& recorder);

}  // namespace trelvo
