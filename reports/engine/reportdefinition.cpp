#include "reportdefinition.h"

#include "reporterror.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <QXmlStreamReader>

namespace {

// Counts the "?" placeholders outside quoted text and comments.
int placeholderCount(const QString &sql)
{
    int count = 0;
    QChar quote;
    for (qsizetype i = 0; i < sql.size(); ++i) {
        const QChar c = sql.at(i);
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
        } else if (c == u'\'' || c == u'"') {
            quote = c;
        } else if (c == u'-' && i + 1 < sql.size() && sql.at(i + 1) == u'-') {
            while (i < sql.size() && sql.at(i) != u'\n')
                ++i;
        } else if (c == u'?') {
            ++count;
        }
    }
    return count;
}

class Parser
{
public:
    Parser(const QByteArray &content, const QString &file)
        : m_xml(content)
        , m_file(file)
        , m_empty(content.trimmed().isEmpty())
    {
    }

    ReportDefinition run();

private:
    [[noreturn]] void fail(const QString &problem) const
    {
        throw ReportError(m_file, QStringLiteral("line %1: %2").arg(m_xml.lineNumber()).arg(problem));
    }
    [[noreturn]] void failAt(int line, const QString &problem) const
    {
        throw ReportError(m_file, QStringLiteral("line %1: %2").arg(line).arg(problem));
    }

    QString element() const { return QStringLiteral("<%1>").arg(m_xml.name().toString()); }
    void allowOnly(const QStringList &names);
    QString attribute(const QString &name) const { return m_xml.attributes().value(name).toString(); }
    QString required(const QString &name);
    void readNext();
    bool nextChild();
    void noChildren();
    ReportCondition condition(const QString &fieldName, const QString &equalsName, const QString &notEqualsName);

    void readParameters(ReportDefinition &def);
    ReportQuery readQuery();
    void readIntro(ReportDefinition &def);
    void readColumns(ReportDefinition &def);
    void readGroups(ReportDefinition &def);
    void readSort(ReportDefinition &def);
    void readSummary(ReportDefinition &def);
    void checkQuery(const ReportDefinition &def, const ReportQuery &query, const QString &what) const;

    QXmlStreamReader m_xml;
    QString m_file;
    bool m_empty;
    bool m_sawElement = false;
};

void Parser::allowOnly(const QStringList &names)
{
    for (const QXmlStreamAttribute &a : m_xml.attributes()) {
        if (!names.contains(a.name().toString()))
            fail(QStringLiteral("%1 has an unknown attribute \"%2\"").arg(element(), a.name().toString()));
    }
}

QString Parser::required(const QString &name)
{
    const QString value = attribute(name);
    if (value.trimmed().isEmpty())
        fail(QStringLiteral("%1 needs a \"%2\" attribute").arg(element(), name));
    return value;
}

void Parser::readNext()
{
    m_xml.readNext();
    // Entities declared in a DTD can expand without bound or pull in other files.
    if (m_xml.isDTD()) {
        // Named at the line where it starts, not where it ends.
        const QStringView dtd = m_xml.text();
        qsizetype from = 0;
        while (from < dtd.size() && dtd.at(from).isSpace())
            ++from;
        failAt(int(m_xml.lineNumber() - dtd.mid(from).count(QLatin1Char('\n'))),
               QStringLiteral("DTDs and entities are not accepted"));
    }
}

// Moves to the next child element of the current one; false at its end.
bool Parser::nextChild()
{
    while (!m_xml.atEnd()) {
        readNext();
        if (m_xml.isStartElement()) {
            m_sawElement = true;
            return true;
        }
        if (m_xml.isEndElement())
            return false;
        if (m_xml.isCharacters() && !m_xml.isWhitespace())
            fail(QStringLiteral("unexpected text \"%1\"").arg(m_xml.text().toString().trimmed()));
    }
    if (m_xml.hasError() && (m_sawElement || m_xml.error() != QXmlStreamReader::PrematureEndOfDocumentError))
        fail(m_xml.errorString());
    if (!m_sawElement)
        fail(QStringLiteral("the file holds no <report>"));
    return false;
}

void Parser::noChildren()
{
    const QString name = element();
    if (nextChild())
        fail(QStringLiteral("%1 cannot hold %2").arg(name, element()));
}

