#pragma once

#include "saveresult.h"

#include <QVariant>

class Connection;

// The user's company, which heads the reports and shows in the About window.
struct CompanyDetails
{
    QString name;
    QString address; // several lines of plain text
    // The stored row's name and address as the window read them (Null kept):
    // the save replaces the row only while it still holds them. None when the
    // window read no row.
    std::optional<QVariantList> asRead{};
};

// The company details window's check: only the empty name is refused, a name
// of blanks is the user's to keep.
std::optional<Problem> companyProblem(const CompanyDetails &company);

// Checks, then replaces the first stored row (if any) by the new one, in one
// transaction: a failure never leaves the company without its row. Added when
// the table held no row, Changed when one was replaced, Stale (nothing
// written) when asRead no longer matches the first stored row.
SaveResult saveCompany(Connection &cn, const CompanyDetails &company);

// The first stored row, Null texts as empty ones, asRead as stored; none when the table is empty.
std::optional<CompanyDetails> readCompany(Connection &cn);
// The first stored row's second column as stored (Null kept): the address in
// the table's layout, which the About window shows by position.
QVariant companySecondColumn(Connection &cn);
