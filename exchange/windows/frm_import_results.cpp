#include "frm_import_results.h"

#include "builds.h"
#include "dropdown.h"
#include "exchangeerror.h"
#include "guard.h"
#include "importframe.h"
#include "listfiller.h"
#include "listrefresh.h"
#include "recordlist.h"
#include "resultsimport.h"
#include "services.h"
#include "testcases.h"
#include "testingclass.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QString statusText(const JUnitCase &test, const ResultMatch &match, bool logAgain)
{
    switch (match.status) {
    case MatchStatus::Matched:
        if (match.alreadyLogged && !logAgain)
            return QStringLiteral("already logged: left out");
        // A cut message is logged as its first 2,000 characters.
        return (test.outcome == TestOutcome::Passed ? QStringLiteral("Pass")
                : test.messageCut                   ? QStringLiteral("Fail (cut)")
                                                    : QStringLiteral("Fail"))
               + (match.alreadyLogged ? QStringLiteral(" (already logged)") : QString());
    case MatchStatus::Ambiguous:
        return QStringLiteral("ambiguous: left out");
    case MatchStatus::Unmatched:
        return QStringLiteral("unmatched: left out");
    case MatchStatus::Skipped:
        break;
    }
    return QStringLiteral("skipped: not logged");
}

} // namespace

frm_import_results::frm_import_results(TestingClass &con, QWidget *parent)
    : ChildWindow(parent)
    , LV_files(new RecordList)
    , cmd_add(new QPushButton(QStringLiteral("&Add File...")))
    , cmd_clear(new QPushButton(QStringLiteral("Clea&r")))
    , cmb_prjid(new DropDown(DropDown::Kind::PickOnly, true))
    , cmb_tst_type(new DropDown(DropDown::Kind::PickOnly, true))
    , cmb_severity(new DropDown(DropDown::Kind::PickOnly, false))
    , cmb_cat(new DropDown(DropDown::Kind::TypeOrPick, true))
    , cmb_build(new DropDown(DropDown::Kind::TypeOrPick, false))
    , chk_log_again(new QCheckBox(QStringLiteral("&Log again results already logged")))
    , LV_preview(new RecordList)
    , lbl_counts(new QLabel)
    , cmd_import(new QPushButton(QStringLiteral("&Import")))
    , cmd_close(new QPushButton(QStringLiteral("&Close")))
    , con(con)
{
    setObjectName(QStringLiteral("frm_import_results"));
    setWindowTitle(QStringLiteral("Import Test Results"));
    LV_files->setColumns({{QStringLiteral("File"), 300}});
    LV_files->setMaximumHeight(points(70));
    cmb_prjid->setObjectName(QStringLiteral("cmb_prjid"));
    cmb_tst_type->setObjectName(QStringLiteral("cmb_tst_type"));
    cmb_build->setObjectName(QStringLiteral("cmb_build"));
    cmb_severity->addEntries({QStringLiteral("Critical"), QStringLiteral("Major"), QStringLiteral("Minor")});
    cmb_cat->setText(QStringLiteral("Automated test"));
    LV_preview->setColumns({{QStringLiteral("File"), 80},
                            {QStringLiteral("Line"), 30},
                            {QStringLiteral("Test"), 160},
                            {QStringLiteral("Result"), 60},
                            {QStringLiteral("Test Case"), 120},
                            {QStringLiteral("Build"), 60},
                            {QStringLiteral("Actual Result"), 160}});

    auto *files = new QHBoxLayout;
    files->addWidget(LV_files, 1);
    auto *fileButtons = new QVBoxLayout;
    fileButtons->addWidget(cmd_add);
    fileButtons->addWidget(cmd_clear);
    fileButtons->addStretch();
    files->addLayout(fileButtons);
    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("Files"), files);
    form->addRow(QStringLiteral("Project"), cmb_prjid);
    form->addRow(QStringLiteral("Test Type"), cmb_tst_type);
    form->addRow(QStringLiteral("Build"), cmb_build);
    auto *defect = new QHBoxLayout;
    defect->addWidget(cmb_severity);
    defect->addWidget(new QLabel(QStringLiteral("Defect Category")));
    defect->addWidget(cmb_cat, 1);
    form->addRow(QStringLiteral("Failures: Defect Severity"), defect);
    form->addRow(QString(), chk_log_again);
    layOutImportWindow(this, form, LV_preview, lbl_counts, cmd_import, cmd_close);
    resize(points(600), points(420));

    onEvent(cmd_add, &QPushButton::clicked, this, &frm_import_results::cmd_add_Click);
    onEvent(cmd_clear, &QPushButton::clicked, this, &frm_import_results::cmd_clear_Click);
    onEvent(cmb_prjid, &DropDown::clicked, this, &frm_import_results::cmb_prjid_Click);
    onEvent(cmb_tst_type, &DropDown::clicked, this, &frm_import_results::preview);
    onEvent(chk_log_again, &QCheckBox::toggled, this, &frm_import_results::preview);
    // A typed build counts once the box is left: a result of another build is not yet logged.
    onEvent(cmb_build, &DropDown::clicked, this, &frm_import_results::preview);
    onEvent(cmb_build, &DropDown::lostFocus, this, &frm_import_results::preview);
    onEvent(cmd_import, &QPushButton::clicked, this, &frm_import_results::cmd_import_Click);
    (new ListRefresh(con.cn, this))->watch({QStringLiteral("qv_zr_tst_cases")}, [this] {
        refreshDropDown(cmb_prjid, projectsWithCases(this->con.cn));
        refreshDropDown(cmb_tst_type, testTypesOf(this->con.cn, cmb_prjid->text()));
    });
}

