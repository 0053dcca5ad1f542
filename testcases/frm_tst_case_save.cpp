// Save and delete of one test case, found by the five selector texts.
#include "frm_tst_case.h"

#include "services.h"

#include <QPushButton>

bool frm_tst_case::checkBlank(DropDown *box, const QString &message)
{
    if (!isBlank(box->text()))
        return true;
    Ui::information(this, message);
    box->setFocus();
    return false;
}

bool frm_tst_case::checkLength(DropDown *box, int limit, const QString &message)
{
    const QString text = box->text();
    if (charCount(text) <= limit)
        return true;
    Ui::information(this, message);
    // The user sees what will be kept and presses Save again to keep it.
    box->setText(leftChars(text, limit));
    box->setFocus();
    return false;
}

bool frm_tst_case::checkBlank(MultiLineTextBox *box, const QString &message)
{
    if (!isBlank(box->text()))
        return true;
    Ui::information(this, message);
    box->setFocus();
    return false;
}

void frm_tst_case::cmd_save_Click()
{
    const bool valid =
        checkBlank(cmb_prjid, QStringLiteral("Project Id is blank"))
        && checkBlank(cmb_tst_type, QStringLiteral("Test Type is blank"))
        && checkLength(cmb_tst_type, 50, QStringLiteral("Test Type can not have more than 50 characters"))
        && checkBlank(cmb_cmp, QStringLiteral("Component Name is blank"))
        && checkLength(cmb_cmp, 50, QStringLiteral("Component Name can not have more than 50 characters"))
        && checkBlank(cmb_cmp_type, QStringLiteral("Component Type is blank"))
        && checkLength(cmb_cmp_type, 50, QStringLiteral("Component Type can not have more than 50 characters"))
        && checkBlank(cmb_tst_id, QStringLiteral("Test Case Id is blank"))
        && checkLength(cmb_tst_id, 6, QStringLiteral("Test case Id can not have more than 6 characters"))
        && checkBlank(txt_tst_case_desc, QStringLiteral("Test Case Description is blank"))
        && checkBlank(txt_rslt_exp, QStringLiteral("Expected Result is blank"));
    if (!valid)
        return;

    if (rs_save.state() == 1)
        rs_save.close();
    rs_save.open(caseLookupSql(), caseKey(), con.cn, CursorType::Dynamic, LockType::Optimistic);
    if (rs_save.eof()) {
        rs_save.addNew();
        rs_save.setField(QStringLiteral("qv_zr_prjid"), cmb_prjid->text());
        rs_save.setField(QStringLiteral("qv_zr_component"), cmb_cmp->text());
        rs_save.setField(QStringLiteral("qv_zr_component_type"), cmb_cmp_type->text());
        rs_save.setField(QStringLiteral("qv_zr_tst_type"), cmb_tst_type->text());
        rs_save.setField(QStringLiteral("qv_zr_tst_case_id"), cmb_tst_id->text());
        rs_save.setField(QStringLiteral("qv_zr_pass"), QStringLiteral("Fail"));
    }
    // An existing test case keeps its key and its logged result.
    rs_save.setField(QStringLiteral("qv_zr_rslt_exp"), txt_rslt_exp->text());
    rs_save.setField(QStringLiteral("qv_zr_tst_case_desc"), txt_tst_case_desc->text());
    rs_save.update();
    rs_save.close();
    cmd_del->setEnabled(false);
    fill_cases();
}

void frm_tst_case::cmd_del_Click()
{
    // Each delete needs a fresh double click, whatever the answer.
    cmd_del->setEnabled(false);
    if (Ui::askYesNo(this, QStringLiteral("Do you wish to delete test case - ") + cmb_tst_id->text())) {
        if (rs_id.state() == 1)
            rs_id.close();
        rs_id.open(caseLookupSql(), caseKey(), con.cn, CursorType::Dynamic, LockType::Optimistic);
        if (!rs_id.eof())
            rs_id.deleteCurrent();
        rs_id.close();
    }
    fill_cases();
}
