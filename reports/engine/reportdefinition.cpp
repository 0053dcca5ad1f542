#include "reportdefinition.h"

#include "reporterror.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
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
    ReportColumn readColumn();
    void readColumns(ReportDefinition &def);
    void readGroups(ReportDefinition &def);
    void readSort(ReportDefinition &def);
    void readSummary(ReportDefinition &def);
    ReportSummaryItem readSummaryItem();
    QList<ReportBar> readBars();
    ReportBar readBar();
    void readSeries(ReportSummaryItem &item);
    QStringList list(const QString &name) const;
    bool yesNo(const QString &name, bool byDefault = false);
    void checkQuery(const ReportDefinition &def, const ReportQuery &query, const QString &what) const;

    QXmlStreamReader m_xml;
    QString m_file;
    bool m_empty;
    bool m_sawElement = false;
    int m_parametersLine = 0;
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
        else if (name == QLatin1String("rows")) {
            allowOnly({QStringLiteral("field"), QStringLiteral("equals"), QStringLiteral("notEquals")});
            def.shown = condition(QStringLiteral("field"), QStringLiteral("equals"), QStringLiteral("notEquals"));
            if (!def.shown.isSet())
                fail(QStringLiteral("<rows> needs a \"field\" with \"equals\" or \"notEquals\""));
            noChildren();
        }
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

    if (def.query.sql.trimmed().isEmpty() && def.query.source.isEmpty())
        fail(QStringLiteral("the report has no <query>"));
    if (def.columns.isEmpty())
        fail(QStringLiteral("the report has no <columns>"));
    checkQuery(def, def.query, QStringLiteral("<query>"));
    if (!def.introQuery.sql.isEmpty())
        checkQuery(def, def.introQuery, QStringLiteral("the <query> of <intro>"));
    for (const ReportSummaryItem &item : std::as_const(def.summary)) {
        if (item.kind == ReportSummaryItem::Kind::Series)
            checkQuery(def, item.query, QStringLiteral("the <query> of <series>"));
    }
    for (const ReportParameter &p : std::as_const(def.parameters)) {
        if (!p.detail.isEmpty() && def.introQuery.sql.isEmpty())
            failAt(m_parametersLine, QStringLiteral("parameter \"%1\" shows the field \"%2\", but the report has no <intro> to read it")
                                         .arg(p.name, p.detail));
    }
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
    if (!query.source.isEmpty())
        return;
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
    m_parametersLine = int(m_xml.lineNumber());
    static const QRegularExpression identifier(QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*$"));
    while (nextChild()) {
        if (m_xml.name() != QLatin1String("parameter"))
            fail(QStringLiteral("<parameters> cannot hold %1").arg(element()));
        allowOnly({QStringLiteral("name"), QStringLiteral("caption"), QStringLiteral("show"), QStringLiteral("detail"),
                   QStringLiteral("optional"), QStringLiteral("format")});
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
        p.detail = attribute(QStringLiteral("detail"));
        p.optional = yesNo(QStringLiteral("optional"));
        const QString format = attribute(QStringLiteral("format"));
        p.date = format == QLatin1String("date");
        if (!p.date && !format.isEmpty() && format != QLatin1String("text"))
            fail(QStringLiteral("format must be \"text\" or \"date\", not \"%1\"").arg(format));
        if (!p.detail.isEmpty() && !p.heading && p.caption.isEmpty())
            fail(QStringLiteral("parameter \"%1\" has a detail but is shown neither as the heading nor with a caption").arg(p.name));
        def.parameters.append(p);
        noChildren();
    }
}

ReportQuery Parser::readQuery()
{
    allowOnly({QStringLiteral("params"), QStringLiteral("source")});
    ReportQuery q;
    q.line = int(m_xml.lineNumber());
    const QString params = attribute(QStringLiteral("params"));
    for (const QString &p : params.split(QLatin1Char(','), Qt::SkipEmptyParts))
        q.parameters << p.trimmed();
    q.source = attribute(QStringLiteral("source"));
    q.sql = m_xml.readElementText(QXmlStreamReader::ErrorOnUnexpectedElement);
    if (m_xml.hasError())
        fail(QStringLiteral("<query> must hold only its SQL text: %1").arg(m_xml.errorString()));
    if (!q.source.isEmpty() && !q.sql.trimmed().isEmpty())
        failAt(q.line, QStringLiteral("<query> names a source and holds SQL; it may do one of them"));
    if (q.source.isEmpty() && q.sql.trimmed().isEmpty())
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
}

ReportColumn Parser::readColumn()
{
    allowOnly({QStringLiteral("header"), QStringLiteral("field"), QStringLiteral("width"),
               QStringLiteral("align"), QStringLiteral("format"), QStringLiteral("wrap")});
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
    c.noWrap = !yesNo(QStringLiteral("wrap"), true);
    noChildren();
    return c;
}

