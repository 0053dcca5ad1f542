#include "frm_backup.h"

#include "apppaths.h"
#include "databasefile.h"
#include "databaselocation.h"
#include "guard.h"
#include "serverbackup.h"
#include "services.h"
#include "windowkeys.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace {

const QString kCaption = QStringLiteral("information");
const QString kProposedName = QStringLiteral("testing.mdb");

template <class T>
T *named(T *widget, const char *name)
{
    widget->setObjectName(QLatin1String(name));
    return widget;
}

TextBox *fileBox(const char *name)
{
    auto *box = named(new TextBox, name);
    box->setFocusSelect(FocusSelect::WholeText);
    box->setMinimumWidth(260);
    return box;
}

// One frame: its note across the top, then label, file box and Browse, then the copy button.
QGroupBox *fileFrame(QGroupBox *frame, QLabel *note, QLabel *label, TextBox *box, QPushButton *browse,
                     QPushButton *copy)
{
    label->setBuddy(box);
    note->setBuddy(copy);
    auto *grid = new QGridLayout(frame);
    grid->addWidget(note, 0, 0, 1, 3);
    grid->addWidget(label, 1, 0);
    grid->addWidget(box, 1, 1);
    grid->addWidget(browse, 1, 2);
    grid->addWidget(copy, 2, 2);
    grid->setColumnStretch(1, 1);
    return frame;
}

} // namespace

frm_backup::frm_backup(TestingClass &con, QWidget *parent)
    : ChildWindow(parent)
    , Frame1(named(new QGroupBox, "Frame1"))
    , Frame3(named(new QGroupBox(QStringLiteral("Backup")), "Frame3"))
    , Label1(named(new QLabel(QStringLiteral("This Option Will BackUp Your DataBase")), "Label1"))
    , Label3(named(new QLabel(QStringLiteral("Destination DataBase")), "Label3"))
    , txt_destname(fileBox("txt_destname"))
    , cmd_browse_backup(named(new QPushButton(QStringLiteral("Browse")), "cmd_browse_backup"))
    , cmd_backup(named(new QPushButton(QStringLiteral("BackUp Now.....")), "cmd_backup"))
    , Frame2(named(new QGroupBox(QStringLiteral("Restore")), "Frame2"))
    , Label2(named(new QLabel(QStringLiteral("This Option Will Restore Your DataBase")), "Label2"))
    , Label4(named(new QLabel(QStringLiteral("Source DataBase")), "Label4"))
    , txt_restore(fileBox("txt_restore"))
    , cmd_browse_restore(named(new QPushButton(QStringLiteral("Browse")), "cmd_browse_restore"))
    , cmd_restore(named(new QPushButton(QStringLiteral("Restore")), "cmd_restore"))
    , Command1(named(new QPushButton(QStringLiteral("Cancel")), "Command1"))
    , prog_save(named(new QProgressBar, "prog_save"))
    , Timer(named(new QTimer(this), "Timer"))
    , con(con)
{
    setObjectName(QStringLiteral("frm_backup"));
    setWindowTitle(QStringLiteral("Database Backup"));

    fileFrame(Frame3, Label1, Label3, txt_destname, cmd_browse_backup, cmd_backup);
    fileFrame(Frame2, Label2, Label4, txt_restore, cmd_browse_restore, cmd_restore);
    // The two file boxes line up under each other.
    const int labelWidth = qMax(Label3->sizeHint().width(), Label4->sizeHint().width());
    Label3->setMinimumWidth(labelWidth);
    Label4->setMinimumWidth(labelWidth);

    // The bar keeps its place while hidden, so the window's size never changes.
    QSizePolicy barPolicy = prog_save->sizePolicy();
    barPolicy.setRetainSizeWhenHidden(true);
    prog_save->setSizePolicy(barPolicy);

    auto *inner = new QVBoxLayout(Frame1);
    inner->addWidget(Frame3);
    inner->addWidget(Frame2);
    inner->addWidget(prog_save);
    auto *bottom = new QHBoxLayout;
    bottom->addStretch(1);
    bottom->addWidget(Command1);
    inner->addLayout(bottom);
    auto *outer = new QVBoxLayout(this);
    outer->addWidget(Frame1);

    setTabOrder(txt_restore, cmd_browse_restore);
    setTabOrder(cmd_browse_restore, cmd_restore);
    setTabOrder(cmd_restore, txt_destname);
    setTabOrder(txt_destname, cmd_browse_backup);
    setTabOrder(cmd_browse_backup, cmd_backup);
    setTabOrder(cmd_backup, Command1);
    setFocusProxy(txt_restore);
    txt_restore->setFocus();
    keys()->setDefaultButton(cmd_restore);
    keys()->setCancelButton(Command1);

    onEvent(cmd_browse_backup, &QPushButton::clicked, this, &frm_backup::cmd_browse_backup_Click);
    onEvent(cmd_browse_restore, &QPushButton::clicked, this, &frm_backup::cmd_browse_restore_Click);
    onEvent(cmd_backup, &QPushButton::clicked, this, &frm_backup::cmd_backup_Click);
    onEvent(cmd_restore, &QPushButton::clicked, this, &frm_backup::cmd_restore_Click);
    onEvent(Command1, &QPushButton::clicked, this, &frm_backup::Command1_Click);
    onEvent(txt_destname, &TextBox::gotFocus, this, &frm_backup::txt_destname_GotFocus);
    onEvent(txt_restore, &TextBox::gotFocus, this, &frm_backup::txt_restore_GotFocus);
    onEvent(Timer, &QTimer::timeout, this, &frm_backup::Timer_Timer);
}

