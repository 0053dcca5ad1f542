#include "workbookcells.h"

#include <QProcess>
#include <QXmlStreamReader>

namespace {

QByteArray part(const QString &path, const QString &name, QString *problem)
{
    QProcess unzip;
    unzip.start(QStringLiteral("unzip"), {QStringLiteral("-p"), path, name});
    if (!unzip.waitForFinished() || unzip.exitCode() != 0)
        *problem += QStringLiteral("no %1 in %2: %3 ").arg(name, path, QString::fromLocal8Bit(unzip.readAllStandardError()));
    return unzip.readAllStandardOutput();
}

} // namespace

WorkbookCell WorkbookSheet::cell(int row, int column) const
{
    return cells.value(QChar(u'A' + column) + QString::number(row));
}

QStringList WorkbookSheet::values(int row, int columns) const
{
    QStringList out;
    for (int c = 0; c < columns; ++c)
        out << cell(row, c).value;
    return out;
}

WorkbookSheet readWorkbook(const QString &path, QString *problem)
{
    problem->clear();
    QStringList strings;
    QMap<QString, QString> formats; // number format id to its code
    QStringList styleFormats;       // per style, the id of its number format
    QXmlStreamReader shared(part(path, QStringLiteral("xl/sharedStrings.xml"), problem));
    while (!shared.atEnd()) {
        shared.readNext();
        if (shared.isStartElement() && shared.name() == u"si")
            strings << QString();
        else if (shared.isStartElement() && shared.name() == u"t" && !strings.isEmpty())
            strings.last() += shared.readElementText();
    }
    QXmlStreamReader styles(part(path, QStringLiteral("xl/styles.xml"), problem));
    bool inCellStyles = false;
    while (!styles.atEnd()) {
        styles.readNext();
        if (styles.isStartElement() && styles.name() == u"numFmt")
            formats.insert(styles.attributes().value("numFmtId").toString(),
                           styles.attributes().value("formatCode").toString());
        inCellStyles = styles.name() == u"cellXfs" ? styles.isStartElement() : inCellStyles;
        if (inCellStyles && styles.isStartElement() && styles.name() == u"xf")
            styleFormats << styles.attributes().value("numFmtId").toString();
    }
    WorkbookSheet sheet;
    QXmlStreamReader xml(part(path, QStringLiteral("xl/worksheets/sheet1.xml"), problem));
    QString at;
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement())
            continue;
        const QXmlStreamAttributes a = xml.attributes();
        if (xml.name() == u"c") {
            at = a.value("r").toString();
            const QString t = a.value("t").toString();
            sheet.cells[at] = {t.isEmpty() ? QStringLiteral("n") : t, QString(),
                               formats.value(styleFormats.value(a.value("s").toInt()))};
        } else if (xml.name() == u"f") {
            sheet.cells[at].type = QStringLiteral("f");
        } else if (xml.name() == u"v") {
            WorkbookCell &c = sheet.cells[at];
            c.value = xml.readElementText();
            if (c.type == u"s")
                c.value = strings.value(c.value.toInt());
        } else if (xml.name() == u"pane" && a.value("state") == u"frozen") {
            sheet.frozenAt = a.value("topLeftCell").toString();
        } else if (xml.name() == u"autoFilter") {
            sheet.filter = a.value("ref").toString();
        } else if (xml.name() == u"col") {
            sheet.widths.resize(std::max(sheet.widths.size(), qsizetype(a.value("max").toInt())));
            for (int c = a.value("min").toInt(); c <= a.value("max").toInt(); ++c)
                sheet.widths[c - 1] = a.value("width").toDouble();
        }
    }
    if (xml.hasError())
        *problem += xml.errorString();
    return sheet;
}
