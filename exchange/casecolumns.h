#pragma once

#include <QHash>
#include <QStringList>
#include <array>

// The columns a file of test cases must have.
enum class CaseField { TestType, Component, ComponentType, Id, Description, Expected };
constexpr int kCaseFieldCount = 6;

// "Test Type", "Component", ...: as the export names the columns.
QString caseFieldName(CaseField field);
// The header names taken for a field, compared without case, spaces or punctuation.
QStringList caseFieldSynonyms(CaseField field);

// Where each field stands in a header.
struct CaseColumns
{
    std::array<int, kCaseFieldCount> position{};
    int operator[](CaseField field) const { return position[int(field)]; }
};

// Finds each field's column by its header name, in any order and case; a
// header name the caller chose for a field wins over the synonyms. An
// ExchangeError names every missing field, or two columns that could both be
// one field; file only labels the message.
CaseColumns matchCaseColumns(const QStringList &header, const QHash<CaseField, QString> &chosen = {},
                             const QString &file = QString());
