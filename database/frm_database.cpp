#include "frm_database.h"

#include "apppaths.h"
#include "databaselocation.h"
#include "databasesetting.h"
#include "databaseswitch.h"
#include "guard.h"
#include "objectstate.h"
#include "services.h"
#include "windowkeys.h"

#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

namespace {

template <class T>
T *named(T *widget, const char *name)
{
    widget->setObjectName(QLatin1String(name));
    return widget;
}

// A file is kept by its full path: the program may start from another folder.
QString normalized(const QString &text)
{
    const QString trimmed = text.trimmed();
    const DatabaseLocation location = DatabaseLocation::parse(trimmed);
    if (location.isServer() || !location.isValid())
        return trimmed;
    return QFileInfo(trimmed).absoluteFilePath();
}

QString nameOf(const QString &location)
{
    return DatabaseLocation::parse(location).displayName();
}

} // namespace

frm_database::frm_database(TestingClass &con, std::function<void()> switched, QWidget *parent)
    : ChildWindow(parent)
    , lbl_open(named(new QLabel(QStringLiteral("Open now:")), "lbl_open"))
    , lbl_current(named(new QLabel, "lbl_current"))
    , lbl_location(named(new QLabel(QStringLiteral("Database file, or PostgreSQL server (postgresql://user@host:port/dbname):")),
                         "lbl_location"))
    , txt_location(named(new TextBox, "txt_location"))
    , cmd_browse(named(new QPushButton(QStringLiteral("Browse")), "cmd_browse"))
    , cmd_test(named(new QPushButton(QStringLiteral("Test")), "cmd_test"))
    , txt_result(named(new MultiLineTextBox, "txt_result"))
    , cmd_save(named(new QPushButton(QStringLiteral("Save")), "cmd_save"))
    , cmd_close(named(new QPushButton(QStringLiteral("Close")), "cmd_close"))
    , con(con)
    , m_switched(std::move(switched))
{
    setObjectName(QStringLiteral("frm_database"));
    setWindowTitle(QStringLiteral("Database"));

    lbl_current->setTextFormat(Qt::PlainText);
    lbl_current->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lbl_current->setWordWrap(true);
    lbl_location->setBuddy(txt_location);
    txt_location->setFocusSelect(FocusSelect::WholeText);
    txt_location->setMinimumWidth(points(300));
    // A reason may run to many lines: it scrolls, and can be copied.
    txt_result->setDisplayOnly(true);
    txt_result->setMinimumHeight(points(100));

    auto *grid = new QGridLayout(this);
    grid->addWidget(lbl_open, 0, 0);
    grid->addWidget(lbl_current, 0, 1, 1, 2);
    grid->addWidget(lbl_location, 1, 0, 1, 3);
    grid->addWidget(txt_location, 2, 0, 1, 2);
    grid->addWidget(cmd_browse, 2, 2);
    grid->addWidget(txt_result, 3, 0, 1, 3);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(cmd_test);
    buttons->addStretch(1);
    buttons->addWidget(cmd_save);
    buttons->addWidget(cmd_close);
    grid->addLayout(buttons, 4, 0, 1, 3);
    grid->setColumnStretch(1, 1);

    setFocusProxy(txt_location);
    keys()->setDefaultButton(cmd_test);
    keys()->setCancelButton(cmd_close);

    onEvent(cmd_browse, &QPushButton::clicked, this, &frm_database::cmd_browse_Click);
    onEvent(cmd_test, &QPushButton::clicked, this, &frm_database::cmd_test_Click);
    onEvent(cmd_save, &QPushButton::clicked, this, &frm_database::cmd_save_Click);
    onEvent(cmd_close, &QPushButton::clicked, this, &frm_database::cmd_close_Click);
    onEvent(txt_location, &QLineEdit::textChanged, this, &frm_database::txt_location_Change);
}

void frm_database::Form_Load()
{
    con.Conopen();
    lbl_current->setText(con.cn.state() == StateOpen ? nameOf(con.cn.path()) : QString());
    txt_location->setText(AppPaths::databaseFile());
    txt_location_Change();
}

void frm_database::txt_location_Change()
{
    // A test speaks only for the text it tested.
    m_tested.clear();
    m_password.clear();
    txt_result->clear();
    cmd_save->setEnabled(false);
    keys()->setDefaultButton(cmd_test);
}

void frm_database::cmd_browse_Click()
{
    const QString proposed = DatabaseLocation::parse(txt_location->text()).isServer() ? QString() : txt_location->text();
    if (const std::optional<QString> path
        = Services::fileDialogs().chooseFile(this, proposed, FileDialogService::Mode::Open, QString()))
        txt_location->setText(*path);
}

void frm_database::cmd_test_Click()
{
    txt_location_Change();
    const QString location = normalized(txt_location->text());
    const QString name = nameOf(location);
    QString password;
    DatabaseTrial trial = tryDatabase(location, password);
    if (trial.password == Connection::PasswordTrouble::Missing) {
        const std::optional<QString> typed
            = Ui::askPassword(this, QStringLiteral("Password for %1:").arg(name), QStringLiteral("Database"));
        if (typed) {
            password = *typed;
            trial = tryDatabase(location, password);
        }
    }
    if (trial.password == Connection::PasswordTrouble::Wrong)
        trial.report = QStringLiteral("The password for %1 is wrong.").arg(name);
    if (!trial.ok) {
        txt_result->setText(QStringLiteral("Verolan cannot use this database.\n") + trial.report);
        return;
    }
    txt_result->setText(trial.report);
    m_tested = location;
    m_password = password;
    cmd_save->setEnabled(true);
    keys()->setDefaultButton(cmd_save);
}

void frm_database::cmd_save_Click()
{
    if (m_tested.isEmpty())
        return;
    const QString from = AppPaths::databaseFile();
    const QString settings = AppPaths::current().settings;
    const std::optional<QString> previous = DatabaseSetting::read(settings);
    QString why = DatabaseSetting::write(settings, m_tested);
    if (!why.isEmpty()) {
        Ui::information(this, QStringLiteral("The choice cannot be saved.\n") + why);
        return;
    }
    why = moveConnections(from, m_tested, m_password);
    if (!why.isEmpty()) {
        // Start-up must open what the running program has open.
        DatabaseSetting::write(settings, previous);
        Ui::information(this, QStringLiteral("Verolan stays on %1.\n%2").arg(nameOf(from), why));
        return;
    }
    AppPaths::chooseDatabase(m_tested);
    if (m_switched)
        m_switched();
}

void frm_database::cmd_close_Click()
{
    closeWindow();
}
