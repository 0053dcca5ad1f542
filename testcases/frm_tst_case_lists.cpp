// The selectors, the cascade that keeps them consistent, and the list of test cases.
#include "frm_tst_case.h"

#include "listfiller.h"

#include "services.h"

#include <QPushButton>

namespace {

// Rows written by other tools may hold Null; a text box shows that as empty text.
QString boxText(const QVariant &value)
{
    return value.isNull() ? QString() : value.toString();
}

} // namespace

QString frm_tst_case::caseLookupSql()
{
    return QStringLiteral("select * from qv_zr_tst_cases where (qv_zr_prjid=?)and (qv_zr_component=?) and "
                          " (qv_zr_component_type=?) and  (qv_zr_tst_type=?) and  (qv_zr_tst_case_id=?)");
}

QVariantList frm_tst_case::caseKey() const
{
    return {cmb_prjid->text(), cmb_cmp->text(), cmb_cmp_type->text(), cmb_tst_type->text(), cmb_tst_id->text()};
}

void frm_tst_case::Form_Load()
{
    if (con.cn.state() == 0)
        con.Conopen();
    init_lists();
}

void frm_tst_case::init_lists()
{
    fill_cmp_type();
    fill_tst_type();
    fill_prjid();
    fill_cases();
    fill_tst_id();
}

void frm_tst_case::fill_prjid()
{
    fillDropDown(cmb_prjid, rs_list, con.cn, QStringLiteral("select qv_zr_prjid from qv_zr_projects"), {});
}

void frm_tst_case::fill_tst_type()
{
    fillDropDown(cmb_tst_type, rs_list, con.cn, QStringLiteral("select distinct(qv_zr_tst_type) from qv_zr_tst_cases"), {});
}

void frm_tst_case::fill_cmp_type()
{
    fillDropDown(cmb_cmp_type, rs_look, con.cn,
                 QStringLiteral("select distinct(qv_zr_component_type) from qv_zr_tst_cases"), {});
}

void frm_tst_case::fill_cmp()
{
    fillDropDown(cmb_cmp, rs_look, con.cn,
                 QStringLiteral("select distinct(qv_zr_component) from qv_zr_tst_cases") + QStringLiteral(" where (qv_zr_prjid=?)"),
                 {cmb_prjid->text()});
}

void frm_tst_case::fill_tst_id()
{
    txt_tst_case_desc->setText(QString());
    txt_rslt_exp->setText(QString());
    fillDropDown(cmb_tst_id, rs_id, con.cn,
                 QStringLiteral("select qv_zr_tst_case_id from qv_zr_tst_cases where (qv_zr_prjid=?)and "
                                "(qv_zr_component=?) and  (qv_zr_component_type=?) and  (qv_zr_tst_type=?) "),
                 {cmb_prjid->text(), cmb_cmp->text(), cmb_cmp_type->text(), cmb_tst_type->text()});
}

void frm_tst_case::fill_cases()
{
    LV_cases->clearRows();
    if (rs_list.state() == 1)
        rs_list.close();
    rs_list.open(QStringLiteral("select * from qv_zr_tst_cases where (qv_zr_prjid=?)and  (qv_zr_tst_type=?)"),
                 {cmb_prjid->text(), cmb_tst_type->text()}, con.cn, CursorType::Dynamic, LockType::ReadOnly);
    QList<int> positions;
    for (const char *column : {"qv_zr_component", "qv_zr_component_type", "qv_zr_tst_case_id", "qv_zr_tst_case_desc",
                               "qv_zr_rslt_exp"})
        positions << rs_list.fieldIndex(QLatin1String(column));
    QList<ListRow> rows;
    rows.reserve(rs_list.recordCount());
    row_no = 1;
    for (; !rs_list.eof(); rs_list.moveNext()) {
        QStringList cells;
        cells.reserve(6);
        cells << QString::number(row_no);
        for (int position : std::as_const(positions))
            cells << cellText(rs_list.fields(position));
        rows.append(ListRow{cells, {}});
        ++row_no;
    }
    rs_list.close();
    LV_cases->setRows(std::move(rows));
}

void frm_tst_case::cmb_prjid_Click()
{
    if (rs_look.state() == 1)
        rs_look.close();
    rs_look.open(QStringLiteral("select * from qv_zr_projects where qv_zr_prjid=?"), {cmb_prjid->text()}, con.cn,
                 CursorType::Dynamic, LockType::ReadOnly);
    if (!rs_look.eof()) {
        txt_size->setText(boxText(rs_look.fields("qv_zr_prj_size")));
        txt_desc->setText(boxText(rs_look.fields("qv_zr_prj_desc")));
    }
    rs_look.close();
    fill_cmp();
    fill_cases();
    fill_tst_id();
}

void frm_tst_case::cmb_cmp_Click()
{
    if (rs_id.state() == 1)
        rs_id.close();
    rs_id.open(QStringLiteral("select qv_zr_component_type from qv_zr_tst_cases ")
                   + QStringLiteral("where (qv_zr_prjid=?) and  (qv_zr_component=?)"),
               {cmb_prjid->text(), cmb_cmp->text()}, con.cn, CursorType::Dynamic, LockType::ReadOnly);
    QVariant type;
    if (!rs_id.eof())
        type = rs_id.fields(0);
    rs_id.close();
    // Only the component type follows a component pick; the ids and the list stay.
    if (!type.isNull())
        cmb_cmp_type->selectEqualEntry(type.toString());
}

void frm_tst_case::cmb_tst_id_Click()
{
    txt_tst_case_desc->setText(QString());
    txt_rslt_exp->setText(QString());
    if (rs_look.state() == 1)
        rs_look.close();
    rs_look.open(caseLookupSql(), caseKey(), con.cn, CursorType::Dynamic, LockType::ReadOnly);
    if (!rs_look.eof()) {
        txt_tst_case_desc->setText(boxText(rs_look.fields("qv_zr_tst_case_desc")));
        txt_rslt_exp->setText(boxText(rs_look.fields("qv_zr_rslt_exp")));
    }
    rs_look.close();
}

void frm_tst_case::cmb_tst_type_Click()
{
    fill_cases();
}

void frm_tst_case::cmb_tst_type_LostFocus()
{
    fill_cases();
}

void frm_tst_case::LV_cases_DblClick()
{
    if (LV_cases->rowCount() == 0)
        return;
    if (isBlank(cmb_tst_type->text())) {
        Ui::information(this, QStringLiteral("Test Type is blank"));
        cmb_tst_type->setFocus();
        return;
    }
    const int row = LV_cases->selectedRow();
    if (row < 0)
        return;
    // The cells go in as the list shows them, one blank for Null included.
    cmb_cmp->setText(LV_cases->cell(row, 1));
    cmb_cmp_type->setText(LV_cases->cell(row, 2));
    cmb_tst_id->setText(LV_cases->cell(row, 3));
    txt_tst_case_desc->setText(LV_cases->cell(row, 4));
    txt_rslt_exp->setText(LV_cases->cell(row, 5));
    cmd_del->setEnabled(true);
}

void frm_tst_case::LV_cases_ColumnClick(int ColumnHeader)
{
    LV_cases->setSortKey(ColumnHeader);
    LV_cases->setSorted(true);
}
