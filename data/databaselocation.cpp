#include "databaselocation.h"

#include <QRegularExpression>
#include <QStringList>

namespace {

const QStringList kSchemes{QStringLiteral("postgresql://"), QStringLiteral("postgres://")};

// The keys libpq's words may start with; anything else is a file name.
const QRegularExpression kWordsStart(QStringLiteral("^\\s*(service|host|port|dbname|user)\\s*="));

bool isOdd(QChar c)
{
    // Quotes and backslashes would change the connection string libpq reads.
    return c.category() == QChar::Other_Control || c.category() == QChar::Other_Format || c == QLatin1Char('\'')
           || c == QLatin1Char('\\') || c == QLatin1Char('"');
}

// Percent-decodes text; false when a % does not start two hex digits.
bool decode(const QString &text, QString &out)
{
    static const QRegularExpression badPercent(QStringLiteral("%(?![0-9A-Fa-f]{2})"));
    if (badPercent.match(text).hasMatch())
        return false;
    out = QString::fromUtf8(QByteArray::fromPercentEncoding(text.toUtf8()));
    return true;
}

} // namespace

DatabaseLocation DatabaseLocation::parse(const QString &text)
{
    DatabaseLocation location;
    location.m_text = text;
    for (const QString &scheme : kSchemes) {
        if (text.startsWith(scheme, Qt::CaseInsensitive)) {
            location.m_kind = Kind::Server;
            location.parseUri(text.mid(scheme.size()));
            return location;
        }
    }
    if (kWordsStart.match(text).hasMatch()) {
        location.m_kind = Kind::Server;
        location.parseWords();
        return location;
    }
    if (text.trimmed().isEmpty())
        location.refuse(QStringLiteral("No database is named."));
    return location;
}

void DatabaseLocation::refuse(const QString &why)
{
    if (m_problem.isEmpty())
        m_problem = why;
}

bool DatabaseLocation::take(const QString &key, const QString &value)
{
    for (const QChar c : value) {
        if (isOdd(c) || (c.isSpace() && key == QLatin1String("service"))) {
            refuse(QStringLiteral("The %1 \"%2\" holds a character Verolan does not accept (U+%3).")
                       .arg(key, value)
                       .arg(c.unicode(), 4, 16, QLatin1Char('0')));
            return false;
        }
    }
    if (key == QLatin1String("password")) {
        refuse(QStringLiteral("Leave the password out: Verolan never stores it. Put it in ~/.pgpass or the "
                              "service file, or type it when Verolan asks for it."));
        return false;
    }
    if (key == QLatin1String("port")) {
        bool ok = false;
        const int port = value.toInt(&ok);
        if (!ok || port < 1 || port > 65535 || !value.at(0).isDigit()) {
            refuse(QStringLiteral("The port \"%1\" is not a number from 1 to 65535.").arg(value));
            return false;
        }
        m_port = port;
    } else if (key == QLatin1String("host")) {
        static const QRegularExpression name(QStringLiteral("^(/.*|[A-Za-z0-9.\\-]+|\\[[0-9A-Fa-f:.]+\\])$"));
        if (!name.match(value).hasMatch()) {
            refuse(QStringLiteral("The host \"%1\" is neither a server name nor a socket folder.").arg(value));
            return false;
        }
        m_host = value.startsWith(QLatin1Char('[')) ? value.mid(1, value.size() - 2) : value;
    } else if (key == QLatin1String("user")) {
        m_user = value;
    } else if (key == QLatin1String("dbname")) {
        m_database = value;
    } else if (key == QLatin1String("service")) {
        m_service = value;
    } else {
        refuse(QStringLiteral("Verolan does not take the setting \"%1\" in a database address.").arg(key));
        return false;
    }
    return true;
}