void Parser::readColumns(ReportDefinition &def)
{
    allowOnly({});
    while (nextChild()) {
        if (m_xml.name() != QLatin1String("column"))
            fail(QStringLiteral("<columns> cannot hold %1").arg(element()));
        def.columns.append(readColumn());
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
        allowOnly({QStringLiteral("field"), QStringLiteral("header"), QStringLiteral("footer"), QStringLiteral("order")});
        ReportGroup g;
        g.order = list(QStringLiteral("order"));
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

QStringList Parser::list(const QString &name) const
{
    QStringList values;
    for (const QString &v : attribute(name).split(QLatin1Char(','), Qt::SkipEmptyParts))
        values << v.trimmed();
    return values;
}


bool Parser::yesNo(const QString &name, bool byDefault)
{
    const QString value = attribute(name);
    if (value.isEmpty())
        return byDefault;
    if (value == QLatin1String("no"))
        return false;
    if (value != QLatin1String("yes"))
        fail(QStringLiteral("%1 must be \"yes\" or \"no\", not \"%2\"").arg(name, value));
    return true;
}

void Parser::readSummary(ReportDefinition &def)
{
    allowOnly({QStringLiteral("title"), QStringLiteral("place")});
    def.summaryTitle = attribute(QStringLiteral("title"));
    const QString place = attribute(QStringLiteral("place"));
    if (place == QLatin1String("start"))
        def.summaryFirst = true;
    else if (!place.isEmpty() && place != QLatin1String("end"))
        fail(QStringLiteral("place must be \"start\" or \"end\", not \"%1\"").arg(place));
    while (nextChild())
        def.summary.append(readSummaryItem());
}

ReportSummaryItem Parser::readSummaryItem()
{
    using Kind = ReportSummaryItem::Kind;
    static const QHash<QString, Kind> kinds{{QStringLiteral("count"), Kind::Count},
                                           {QStringLiteral("countBy"), Kind::CountBy},
                                           {QStringLiteral("rate"), Kind::Rate},
                                           {QStringLiteral("barChart"), Kind::BarChart},
                                           {QStringLiteral("breakdown"), Kind::Breakdown},
                                           {QStringLiteral("crossTab"), Kind::CrossTab},
                                           {QStringLiteral("period"), Kind::Period},
                                           {QStringLiteral("list"), Kind::List},
                                           {QStringLiteral("detail"), Kind::Detail},
                                           {QStringLiteral("legend"), Kind::Legend},
                                           {QStringLiteral("series"), Kind::Series}};
    const auto kind = kinds.constFind(m_xml.name().toString());
    if (kind == kinds.cend())
        fail(QStringLiteral("<summary> cannot hold %1").arg(element()));
    const QStringList filter{QStringLiteral("label"), QStringLiteral("field"), QStringLiteral("equals"),
                             QStringLiteral("notEquals")};
    ReportSummaryItem item;
    item.kind = *kind;
    switch (item.kind) {
    case Kind::Count:
        allowOnly(filter);
        break;
    case Kind::CountBy:
        allowOnly(filter + QStringList{QStringLiteral("by"), QStringLiteral("header"), QStringLiteral("order"),
                                       QStringLiteral("sort"), QStringLiteral("chart")});
        break;
    case Kind::Rate:
        allowOnly(filter + QStringList{QStringLiteral("baseField"), QStringLiteral("baseEquals"), QStringLiteral("baseNotEquals")});
        break;
    case Kind::BarChart:
        allowOnly({QStringLiteral("label"), QStringLiteral("by")});
        break;
    case Kind::Breakdown:
        allowOnly(filter + QStringList{QStringLiteral("by"), QStringLiteral("header"), QStringLiteral("across"),
                                       QStringLiteral("rate"), QStringLiteral("rateBase"), QStringLiteral("rateLabel"),
                                       QStringLiteral("sort")});
        break;
    case Kind::CrossTab:
        allowOnly(filter + QStringList{QStringLiteral("by"), QStringLiteral("header"), QStringLiteral("order"),
                                       QStringLiteral("across")});
        break;
    case Kind::Period:
        allowOnly(filter + QStringList{QStringLiteral("by")});
        break;
    case Kind::List:
        allowOnly(filter + QStringList{QStringLiteral("by"), QStringLiteral("header")});
        break;
    case Kind::Detail:
        allowOnly(filter + QStringList{QStringLiteral("by"), QStringLiteral("order")});
        break;
    case Kind::Legend:
    case Kind::Series:
        allowOnly({QStringLiteral("label")});
        break;
    }
    item.label = item.kind == Kind::BarChart ? attribute(QStringLiteral("label")) : required(QStringLiteral("label"));
    item.where = condition(QStringLiteral("field"), QStringLiteral("equals"), QStringLiteral("notEquals"));
    if (item.kind != Kind::Count && item.kind != Kind::Rate && item.kind != Kind::Legend && item.kind != Kind::Series)
        item.by = required(QStringLiteral("by"));
    item.header = attribute(QStringLiteral("header"));
    item.order = list(QStringLiteral("order"));
    item.chart = yesNo(QStringLiteral("chart"));
    const QString sort = attribute(QStringLiteral("sort"));
    if (sort == QLatin1String("count"))
        item.byCount = true;
    else if (!sort.isEmpty() && sort != QLatin1String("value"))
        fail(QStringLiteral("sort must be \"value\" or \"count\", not \"%1\"").arg(sort));
    if (item.kind == Kind::Rate) {
        if (!item.where.isSet())
            fail(QStringLiteral("<rate> needs a \"field\" with \"equals\" or \"notEquals\""));
        item.base = condition(QStringLiteral("baseField"), QStringLiteral("baseEquals"), QStringLiteral("baseNotEquals"));
    }
    if (item.kind == Kind::CrossTab || item.kind == Kind::Breakdown)
        item.across = required(QStringLiteral("across"));
    if (item.kind == Kind::Breakdown) {
        item.rateOf = attribute(QStringLiteral("rate"));
        item.rateBase = list(QStringLiteral("rateBase"));
        item.rateLabel = attribute(QStringLiteral("rateLabel"));
        if (item.rateLabel.isEmpty())
            item.rateLabel = QStringLiteral("Rate");
        if (item.rateOf.isEmpty() != item.rateBase.isEmpty())
            fail(QStringLiteral("<breakdown> needs both \"rate\" and \"rateBase\", or neither"));
    }
    if (item.kind == Kind::Detail) {
        while (nextChild()) {
            if (m_xml.name() != QLatin1String("column"))
                fail(QStringLiteral("<detail> cannot hold %1").arg(element()));
            item.columns.append(readColumn());
        }
        if (item.columns.isEmpty())
            fail(QStringLiteral("<detail> holds no <column>"));
    } else if (item.kind == Kind::Series) {
        readSeries(item);
    } else if (item.kind == Kind::BarChart || item.kind == Kind::Breakdown || item.kind == Kind::Legend) {
        const int line = int(m_xml.lineNumber());
        item.bars = readBars();
        if (item.bars.isEmpty())
            failAt(line, QStringLiteral("<%1> holds no <bar>").arg(kinds.key(item.kind)));
        if (!item.rateOf.isEmpty()) {
            for (const QString &value : QStringList{item.rateOf} + item.rateBase) {
                if (std::none_of(item.bars.cbegin(), item.bars.cend(), [&](const ReportBar &b) { return b.value == value; }))
                    failAt(line, QStringLiteral("<breakdown> rates \"%1\", which none of its <bar> counts").arg(value));
            }
        }
    } else {
        noChildren();
    }
    return item;
}

void Parser::readSeries(ReportSummaryItem &item)
{
    const int line = int(m_xml.lineNumber());
    while (nextChild()) {
        if (m_xml.name() == QLatin1String("query") && item.query.line == 0)
            item.query = readQuery();
        else if (m_xml.name() == QLatin1String("column"))
            item.columns.append(readColumn());
        else if (m_xml.name() == QLatin1String("bar"))
            item.bars.append(readBar());
        else
            fail(QStringLiteral("<series> cannot hold %1").arg(element()));
    }
    if (item.query.line == 0)
        failAt(line, QStringLiteral("<series> has no <query>"));
    if (item.columns.isEmpty())
        failAt(line, QStringLiteral("<series> holds no <column>"));
}

QList<ReportBar> Parser::readBars()
{
    const QString parent = element();
    QList<ReportBar> bars;
    while (nextChild()) {
        if (m_xml.name() != QLatin1String("bar"))
            fail(QStringLiteral("%1 cannot hold %2").arg(parent, element()));
        bars.append(readBar());
    }
    return bars;
}

ReportBar Parser::readBar()
{
    allowOnly({QStringLiteral("value"), QStringLiteral("label"), QStringLiteral("color")});
    ReportBar bar;
    bar.value = attribute(QStringLiteral("value"));
    bar.label = required(QStringLiteral("label"));
    const QString color = attribute(QStringLiteral("color"));
    bar.color = color.isEmpty() ? QColor(Qt::darkGray) : QColor::fromString(color);
    if (!bar.color.isValid())
        fail(QStringLiteral("\"%1\" is not a colour").arg(color));
    noChildren();
    return bar;
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
