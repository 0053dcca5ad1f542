#pragma once

#include "childwindow.h"
#include "testingclass.h"

#include <memory>

class DropDown;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class Report;
class ReportEngine;
class ReportViewer;

// Picks a project and a kind of report, then shows that report inside the window.
class Frm_Reports : public ChildWindow
{
    Q_OBJECT

public:
    explicit Frm_Reports(TestingClass &con, QWidget *parent = nullptr);
    ~Frm_Reports() override;

    Placement placement() const override { return Placement::Maximized; }
    void Form_Load() override;

    void Command4_Click();
    void Cmdrepexit_Click();

    // The definition file each report kind opens, in the program's folder.
    static QString reportFile(const QString &kind);
    static inline const QString kBuildComparison = QStringLiteral("Build comparison");
    static inline const QString kAllBuilds = QStringLiteral("All builds");
    static inline const QString kAll = QStringLiteral("All");

    ReportViewer *RptView;
    QPushButton *Cmdrepexit;
    QFrame *Picture5;
    QLabel *Label52;
    QGroupBox *Frame5;
    QLabel *Label1;
    DropDown *cmb_prjid;
    QLabel *Label6;
    DropDown *TypeofReport;
    QPushButton *Command4;
    // The Test Log's build ("All builds" first), and the comparison's two builds.
    QLabel *lbl_build;
    DropDown *cmb_build;
    QLabel *lbl_older;
    DropDown *cmb_older;
    QLabel *lbl_newer;
    DropDown *cmb_newer;
    // The log reports' narrowing: a test type, a component ("All" first) and
    // the day the cases are shown as they stood at its end (empty: today).
    QLabel *lbl_type;
    DropDown *cmb_type;
    QLabel *lbl_component;
    DropDown *cmb_component;
    QLabel *lbl_asof;
    QLineEdit *txt_asof;

    const QString &companyName() const { return m_companyName; }
    ReportEngine *engine() const { return m_engine.get(); }
    Report *currentReport() const { return m_report.get(); }

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void fill_prjid();
    void fill_builds();
    void showBuildChoices();
    bool isLogReport() const;
    // The as-of day as stored (yyyy-MM-dd), empty when none is given; null when not a date.
    QString asOfDay() const;
    void setNamedParameter(const QString &name, const QString &value);
    // What keeps the comparison from being made; empty when nothing does.
    QString comparisonProblem() const;
    void showSelection();
    void releaseReport();
    void placeExitButton();

    TestingClass &con;
    QString m_companyName;
    QStringList m_builds; // the picked project's, newest first
    std::unique_ptr<ReportEngine> m_engine;
    std::unique_ptr<Report> m_report;
};
