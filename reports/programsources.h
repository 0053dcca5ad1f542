#pragma once

// Makes the rows the program works out itself known to the report engine
// under the names the shipped definitions use. Safe to call more than once.
void addProgramReportSources();
