#pragma once

#include "services.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <stdexcept>

// Stands in for the message boxes: records each box and answers from a script.
class RecordingMessages : public MessageService
{
public:
    struct Box
    {
        QString text;
        QString caption;
        bool question = false;
    };
    void information(QWidget *parent, const QString &text, const QString &caption) override;
    bool askYesNo(QWidget *parent, const QString &text, const QString &caption) override;
    QList<Box> boxes;
    std::optional<QString> askPassword(QWidget *parent, const QString &text, const QString &caption) override;
    bool askRetry(QWidget *parent, const QString &text, const QString &caption) override;
    QList<bool> answers; // Yes/No answers, first used first; Yes when empty
    QList<bool> retries; // Retry (true) or Cancel answers, first used first; Cancel when empty
    QStringList passwords; // typed into password boxes, first used first; a cancel when empty
    // Runs while a box is "open", e.g. to see where the focus is.
    std::function<void(const Box &)> onBox;
    QStringList texts() const;
};

// Stands in for the file dialog: returns scripted paths, or nothing for a cancel.
class RecordingFileDialogs : public FileDialogService
{
public:
    std::optional<QString> chooseFile(QWidget *parent, const QString &proposedName, Mode mode,
                                      const QString &filter) override;
    QList<std::optional<QString>> answers;
    QStringList proposedNames;
};

// Thrown in place of ending the program, so a test sees the end and goes on.
struct ProgramEnded : std::runtime_error
{
    explicit ProgramEnded(int code)
        : std::runtime_error("program ended")
        , exitCode(code)
    {
    }
    int exitCode;
};

class RecordingLifetime : public ProgramLifetime
{
public:
    void end(int exitCode) override;
    void quit(int exitCode) override { end(exitCode); }
    QList<int> ends;
};

// Installs recorders for the life of a test and puts the defaults back after.
class ServiceRecorders
{
public:
    ServiceRecorders();
    ~ServiceRecorders();
    RecordingMessages *messages;
    RecordingFileDialogs *files;
    RecordingLifetime *lifetime;
};