void frm_import_results::Form_Load()
{
    if (con.cn.state() == StateClosed)
        con.Conopen();
    cmb_severity->setListIndex(1);
    // Only projects with test cases can take results.
    fillDropDown(cmb_prjid, projectsWithCases(con.cn));
}

void frm_import_results::cmb_prjid_Click()
{
    fillDropDown(cmb_tst_type, testTypesOf(con.cn, cmb_prjid->text()));
    fill_build();
}

void frm_import_results::fill_build()
{
    const QString build = cmb_build->text();
    cmb_build->clearEntries();
    cmb_build->addEntries(projectBuilds(con.cn, cmb_prjid->text()));
    cmb_build->setText(build);
}

void frm_import_results::cmd_add_Click()
{
    const std::optional<QString> path = Services::fileDialogs().chooseFile(
        this, QString(), FileDialogService::Mode::Open, QStringLiteral("JUnit XML (*.xml);;All files (*)"));
    if (!path)
        return;
    LV_files->addRow({*path});
    preview();
}

void frm_import_results::cmd_clear_Click()
{
    LV_files->clearRows();
    preview();
}

void frm_import_results::preview()
{
    m_tests.clear();
    LV_preview->clearRows();
    cmd_import->setEnabled(false);
    lbl_counts->clear();
    QStringList names;
    try {
        for (int r = 0; r < LV_files->rowCount(); ++r) {
            const QList<JUnitCase> tests = readJUnitFile(LV_files->cell(r, 0));
            m_tests += tests;
            for (int i = 0; i < tests.size(); ++i)
                names << QFileInfo(LV_files->cell(r, 0)).fileName();
        }
    } catch (const ExchangeError &e) {
        m_tests.clear();
        lbl_counts->setText(e.message());
        return;
    }
    if (m_tests.isEmpty() || cmb_tst_type->text().isEmpty())
        return;
    const QString typedBuild = cmb_build->text();
    const QList<ResultMatch> matches =
        matchResults(con.cn, cmb_prjid->text(), cmb_tst_type->text(), m_tests, typedBuild);
    QList<ListRow> rows;
    int logged = 0;
    const bool logAgain = chk_log_again->isChecked();
    QStringList futureFiles;
    for (int i = 0; i < m_tests.size(); ++i) {
        const JUnitCase &test = m_tests.at(i);
        const ResultMatch &match = matches.at(i);
        QStringList cases;
        for (const TestCaseKey &key : match.cases)
            cases << QStringLiteral("%1 (%2, %3)").arg(key.id, key.component, key.componentType);
        const QString name = test.classname.isEmpty() ? test.name : test.classname + QLatin1Char('.') + test.name;
        rows.append({{names.at(i), QString::number(test.line), previewCell(name), statusText(test, match, logAgain),
                      previewCell(cases.join(QStringLiteral(", "))), previewCell(resultBuild(typedBuild, test)),
                      previewCell(test.message)},
                     {}});
        logged += match.status == MatchStatus::Matched && (!match.alreadyLogged || logAgain) ? 1 : 0;
        if (test.timestampInFuture && !futureFiles.contains(names.at(i)))
            futureFiles << names.at(i);
    }
    LV_preview->setRows(std::move(rows));
    QString counts = QStringLiteral("%1 of %2 tests to log").arg(logged).arg(m_tests.size());
    for (const QString &file : std::as_const(futureFiles))
        counts += QStringLiteral("; %1: timestamp in the future: logged as today").arg(file);
    lbl_counts->setText(counts);
    cmd_import->setEnabled(logged > 0);
}

void frm_import_results::cmd_import_Click()
{
    ResultsOptions options;
    options.project = cmb_prjid->text();
    options.testType = cmb_tst_type->text();
    options.severity = cmb_severity->text();
    options.category = cmb_cat->text();
    options.logAgain = chk_log_again->isChecked();
    options.build = cmb_build->text();
    ResultsImportCounts counts;
    try {
        counts = importResults(con.cn, options, m_tests);
    } catch (const ExchangeError &e) {
        Ui::information(this, e.message());
        return;
    }
    Ui::information(this, QStringLiteral("Results logged: %1 passed, %2 failed. Not logged: %3 skipped, %4 unmatched, "
                                         "%5 ambiguous, %6 already logged.")
                              .arg(counts.passed)
                              .arg(counts.failed)
                              .arg(counts.skipped)
                              .arg(counts.unmatched)
                              .arg(counts.ambiguous)
                              .arg(counts.alreadyLogged));
    // The preview shows what is logged now; a second press would log it all again.
    fill_build();
    preview();
    cmd_import->setEnabled(false);
}