ReportCondition Parser::condition(const QString &fieldName, const QString &equalsName, const QString &notEqualsName)
{
    ReportCondition c;
    c.field = attribute(fieldName);
    const bool hasEquals = m_xml.attributes().hasAttribute(equalsName);
    const bool hasNotEquals = m_xml.attributes().hasAttribute(notEqualsName);
    if (c.field.isEmpty()) {
        if (hasEquals || hasNotEquals)
            fail(QStringLiteral("%1 compares a value but names no \"%2\"").arg(element(), fieldName));
        return c;
    }
    if (hasEquals == hasNotEquals)
        fail(QStringLiteral("%1 needs either \"%2\" or \"%3\" with \"%4\"").arg(element(), equalsName, notEqualsName, fieldName));
    c.negated = hasNotEquals;
    c.value = attribute(hasEquals ? equalsName : notEqualsName);
    return c;
}

ReportDefinition Parser::run()
{
    ReportDefinition def;
    def.file = m_file;
    if (m_empty)
        fail(QStringLiteral("the file is empty"));
    if (!nextChild()) {
        if (m_xml.hasError())
            fail(m_xml.errorString());
        fail(QStringLiteral("the file holds no <report>"));
    }
    if (m_xml.name() != QLatin1String("report"))
        fail(QStringLiteral("the file must start with <report>, not %1").arg(element()));
    allowOnly({QStringLiteral("title"), QStringLiteral("orientation")});
    def.title = required(QStringLiteral("title"));
    const QString orientation = attribute(QStringLiteral("orientation"));
    if (orientation == QLatin1String("landscape"))
        def.orientation = QPageLayout::Landscape;
    else if (!orientation.isEmpty() && orientation != QLatin1String("portrait"))
        fail(QStringLiteral("orientation must be \"portrait\" or \"landscape\", not \"%1\"").arg(orientation));

    QSet<QString> seen;
    while (nextChild()) {
        const QString name = m_xml.name().toString();
        if (seen.contains(name))
            fail(QStringLiteral("%1 may stand only once").arg(element()));
        seen.insert(name);
        if (name == QLatin1String("parameters"))
            readParameters(def);
        else if (name == QLatin1String("intro"))
            readIntro(def);
        else if (name == QLatin1String("query"))
            def.query = readQuery();
        else if (name == QLatin1String("columns"))
            readColumns(def);
        else if (name == QLatin1String("groups"))
            readGroups(def);
        else if (name == QLatin1String("sort"))
            readSort(def);
        else if (name == QLatin1String("summary"))
            readSummary(def);
        else
            fail(QStringLiteral("unknown element %1").arg(element()));
    }
    if (m_xml.hasError())
        fail(m_xml.errorString());
    // Anything after </report> is an error too.
    while (!m_xml.atEnd()) {
        readNext();
        if (m_xml.isStartElement())
            fail(QStringLiteral("%1 stands after </report>").arg(element()));
    }
    if (m_xml.hasError())
        fail(m_xml.errorString());

    if (def.query.sql.trimmed().isEmpty())
        fail(QStringLiteral("the report has no <query>"));
    if (def.columns.isEmpty())
        fail(QStringLiteral("the report has no <columns>"));
    checkQuery(def, def.query, QStringLiteral("<query>"));
    if (!def.introItems.isEmpty())
        checkQuery(def, def.introQuery, QStringLiteral("the <query> of <intro>"));
    return def;
}

void Parser::checkQuery(const ReportDefinition &def, const ReportQuery &query, const QString &what) const
{
    for (const QString &p : query.parameters) {
        const bool known = std::any_of(def.parameters.cbegin(), def.parameters.cend(),
                                       [&](const ReportParameter &d) { return d.name == p; });
        if (!known)
            failAt(query.line, QStringLiteral("%1 binds \"%2\", which is not a declared parameter").arg(what, p));
    }
    const int placeholders = placeholderCount(query.sql);
    if (placeholders != query.parameters.size())
        failAt(query.line, QStringLiteral("%1 has %2 \"?\" placeholder(s) but binds %3 parameter(s)")
                               .arg(what)
                               .arg(placeholders)
                               .arg(query.parameters.size()));
}

