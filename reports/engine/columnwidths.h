#pragma once

#include "report.h"

#include <QFont>
#include <QList>

// The columns a report prints and how wide each is, from the rows it shows.
struct ColumnChoice
{
    QList<int> shown;     // the definition's columns printed, in order
    QList<double> widths; // per printed column, in dots, filling the width
};

// A column is left out when the group headings already say its value, or when
// its value is the same in every row (the summary still counts it). A column
// marked not to wrap, and a short one, is as wide as its widest text; the long
// texts share the rest, each in proportion to how much it holds, so that
// their rows take about as many lines.
ColumnChoice chooseColumns(const ReportDefinition &definition, const ReportContent &content, const QFont &body,
                           const QFont &bold, double width, double padding);
