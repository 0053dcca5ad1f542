#pragma once

#include "reportlayout.h"

// The summary tables of a report, counted over every row it read. The numbers
// and the bars of a table come from one count, so they cannot disagree.
// Consecutive counts and rates make one table of totals.
QList<SummaryTable> summaryTables(const ReportDefinition &definition, const ReportContent &content);

// A share as the summaries show it: "80.0 %", or "-" of nothing.
QString percent(int part, int whole);
