#include "recorders.h"

void RecordingMessages::information(QWidget *, const QString &text, const QString &caption)
{
    boxes.append({text, caption, false});
    if (onBox)
        onBox(boxes.last());
}

bool RecordingMessages::askYesNo(QWidget *, const QString &text, const QString &caption)
{
    boxes.append({text, caption, true});
    if (onBox)
        onBox(boxes.last());
    return answers.isEmpty() ? true : answers.takeFirst();
}

std::optional<QString> RecordingMessages::askPassword(QWidget *, const QString &text, const QString &caption)
{
    boxes.append({text, caption, true});
    return passwords.isEmpty() ? std::nullopt : std::optional<QString>(passwords.takeFirst());
}

bool RecordingMessages::askRetry(QWidget *, const QString &text, const QString &caption)
{
    boxes.append({text, caption, true});
    return !retries.isEmpty() && retries.takeFirst();
}

QStringList RecordingMessages::texts() const
{
    QStringList all;
    for (const Box &b : boxes)
        all << b.text;
    return all;
}

std::optional<QString> RecordingFileDialogs::chooseFile(QWidget *, const QString &proposedName, Mode, const QString &)
{
    proposedNames << proposedName;
    if (answers.isEmpty())
        return std::nullopt;
    return answers.takeFirst();
}

void RecordingLifetime::end(int exitCode)
{
    ends << exitCode;
    throw ProgramEnded(exitCode);
}

ServiceRecorders::ServiceRecorders()
    : messages(new RecordingMessages)
    , files(new RecordingFileDialogs)
    , lifetime(new RecordingLifetime)
{
    Services::setMessages(std::unique_ptr<MessageService>(messages));
    Services::setFileDialogs(std::unique_ptr<FileDialogService>(files));
    Services::setLifetime(std::unique_ptr<ProgramLifetime>(lifetime));
}

ServiceRecorders::~ServiceRecorders()
{
    Services::setMessages(nullptr);
    Services::setFileDialogs(nullptr);
    Services::setLifetime(nullptr);
}