void Parser::readParameters(ReportDefinition &def)
{
    allowOnly({});
    static const QRegularExpression identifier(QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*$"));
    while (nextChild()) {
        if (m_xml.name() != QLatin1String("parameter"))
            fail(QStringLiteral("<parameters> cannot hold %1").arg(element()));
        allowOnly({QStringLiteral("name"), QStringLiteral("caption"), QStringLiteral("show")});
        ReportParameter p;
        p.name = required(QStringLiteral("name"));
        if (!identifier.match(p.name).hasMatch())
            fail(QStringLiteral("parameter name \"%1\" must be letters, digits and \"_\"").arg(p.name));
        for (const ReportParameter &other : def.parameters) {
            if (other.name == p.name)
                fail(QStringLiteral("parameter \"%1\" is declared twice").arg(p.name));
        }
        p.caption = attribute(QStringLiteral("caption"));
        const QString show = attribute(QStringLiteral("show"));
        if (show == QLatin1String("heading"))
            p.heading = true;
        else if (!show.isEmpty())
            fail(QStringLiteral("show must be \"heading\", not \"%1\"").arg(show));
        def.parameters.append(p);
        noChildren();
    }
}

ReportQuery Parser::readQuery()
{
    allowOnly({QStringLiteral("params")});
    ReportQuery q;
    q.line = int(m_xml.lineNumber());
    const QString params = attribute(QStringLiteral("params"));
    for (const QString &p : params.split(QLatin1Char(','), Qt::SkipEmptyParts))
        q.parameters << p.trimmed();
    q.sql = m_xml.readElementText(QXmlStreamReader::ErrorOnUnexpectedElement);
    if (m_xml.hasError())
        fail(QStringLiteral("<query> must hold only its SQL text: %1").arg(m_xml.errorString()));
    if (q.sql.trimmed().isEmpty())
        failAt(q.line, QStringLiteral("<query> is empty"));
    return q;
}

void Parser::readIntro(ReportDefinition &def)
{
    allowOnly({});
    while (nextChild()) {
        if (m_xml.name() == QLatin1String("query")) {
            if (!def.introQuery.sql.isEmpty())
                fail(QStringLiteral("<intro> may hold only one <query>"));
            def.introQuery = readQuery();
        } else if (m_xml.name() == QLatin1String("item")) {
            allowOnly({QStringLiteral("label"), QStringLiteral("field")});
            def.introItems.append({required(QStringLiteral("label")), required(QStringLiteral("field"))});
            noChildren();
        } else {
            fail(QStringLiteral("<intro> cannot hold %1").arg(element()));
        }
    }
    if (def.introQuery.sql.isEmpty())
        fail(QStringLiteral("<intro> has no <query>"));
    if (def.introItems.isEmpty())
        fail(QStringLiteral("<intro> has no <item>"));
}

void Parser::readColumns(ReportDefinition &def)
{
    allowOnly({});
    while (nextChild()) {
        if (m_xml.name() != QLatin1String("column"))
            fail(QStringLiteral("<columns> cannot hold %1").arg(element()));
        allowOnly({QStringLiteral("header"), QStringLiteral("field"), QStringLiteral("width"),
                   QStringLiteral("align"), QStringLiteral("format")});
        ReportColumn c;
        c.header = attribute(QStringLiteral("header"));
        c.field = required(QStringLiteral("field"));
        bool ok = false;
        const QString width = required(QStringLiteral("width"));
        c.width = width.toDouble(&ok);
        if (!ok || c.width <= 0)
            fail(QStringLiteral("column width must be a positive number of points, not \"%1\"").arg(width));
        const QString align = attribute(QStringLiteral("align"));
        if (align == QLatin1String("center"))
            c.alignment = Qt::AlignHCenter;
        else if (align == QLatin1String("right"))
            c.alignment = Qt::AlignRight;
        else if (!align.isEmpty() && align != QLatin1String("left"))
            fail(QStringLiteral("align must be \"left\", \"center\" or \"right\", not \"%1\"").arg(align));
        const QString format = attribute(QStringLiteral("format"));
        if (format == QLatin1String("date"))
            c.format = ReportColumn::Format::Date;
        else if (!format.isEmpty() && format != QLatin1String("text"))
            fail(QStringLiteral("format must be \"text\" or \"date\", not \"%1\"").arg(format));
        def.columns.append(c);
        noChildren();
    }
    if (def.columns.isEmpty())
        fail(QStringLiteral("<columns> holds no <column>"));
}

void Parser::readGroups(ReportDefinition &def)
{
    allowOnly({});
    while (nextChild()) {
        if (m_xml.name() != QLatin1String("group"))
            fail(QStringLiteral("<groups> cannot hold %1").arg(element()));
        allowOnly({QStringLiteral("field"), QStringLiteral("header"), QStringLiteral("footer")});
        ReportGroup g;
        g.field = required(QStringLiteral("field"));
        g.header = attribute(QStringLiteral("header"));
        if (g.header.isEmpty())
            g.header = QStringLiteral("{value}");
        g.footer = attribute(QStringLiteral("footer"));
        def.groups.append(g);
        noChildren();
    }
}

void Parser::readSort(ReportDefinition &def)
{
    allowOnly({});
    while (nextChild()) {
        if (m_xml.name() != QLatin1String("key"))
            fail(QStringLiteral("<sort> cannot hold %1").arg(element()));
        allowOnly({QStringLiteral("field"), QStringLiteral("order")});
        ReportSortKey k;
        k.field = required(QStringLiteral("field"));
        const QString order = attribute(QStringLiteral("order"));
        if (order == QLatin1String("descending"))
            k.descending = true;
        else if (!order.isEmpty() && order != QLatin1String("ascending"))
            fail(QStringLiteral("order must be \"ascending\" or \"descending\", not \"%1\"").arg(order));
        def.sortKeys.append(k);
        noChildren();
    }
}

void Parser::readSummary(ReportDefinition &def)
{
    allowOnly({QStringLiteral("title")});
    def.summaryTitle = attribute(QStringLiteral("title"));
    const QStringList filter{QStringLiteral("field"), QStringLiteral("equals"), QStringLiteral("notEquals")};
    while (nextChild()) {
        ReportSummaryItem item;
        const QString name = m_xml.name().toString();
        if (name == QLatin1String("count")) {
            allowOnly(QStringList{QStringLiteral("label")} + filter);
            item.kind = ReportSummaryItem::Kind::Count;
            item.label = required(QStringLiteral("label"));
            item.where = condition(QStringLiteral("field"), QStringLiteral("equals"), QStringLiteral("notEquals"));
            noChildren();
        } else if (name == QLatin1String("countBy")) {
            allowOnly(QStringList{QStringLiteral("label"), QStringLiteral("by"), QStringLiteral("order")} + filter);
            item.kind = ReportSummaryItem::Kind::CountBy;
            item.label = required(QStringLiteral("label"));
            item.by = required(QStringLiteral("by"));
            item.order = attribute(QStringLiteral("order")).split(QLatin1Char(','), Qt::SkipEmptyParts);
            item.where = condition(QStringLiteral("field"), QStringLiteral("equals"), QStringLiteral("notEquals"));
            noChildren();
        } else if (name == QLatin1String("rate")) {
            allowOnly(QStringList{QStringLiteral("label"), QStringLiteral("baseField"), QStringLiteral("baseEquals"),
                                  QStringLiteral("baseNotEquals")}
                      + filter);
            item.kind = ReportSummaryItem::Kind::Rate;
            item.label = required(QStringLiteral("label"));
            item.where = condition(QStringLiteral("field"), QStringLiteral("equals"), QStringLiteral("notEquals"));
            if (!item.where.isSet())
                fail(QStringLiteral("<rate> needs a \"field\" with \"equals\" or \"notEquals\""));
            item.base = condition(QStringLiteral("baseField"), QStringLiteral("baseEquals"), QStringLiteral("baseNotEquals"));
            noChildren();
        } else if (name == QLatin1String("barChart")) {
            allowOnly({QStringLiteral("label"), QStringLiteral("by")});
            item.kind = ReportSummaryItem::Kind::BarChart;
            item.label = attribute(QStringLiteral("label"));
            item.by = required(QStringLiteral("by"));
            while (nextChild()) {
                if (m_xml.name() != QLatin1String("bar"))
                    fail(QStringLiteral("<barChart> cannot hold %1").arg(element()));
                allowOnly({QStringLiteral("value"), QStringLiteral("label"), QStringLiteral("color")});
                ReportBar bar;
                bar.value = attribute(QStringLiteral("value"));
                bar.label = required(QStringLiteral("label"));
                const QString color = attribute(QStringLiteral("color"));
                bar.color = color.isEmpty() ? QColor(Qt::darkGray) : QColor::fromString(color);
                if (!bar.color.isValid())
                    fail(QStringLiteral("\"%1\" is not a colour").arg(color));
                item.bars.append(bar);
                noChildren();
            }
            if (item.bars.isEmpty())
                fail(QStringLiteral("<barChart> holds no <bar>"));
        } else {
            fail(QStringLiteral("<summary> cannot hold %1").arg(element()));
        }
        def.summary.append(item);
    }
}

} // namespace

ReportDefinition ReportDefinition::parse(const QByteArray &content, const QString &file)
{
    return Parser(content, file).run();
}

ReportDefinition ReportDefinition::load(const QString &path)
{
    QFile file(path);
    if (!file.exists())
        throw ReportError(path, QStringLiteral("the report definition file does not exist"));
    if (!file.open(QIODevice::ReadOnly))
        throw ReportError(path, QStringLiteral("the report definition cannot be read: ") + file.errorString());
    return parse(file.readAll(), path);
}
