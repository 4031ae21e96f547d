#pragma once
// The firing report as a file: UTF-8 CSV, one header line, a line per cue in scenario order;
// the effect and position cells are quoted when they hold a comma or a quote. Files of the
// ten columns before them still read.
// Written beside the run log when a show stops, and read back for the report window, so a
// report of an earlier show opens as well as the last one.

#include "show/report/FiringReport.h"

#include <string>
#include <string_view>
#include <vector>

namespace kv {

// The words of the report's kind, reason and check columns: "fire", "module absent",
// "connected"; empty for no reason and no check.
std::string_view CueKindName(int32_t kind);
std::string_view MissReasonName(TMissReason reason);
std::string_view CheckResultName(TCheckResult check);

// false when it cannot be written.
bool WriteFiringReport(const TFiringReport& report, const std::string& path);
// Empty on success, else what is wrong with the file, with the line. records is replaced.
// faultLine, when given, gets the line at fault: 1 the header, 0 when the file did not open.
std::string ReadFiringReport(const std::string& path, std::vector<TCueRecord>& records,
                             size_t* faultLine = nullptr);
// logs/2026-12-08_0.log, show 2: logs/2026-12-08_0-show2.csv; a rehearsal's report ends in
// -rehearsal.csv, so that it is never taken for a show's paperwork.
std::string FiringReportPathBeside(const std::string& logFile, int show, bool rehearsal);
bool IsRehearsalReport(const std::string& path);

}  // namespace kv
