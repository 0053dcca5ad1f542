#include "company.h"

#include "asread.h"
#include "connection.h"
#include "recordset.h"
#include "statement.h"
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
    if (company.asRead) {
        Statement remove(cn,
                         QStringLiteral("delete from %1 where rowid=(select rowid from %1 limit 1) and ").arg(kTable)
                             + stillAsRead({QStringLiteral("fqv_jx_companyname"), QStringLiteral("fqv_jx_address")}),
                         QStringLiteral("Cannot save the company details"));
        remove.run(*company.asRead);
        if (remove.changes() == 0)
            return {SaveResult::Stale, std::nullopt};
    }
    RecordSet rs;
    rs.open(kSelect, {}, cn, LockType::Optimistic, kTable);
    const bool replacing = company.asRead || !rs.eof();
    if (!company.asRead && replacing)
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
    const QVariant name = rs.fields(QStringLiteral("fqv_jx_companyname"));
    const QVariant address = rs.fields(QStringLiteral("fqv_jx_address"));
    return CompanyDetails{name.toString(), address.toString(), QVariantList{name, address}};
}

QVariant companySecondColumn(Connection &cn)
{
    RecordSet rs;
    rs.open(kSelect, {}, cn);
    return rs.eof() ? QVariant() : rs.fields(1);
}
