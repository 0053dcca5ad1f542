#pragma once

#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

// A workbook's first sheet as a spreadsheet reads it, unzipped with unzip(1).
struct WorkbookCell
{
    QString type;   // "s" a text, "n" a number, "f" a formula
    QString value;  // the text, or the number as stored
    QString format; // the number format of its style; empty for none
};

struct WorkbookSheet
{
    QMap<QString, WorkbookCell> cells; // by reference, "A1"
    QString frozenAt;                  // the first cell below and right of the frozen pane
    QString filter;                    // the autofilter's range
    QList<double> widths;              // per column, from the first

    WorkbookCell cell(int row, int column) const; // from 1 and 0, as "A1" is (1, 0)
    QStringList values(int row, int columns) const;
};

// Empty, with the reason in problem, when the file is no workbook.
WorkbookSheet readWorkbook(const QString &path, QString *problem);