void DatabaseLocation::parseUri(const QString &rest)
{
    // authority [/dbname] [?key=value&...]
    const qsizetype query = rest.indexOf(QLatin1Char('?'));
    const QString head = query < 0 ? rest : rest.left(query);
    const qsizetype slash = head.indexOf(QLatin1Char('/'));
    QString authority = slash < 0 ? head : head.left(slash);
    const QString path = slash < 0 ? QString() : head.mid(slash + 1);

    const qsizetype at = authority.lastIndexOf(QLatin1Char('@'));
    if (at >= 0) {
        const QString userInfo = authority.left(at);
        authority = authority.mid(at + 1);
        if (userInfo.contains(QLatin1Char(':'))) {
            take(QStringLiteral("password"), QString());
            return;
        }
        QString user;
        if (!decode(userInfo, user))
            return refuse(QStringLiteral("The user name \"%1\" holds a % not followed by two hex digits.").arg(userInfo));
        if (!user.isEmpty() && !take(QStringLiteral("user"), user))
            return;
    }
    // host[:port], an IPv6 address in brackets.
    QString host = authority;
    QString port;
    const qsizetype close = authority.lastIndexOf(QLatin1Char(']'));
    const qsizetype colon = authority.lastIndexOf(QLatin1Char(':'));
    if (colon > close) {
        host = authority.left(colon);
        port = authority.mid(colon + 1);
    }
    QString decodedHost;
    if (!decode(host, decodedHost))
        return refuse(QStringLiteral("The host \"%1\" holds a % not followed by two hex digits.").arg(host));
    if (!decodedHost.isEmpty() && !take(QStringLiteral("host"), decodedHost))
        return;
    if (colon > close && !take(QStringLiteral("port"), port))
        return;
    QString database;
    if (!decode(path, database))
        return refuse(QStringLiteral("The database name \"%1\" holds a % not followed by two hex digits.").arg(path));
    if (database.contains(QLatin1Char('/')))
        return refuse(QStringLiteral("The database name \"%1\" holds a \"/\".").arg(database));
    if (!database.isEmpty() && !take(QStringLiteral("dbname"), database))
        return;

    if (query >= 0) {
        for (const QString &pair : rest.mid(query + 1).split(QLatin1Char('&'), Qt::SkipEmptyParts)) {
            const qsizetype eq = pair.indexOf(QLatin1Char('='));
            QString key, value;
            if (eq < 0 || !decode(pair.left(eq), key) || !decode(pair.mid(eq + 1), value))
                return refuse(QStringLiteral("The setting \"%1\" is not written key=value.").arg(pair));
            if (!take(key, value))
                return;
        }
    }
    if (m_database.isEmpty() && m_service.isEmpty())
        refuse(QStringLiteral("The address names no database: add /dbname after the host."));
}

void DatabaseLocation::parseWords()
{
    for (const QString &word : m_text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const qsizetype eq = word.indexOf(QLatin1Char('='));
        if (eq <= 0)
            return refuse(QStringLiteral("The setting \"%1\" is not written key=value.").arg(word));
        if (!take(word.left(eq), word.mid(eq + 1)))
            return;
    }
    if (m_database.isEmpty() && m_service.isEmpty())
        refuse(QStringLiteral("The settings name no database: give dbname= or service=."));
}

QString DatabaseLocation::displayName() const
{
    if (!isServer())
        return m_text;
    QString name;
    if (!m_service.isEmpty())
        name = QStringLiteral("service %1").arg(m_service) + (m_database.isEmpty() ? QString() : QStringLiteral(": "));
    if (!m_user.isEmpty())
        name += m_user + QLatin1Char('@');
    if (!m_host.isEmpty())
        name += m_host.contains(QLatin1Char(':')) ? QLatin1Char('[') + m_host + QLatin1Char(']') : m_host;
    if (m_port > 0)
        name += QLatin1Char(':') + QString::number(m_port);
    if (!m_database.isEmpty())
        name += (name.isEmpty() || name.endsWith(QLatin1String(": ")) ? QString() : QStringLiteral("/")) + m_database;
    return name;
}
