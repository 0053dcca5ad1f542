#pragma once

// A test case window on a database built from a few lines of data:
//   projects: "Alpha = 12 | First project"                       (id = size | description)
//   cases:    "Alpha | Functional | Login | UI | T1 | desc | expected"
// A case line may leave out the two texts.

#include "frm_tst_case.h"
#include "recorders.h"
#include "tempdatabase.h"
#include "testingclass.h"
#include "windowtest.h"

#include <QHeaderView>
#include <QPushButton>
#include <QtTest>
#include <memory>

class TestCaseWindow
{
public:
    TempDatabase db;
    ServiceRecorders services;
    TestingClass con;
    std::unique_ptr<frm_tst_case> w;

    void projects(const QStringList &lines) const
    {
        for (const QString &line : lines) {
            const QStringList f = line.split(QRegularExpression(QStringLiteral("\\s*[=|]\\s*")));
            db.addProject(f[0], f[2], QStringLiteral("Web"), f[1]);
        }
    }

    void cases(const QStringList &lines) const
    {
        for (const QString &line : lines) {
            QStringList f = line.split(QRegularExpression(QStringLiteral("\\s*\\|\\s*")));
            while (f.size() < 7)
                f << QStringLiteral("text of ") + f[4];
            db.addCase(f[0], f[1], f[2], f[3], f[4], f[5], f[6]);
        }
    }

    // Loads the window as the main window does; shown, it takes the focus as for a user.
    frm_tst_case &load(bool shown = false)
    {
        w = std::make_unique<frm_tst_case>(con);
        w->Form_Load();
        if (shown && !showActive(w.get()))
            qWarning("the window did not become active");
        return *w;
    }

    // Every test case as "project/component/component type/test type/id/description/expected/outcome".
    QStringList stored() const
    {
        return db.rows(QStringLiteral(
            "select qv_zr_prjid || '/' || qv_zr_component || '/' || qv_zr_component_type || '/' || qv_zr_tst_type "
            "|| '/' || qv_zr_tst_case_id || '/' || ifnull(qv_zr_tst_case_desc, '<null>') || '/' "
            "|| ifnull(qv_zr_rslt_exp, '<null>') || '/' || ifnull(qv_zr_pass, '<null>') from qv_zr_tst_cases order by 1"));
    }
};


// The list as "component/component type/id" per row, in the order shown.
inline QStringList listed(const frm_tst_case &w)
{
    QStringList rows;
    for (int r = 0; r < w.LV_cases->rowCount(); ++r)
        rows << w.LV_cases->cell(r, 1) + '/' + w.LV_cases->cell(r, 2) + '/' + w.LV_cases->cell(r, 3);
    return rows;
}

// The window at a glance: project, size, description, test type, component [its entries],
// component type, id [its entries], the two texts, the listed rows (in text order), Delete.
inline QStringList state(const frm_tst_case &w)
{
    QStringList rows = listed(w);
    rows.sort();
    return {w.cmb_prjid->text(), w.txt_size->text(), w.txt_desc->text(), w.cmb_tst_type->text(),
            w.cmb_cmp->text() + '[' + entries(w.cmb_cmp).join(',') + ']', w.cmb_cmp_type->text(),
            w.cmb_tst_id->text() + '[' + entries(w.cmb_tst_id).join(',') + ']', w.txt_tst_case_desc->text(),
            w.txt_rslt_exp->text(), rows.join(' '), w.cmd_del->isEnabled() ? "Delete on" : "Delete off"};
}

inline int rowOf(const frm_tst_case &w, const QString &component, const QString &id)
{
    for (int r = 0; r < w.LV_cases->rowCount(); ++r)
        if (w.LV_cases->cell(r, 1) == component && w.LV_cases->cell(r, 3) == id)
            return r;
    return -1;
}

// A double click on a row as the user makes it; the window must be shown.
inline void doubleClickRow(frm_tst_case &w, int row)
{
    QWidget *viewport = w.LV_cases->viewport();
    const QPoint at = w.LV_cases->visualRect(w.LV_cases->model()->index(row, 1)).center();
    QTest::mouseClick(viewport, Qt::LeftButton, {}, at);
    QTest::mouseDClick(viewport, Qt::LeftButton, {}, at);
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, at);
}

inline void clickHeader(frm_tst_case &w, int column)
{
    QHeaderView *header = w.LV_cases->header();
    const int x = header->sectionViewportPosition(column) + header->sectionSize(column) / 2;
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(x, header->height() / 2));
}


