#include "frm_import_cases.h"

#include "casecolumns.h"
#include "csvreader.h"
#include "dropdown.h"
#include "exchangeerror.h"
#include "guard.h"
#include "importframe.h"
#include "listfiller.h"
#include "listrefresh.h"
#include "projects.h"
#include "recordlist.h"
#include "services.h"
#include "testingclass.h"
#include "textbox.h"

#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

namespace {

const QString kByName = QStringLiteral("(by its header name)");

QString actionText(RowAction action)
{
    switch (action) {
    case RowAction::New:
        return QStringLiteral("new");
    case RowAction::Update:
        return QStringLiteral("update");
    case RowAction::Error:
        break;
    }
    return QStringLiteral("error");
}

// "Read as UTF-8, comma-separated".
QString readingText(const CsvTable &table)
{
    const QString delimiter = table.delimiter == u';'    ? QStringLiteral("semicolon")
                              : table.delimiter == u'\t' ? QStringLiteral("tab")
                                                         : QStringLiteral("comma");
    return QStringLiteral("Read as %1, %2-separated").arg(encodingName(table.encoding), delimiter);
}

} // namespace

frm_import_cases::frm_import_cases(TestingClass &con, QWidget *parent)
    : ChildWindow(parent)
    , txt_file(new TextBox)
    , cmd_browse(new QPushButton(QStringLiteral("&Browse...")))
    , cmb_prjid(new DropDown(DropDown::Kind::PickOnly, true))
    , cmb_delimiter(new DropDown(DropDown::Kind::PickOnly, false))
    , cmb_encoding(new DropDown(DropDown::Kind::PickOnly, false))
    , lbl_read(new QLabel)
    , LV_preview(new RecordList)
    , lbl_counts(new QLabel)
    , cmd_import(new QPushButton(QStringLiteral("&Import")))
    , cmd_close(new QPushButton(QStringLiteral("&Close")))
    , con(con)
{
    setObjectName(QStringLiteral("frm_import_cases"));
    setWindowTitle(QStringLiteral("Import Test Cases"));
    txt_file->setObjectName(QStringLiteral("txt_file"));
    txt_file->setReadOnly(true);
    cmb_prjid->setObjectName(QStringLiteral("cmb_prjid"));
    cmb_delimiter->addEntries({QStringLiteral("Detect"), QStringLiteral("Comma"), QStringLiteral("Semicolon"),
                               QStringLiteral("Tab")});
    cmb_encoding->addEntries({QStringLiteral("Detect"), QStringLiteral("UTF-8"), QStringLiteral("Windows-1252")});
    LV_preview->setColumns({{QStringLiteral("Line"), 30},
                            {QStringLiteral("Action"), 40},
                            {QStringLiteral("Reason"), 120},
                            {QStringLiteral("Test Type"), 60},
                            {QStringLiteral("Component"), 60},
                            {QStringLiteral("Component Type"), 60},
                            {QStringLiteral("Test Case Id"), 40},
                            {QStringLiteral("Test Case Description"), 120},
                            {QStringLiteral("Expected Result"), 120}});

    auto *form = new QFormLayout;
    auto *file = new QHBoxLayout;
    file->addWidget(txt_file, 1);
    file->addWidget(cmd_browse);
    form->addRow(QStringLiteral("File"), file);
    form->addRow(QStringLiteral("Into project"), cmb_prjid);
    auto *reading = new QHBoxLayout;
    reading->addWidget(new QLabel(QStringLiteral("Delimiter")));
    reading->addWidget(cmb_delimiter);
    reading->addWidget(new QLabel(QStringLiteral("Encoding")));
    reading->addWidget(cmb_encoding);
    reading->addWidget(lbl_read);
    reading->addStretch();
    form->addRow(QString(), reading);
    auto *columns = new QGridLayout;
    for (int f = 0; f < kCaseFieldCount; ++f) {
        auto *box = new DropDown(DropDown::Kind::PickOnly, false);
        box->setObjectName(QStringLiteral("cmb_column%1").arg(f));
        cmb_columns << box;
        columns->addWidget(new QLabel(caseFieldName(CaseField(f))), f / 3, 2 * (f % 3));
        columns->addWidget(box, f / 3, 2 * (f % 3) + 1);
        onEvent(box, &DropDown::clicked, this, &frm_import_cases::preview);
    }
    form->addRow(QStringLiteral("Columns"), columns);

    layOutImportWindow(this, form, LV_preview, lbl_counts, cmd_import, cmd_close);
    resize(points(620), points(400));

    onEvent(cmd_browse, &QPushButton::clicked, this, &frm_import_cases::cmd_browse_Click);
    onEvent(cmd_import, &QPushButton::clicked, this, &frm_import_cases::cmd_import_Click);
    for (DropDown *box : {cmb_prjid, cmb_delimiter, cmb_encoding})
        onEvent(box, &DropDown::clicked, this, &frm_import_cases::preview);
    (new ListRefresh(con.cn, this))->watch({QStringLiteral("qv_zr_projects")}, [this] {
        refreshDropDown(cmb_prjid, projectIds(this->con.cn));
    });
}

