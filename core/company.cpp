#include "company.h"

#include "connection.h"
#include "recordset.h"
#include "transaction.h"

namespace {

const QString kSelect = QStringLiteral("select * from Tqvjx_companydetails");
const QString kTable = QStringLiteral("Tqvjx_companydetails");

} // namespace

std::optional<Problem> companyProblem(const CompanyDetails &company)
{
    const QList<Check> checks{{Field::CompanyName, Check::Empty}, {Field::CompanyName, Check::TooLong}};
    return firstProblem(checks, [&](Field) { return company.name; });
}

SaveResult saveCompany(Connection &cn, const CompanyDetails &company)
{
    if (auto problem = companyProblem(company))
        return {SaveResult::Refused, problem};
    Transaction transaction(cn);
    RecordSet rs;
    rs.open(kSelect, {}, cn, LockType::Optimistic, kTable);
    const bool replacing = !rs.eof();
    if (replacing)
        rs.deleteCurrent();
    rs.addNew();
    rs.setField(QStringLiteral("fqv_jx_companyname"), company.name);
    rs.setField(QStringLiteral("fqv_jx_address"), company.address);
    rs.update();
    transaction.commit();
    return {replacing ? SaveResult::Changed : SaveResult::Added, std::nullopt};
}

std::optional<CompanyDetails> readCompany(Connection &cn)
{
    RecordSet rs;
    rs.open(kSelect, {}, cn);
    if (rs.eof())
        return std::nullopt;
    return CompanyDetails{rs.fields(QStringLiteral("fqv_jx_companyname")).toString(),
                          rs.fields(QStringLiteral("fqv_jx_address")).toString()};
}

QVariant companySecondColumn(Connection &cn)
{
    RecordSet rs;
    rs.open(kSelect, {}, cn);
    return rs.eof() ? QVariant() : rs.fields(1);
}
