#pragma once

// A test case window on a database of the test's own, built from a few lines:
//   project line:   "Alpha = 12 | First project"          (id = size | description)
//   test case line: "Alpha | Functional | Login | UI | T1 | desc | expected"
// Columns a line leaves out take the fixture's defaults.

#include "frm_tst_case.h"
#include "recorders.h"
#include "tempdatabase.h"
#include "testingclass.h"
#include "windowtest.h"

#include <QHeaderView>
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
            const QString id = line.section(QLatin1Char('='), 0, 0).trimmed();
            const QString rest = line.section(QLatin1Char('='), 1);
            db.addProject(id, rest.section(QLatin1Char('|'), 1).trimmed(), QStringLiteral("Web"),
                          rest.section(QLatin1Char('|'), 0, 0).trimmed());
        }
    }

    void cases(const QStringList &lines) const
    {
        for (const QString &line : lines) {
            QStringList f = line.split(QLatin1Char('|'));
            for (QString &text : f)
                text = text.trimmed();
            while (f.size() < 7)
                f << QStringLiteral("text of ") + f.value(4);
            db.addCase(f[0], f[1], f[2], f[3], f[4], f[5], f[6]);
        }
    }

    // Loads the window as the main window does; shown, it takes the focus like a user's.
    frm_tst_case &load(bool shown = false)
    {
        w = std::make_unique<frm_tst_case>(con);
        w->Form_Load();
        if (shown && !showActive(w.get()))
            qWarning("the window did not become active");
        return *w;
    }

    // A pick by the user in a drop-down list.
    static bool pick(DropDown *box, const QString &text)
    {
        const int i = box->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
        if (i < 0)
            return false;
        box->setListIndex(i);
        return true;
    }

    static QStringList entries(const DropDown *box)
    {
        QStringList all;
        for (int i = 0; i < box->entryCount(); ++i)
            all << box->entry(i);
        return all;
    }

    // The list as "component/type/id" per row, in the order shown.
    QStringList listed() const
    {
        QStringList rows;
        for (int r = 0; r < w->LV_cases->rowCount(); ++r)
            rows << QStringList{w->LV_cases->cell(r, 1), w->LV_cases->cell(r, 2), w->LV_cases->cell(r, 3)}.join('/');
        return rows;
    }

    int rowOf(const QString &component, const QString &id) const
    {
        for (int r = 0; r < w->LV_cases->rowCount(); ++r)
            if (w->LV_cases->cell(r, 1) == component && w->LV_cases->cell(r, 3) == id)
                return r;
        return -1;
    }

    // A double click on a row as the user makes it; the window must be shown.
    void doubleClickRow(int row) const
    {
        RecordList *list = w->LV_cases;
        list->selectRow(row);
        const QRect cell = list->visualRect(list->model()->index(row, 1));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, cell.center());
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, cell.center());
        QTest::mouseRelease(list->viewport(), Qt::LeftButton, {}, cell.center());
    }

    // A click on a column header; the window must be shown.
    void clickHeader(int column) const
    {
        QHeaderView *header = w->LV_cases->header();
        const QPoint at(header->sectionViewportPosition(column) + header->sectionSize(column) / 2, header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
    }

    // The stored test cases as "project/component/type/test type/id/desc/expected/pass".
    QStringList stored() const
    {
        return db.rows(QStringLiteral(
            "select qv_zr_prjid || '/' || qv_zr_component || '/' || qv_zr_component_type || '/' || qv_zr_tst_type "
            "|| '/' || qv_zr_tst_case_id || '/' || ifnull(qv_zr_tst_case_desc, '<null>') || '/' "
            "|| ifnull(qv_zr_rslt_exp, '<null>') || '/' || ifnull(qv_zr_pass, '<null>') "
            "from qv_zr_tst_cases order by 1"));
    }
};
