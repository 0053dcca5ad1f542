#include "services.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <cstdio>
#include <cstdlib>

void MessageService::information(QWidget *parent, const QString &text, const QString &caption)
{
    QMessageBox box(QMessageBox::Information, caption, text, QMessageBox::Ok, parent);
    box.exec();
}

bool MessageService::askYesNo(QWidget *parent, const QString &text, const QString &caption)
{
    QMessageBox box(QMessageBox::NoIcon, caption, text, QMessageBox::Yes | QMessageBox::No, parent);
    box.setDefaultButton(QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes;
}

bool MessageService::askRetry(QWidget *parent, const QString &text, const QString &caption)
{
    QMessageBox box(QMessageBox::Warning, caption, text, QMessageBox::Retry | QMessageBox::Cancel, parent);
    box.setDefaultButton(QMessageBox::Retry);
    return box.exec() == QMessageBox::Retry;
}

std::optional<QString> MessageService::askPassword(QWidget *parent, const QString &text, const QString &caption)
{
    bool ok = false;
    const QString password = QInputDialog::getText(parent, caption, text, QLineEdit::Password, QString(), &ok);
    if (!ok)
        return std::nullopt;
    return password;
}

std::optional<QString> FileDialogService::chooseFile(QWidget *parent, const QString &proposedName, Mode mode,
                                                     const QString &filter)
{
    const QString path = mode == Mode::Save
                             ? QFileDialog::getSaveFileName(parent, QString(), proposedName, filter)
                             : QFileDialog::getOpenFileName(parent, QString(), proposedName, filter);
    if (path.isEmpty())
        return std::nullopt;
    return path;
}

void ProgramLifetime::end(int exitCode)
{
    std::fflush(nullptr);
    std::_Exit(exitCode);
}

void ProgramLifetime::quit(int exitCode)
{
    QCoreApplication::exit(exitCode);
}

namespace Services {
namespace {

template <class T>
std::unique_ptr<T> &slot()
{
    static std::unique_ptr<T> service = std::make_unique<T>();
    return service;
}

template <class T>
void replace(std::unique_ptr<T> service)
{
    slot<T>() = service ? std::move(service) : std::make_unique<T>();
}

} // namespace

MessageService &messages() { return *slot<MessageService>(); }
FileDialogService &fileDialogs() { return *slot<FileDialogService>(); }
ProgramLifetime &lifetime() { return *slot<ProgramLifetime>(); }

void setMessages(std::unique_ptr<MessageService> service) { replace(std::move(service)); }
void setFileDialogs(std::unique_ptr<FileDialogService> service) { replace(std::move(service)); }
void setLifetime(std::unique_ptr<ProgramLifetime> service) { replace(std::move(service)); }

} // namespace Services

namespace Ui {

QString appTitle()
{
    return QStringLiteral("Verolan");
}

void information(QWidget *parent, const QString &text, const QString &caption)
{
    Services::messages().information(parent, text, caption.isEmpty() ? appTitle() : caption);
}

bool askYesNo(QWidget *parent, const QString &text, const QString &caption)
{
    return Services::messages().askYesNo(parent, text, caption.isEmpty() ? appTitle() : caption);
}

std::optional<QString> askPassword(QWidget *parent, const QString &text, const QString &caption)
{
    return Services::messages().askPassword(parent, text, caption.isEmpty() ? appTitle() : caption);
}

bool askRetry(QWidget *parent, const QString &text, const QString &caption)
{
    return Services::messages().askRetry(parent, text, caption.isEmpty() ? appTitle() : caption);
}

} // namespace Ui