void frm_import_cases::Form_Load()
{
    if (con.cn.state() == StateClosed)
        con.Conopen();
    m_filling = true;
    fillDropDown(cmb_prjid, projectIds(con.cn));
    cmb_delimiter->setListIndex(0);
    cmb_encoding->setListIndex(0);
    fillColumnChoices({});
    m_filling = false;
}

void frm_import_cases::fillColumnChoices(const QStringList &header)
{
    const bool filling = m_filling;
    m_filling = true;
    for (DropDown *box : std::as_const(cmb_columns)) {
        box->clearEntries();
        box->addEntries(QStringList{kByName} + header);
        box->setListIndex(0);
    }
    m_filling = filling;
}

void frm_import_cases::cmd_browse_Click()
{
    const std::optional<QString> path = Services::fileDialogs().chooseFile(
        this, txt_file->text(), FileDialogService::Mode::Open, QStringLiteral("CSV files (*.csv *.txt);;All files (*)"));
    if (!path)
        return;
    txt_file->setText(*path);
    // A new file: its own columns, read by their names until the user says otherwise.
    m_tableRead.clear(); // chosen again: read it as it is now
    try {
        fillColumnChoices(table().header);
    } catch (const ExchangeError &) {
        fillColumnChoices({});
    }
    preview();
}

const CsvTable &frm_import_cases::table()
{
    const QString read = QStringLiteral("%1|%2|%3").arg(txt_file->text()).arg(cmb_delimiter->listIndex()).arg(cmb_encoding->listIndex());
    if (read == m_tableRead)
        return m_table;
    CsvReader reader;
    const QChar delimiters[] = {QChar(), QLatin1Char(','), QLatin1Char(';'), QLatin1Char('\t')};
    reader.setDelimiter(delimiters[qMax(0, cmb_delimiter->listIndex())]);
    const TextEncoding encodings[] = {TextEncoding::Detect, TextEncoding::Utf8, TextEncoding::Windows1252};
    reader.setEncoding(encodings[qMax(0, cmb_encoding->listIndex())]);
    m_tableRead.clear();
    m_table = reader.readFile(txt_file->text());
    m_tableRead = read;
    return m_table;
}

void frm_import_cases::preview()
{
    if (m_filling)
        return;
    m_preview = {};
    LV_preview->clearRows();
    cmd_import->setEnabled(false);
    lbl_counts->clear();
    lbl_read->clear();
    if (txt_file->text().isEmpty())
        return;
    try {
        const CsvTable &table = this->table();
        lbl_read->setText(readingText(table));
        QHash<CaseField, QString> chosen;
        for (int f = 0; f < kCaseFieldCount; ++f) {
            if (cmb_columns[f]->listIndex() > 0)
                chosen.insert(CaseField(f), cmb_columns[f]->text());
        }
        m_preview = previewCases(con.cn, cmb_prjid->text(), table,
                                 matchCaseColumns(table.header, chosen, txt_file->text()));
    } catch (const ExchangeError &e) {
        lbl_counts->setText(e.message());
        return;
    }
    QList<ListRow> rows;
    rows.reserve(m_preview.rows.size());
    for (const CaseRow &row : std::as_const(m_preview.rows)) {
        const TestCaseKey &k = row.texts.key;
        QStringList cells{QString::number(row.line), actionText(row.action), row.reason, k.testType, k.component,
                          k.componentType, k.id, row.texts.description, row.texts.expected};
        for (QString &cell : cells)
            cell = previewCell(cell);
        rows.append({cells, {}});
    }
    LV_preview->setRows(std::move(rows));
    const int writes = m_preview.count(RowAction::New) + m_preview.count(RowAction::Update);
    lbl_counts->setText(QStringLiteral("%1 new, %2 to update, %3 left out")
                            .arg(m_preview.count(RowAction::New))
                            .arg(m_preview.count(RowAction::Update))
                            .arg(m_preview.count(RowAction::Error)));
    cmd_import->setEnabled(writes > 0);
}

void frm_import_cases::cmd_import_Click()
{
    try {
        const CasesImportCounts counts = importCases(con.cn, m_preview);
        Ui::information(this, QStringLiteral("Test cases added: %1, updated: %2, left out: %3.")
                                  .arg(counts.added)
                                  .arg(counts.updated)
                                  .arg(counts.leftOut));
    } catch (const ExchangeError &e) {
        Ui::information(this, e.message()); // what changed since the preview, which shows it now
    }
    preview();
}
