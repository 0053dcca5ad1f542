#pragma once

#include <QString>
#include <memory>
#include <optional>

class QWidget;

// The modal boxes and the program's end go through these services so that a
// test can put a recorder with scripted answers in their place.

class MessageService
{
public:
    virtual ~MessageService() = default;
    // Information icon and an OK button.
    virtual void information(QWidget *parent, const QString &text, const QString &caption);
    // Yes and No buttons, no icon, Yes the default; true for Yes.
    virtual bool askYesNo(QWidget *parent, const QString &text, const QString &caption);
    // A line whose typing shows as dots; nothing when the user cancels.
    virtual std::optional<QString> askPassword(QWidget *parent, const QString &text, const QString &caption);
    // Warning icon, Retry and Cancel buttons, Retry the default; true for Retry.
    virtual bool askRetry(QWidget *parent, const QString &text, const QString &caption);
};

class FileDialogService
{
public:
    enum class Mode { Open, Save };
    virtual ~FileDialogService() = default;
    // The chosen path, or nothing when the user cancels.
    virtual std::optional<QString> chooseFile(QWidget *parent, const QString &proposedName, Mode mode,
                                              const QString &filter);
};

class ProgramLifetime
{
public:
    virtual ~ProgramLifetime() = default;
    // Ends the program at once: no further handler runs (a database that
    // cannot be opened).
    virtual void end(int exitCode);
    // Ends the program once the running handler returns: the windows close,
    // the connections close cleanly and every destructor runs.
    virtual void quit(int exitCode);
};

namespace Services {

MessageService &messages();
FileDialogService &fileDialogs();
ProgramLifetime &lifetime();

// Replace a service; the previous one is dropped. Passing nullptr restores the default.
void setMessages(std::unique_ptr<MessageService> service);
void setFileDialogs(std::unique_ptr<FileDialogService> service);
void setLifetime(std::unique_ptr<ProgramLifetime> service);

} // namespace Services

namespace Ui {

// The application's title, the caption of every box that names none of its own.
QString appTitle();

void information(QWidget *parent, const QString &text, const QString &caption = QString());
bool askYesNo(QWidget *parent, const QString &text, const QString &caption = QString());
std::optional<QString> askPassword(QWidget *parent, const QString &text, const QString &caption = QString());
bool askRetry(QWidget *parent, const QString &text, const QString &caption = QString());

} // namespace Ui