void frm_backup::Form_Load()
{
    con.Conopen();
    prog_save->hide();
    Timer->setInterval(10);
    prog_save->setMaximum(100);
}

void frm_backup::cmd_browse_backup_Click()
{
    // A cancelled dialog leaves its proposed name, which the box then receives.
    txt_destname->setText(
        Services::fileDialogs().chooseFile(this, kProposedName, FileDialogService::Mode::Save, QString()).value_or(kProposedName));
}

void frm_backup::cmd_browse_restore_Click()
{
    txt_restore->setText(
        Services::fileDialogs().chooseFile(this, kProposedName, FileDialogService::Mode::Open, QString()).value_or(kProposedName));
}

void frm_backup::cmd_backup_Click()
{
    // A path of blanks names no file the user meant.
    if (isBlank(txt_destname->text())) {
        Ui::information(this, QStringLiteral("Select destination file"), kCaption);
        return;
    }
    try {
        const QString database = AppPaths::databaseFile();
        if (DatabaseLocation::parse(database).isServer())
            ServerBackup(database).backupTo(txt_destname->text());
        else
            DatabaseFile(database).backupTo(txt_destname->text());
    } catch (const DatabaseFileError &e) {
        Ui::information(this, e.message(), kCaption);
        return;
    }
    showProgress();
    txt_destname->clear();
}

void frm_backup::cmd_restore_Click()
{
    if (isBlank(txt_restore->text())) {
        Ui::information(this, QStringLiteral("Select restore file"), kCaption);
        return;
    }
    try {
        const QString database = AppPaths::databaseFile();
        if (DatabaseLocation::parse(database).isServer())
            ServerBackup(database).restoreFrom(txt_restore->text());
        else
            DatabaseFile(database).restoreFrom(txt_restore->text());
    } catch (const DatabaseFileError &e) {
        Ui::information(this, e.message(), kCaption);
        return;
    }
    showProgress();
    txt_restore->clear();
}

void frm_backup::showProgress()
{
    prog_save->show();
    Timer->start();
}

void frm_backup::Timer_Timer()
{
    if (tick == 0)
        tick = 1;
    prog_save->setValue(tick);
    if (tick == prog_save->maximum()) {
        Timer->stop();
        prog_save->hide();
        tick = 1;
        prog_save->setValue(prog_save->minimum());
    } else {
        ++tick;
    }
}

void frm_backup::txt_destname_GotFocus()
{
    keys()->setDefaultButton(cmd_backup);
}

void frm_backup::txt_restore_GotFocus()
{
    keys()->setDefaultButton(cmd_restore);
}

void frm_backup::Command1_Click()
{
    closeWindow();
}
