#pragma once

// Texts that trip careless code, and what a window must do with each: refuse it
// with its own message, cut it to the field's limit, or keep it byte for byte.

#include "frm_reports.h"
#include "reportfixture.h"
#include "dropdown.h"
#include "recorders.h"
#include "reportviewer.h"
#include "textbox.h"
#include "windowtest.h"

#include <QPushButton>
#include <QtTest>
#include <functional>
#include <optional>

struct OddText
{
    const char *name;
    QString text;
};

// A text of exactly n characters (an emoji counts as one) built from piece.
inline QString ofLength(const QString &piece, int n)
{
    QString out;
    const QList<uint> chars = piece.toUcs4();
    for (int i = 0; i < n; ++i) {
        const uint c = chars.at(i % chars.size());
        out += QString::fromUcs4(reinterpret_cast<const char32_t *>(&c), 1);
    }
    return out;
}

// Every odd text, plus texts of exactly the limit and one over, in Latin and emoji.
inline QList<OddText> oddTexts(int limit, const QString &piece = QStringLiteral("abcdefghij"))
{
    QList<OddText> t{
        {"single quote", QStringLiteral("O'Brien's")},
        {"lone quote", QStringLiteral("'")},
        {"double quote", QStringLiteral("say \"hi\"")},
        {"backslash", QStringLiteral("C:\\dir\\x")},
        {"percent", QStringLiteral("100%")},
        {"underscore", QStringLiteral("a_b")},
        {"short injection", QStringLiteral("');--")},
        {"injection", QStringLiteral("x'); drop table qv_zr_projects; --")},
        {"always true", QStringLiteral("x' or '1'='1")},
        {"placeholders", QStringLiteral("{value}{count}")},
        {"outer blanks", QStringLiteral("  pad  ")},
        {"tab", QStringLiteral("a\tb")},
        {"line break", QStringLiteral("a\nb")},
        {"empty", QString()},
        {"blanks only", QStringLiteral("   ")},
        {"tab and line break only", QStringLiteral("\t\n")},
        {"cyrillic", QStringLiteral("Проверка")},
        {"cjk", QStringLiteral("测试用例")},
        {"arabic", QStringLiteral("اختبار")},
        {"emoji", QStringLiteral("🐞✅")},
        {"at limit", ofLength(piece, limit)},
        {"over limit", ofLength(piece, limit + 1)},
        {"emoji at limit", ofLength(QStringLiteral("🐞"), limit)},
        {"emoji over limit", ofLength(QStringLiteral("🐞"), limit + 1)},
    };
    return t;
}

// One data row per field and odd text: the field's index and the text.
template <class Fields>
void addFieldRows(const Fields &fields)
{
    QTest::addColumn<int>("field");
    QTest::addColumn<QString>("text");
    for (int f = 0; f < int(fields.size()); ++f)
        for (const OddText &odd : oddTexts(fields[f].rule.limit))
            QTest::addRow("%s: %s", fields[f].rule.control, odd.name) << f << odd.text;
}

// Characters as the user counts them.
inline int charCount(const QString &s)
{
    return int(s.toUcs4().size());
}

inline QString firstChars(const QString &s, int n)
{
    const QList<uint> chars = s.toUcs4().mid(0, n);
    return QString::fromUcs4(reinterpret_cast<const char32_t *>(chars.constData()), chars.size());
}

// Opens the report window on the database, picks the project and the report
// kind and presses Generate; the window is left open for inspection.
inline std::unique_ptr<Frm_Reports> generateReport(TestingClass &con, const QString &project, const QString &kind)
{
    auto w = std::make_unique<Frm_Reports>(con);
    w->resize(1000, 700);
    w->Form_Load();
    const int at = w->cmb_prjid->findText(project, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (at < 0)
        return nullptr;
    w->cmb_prjid->setListIndex(at);
    w->TypeofReport->setListIndex(w->TypeofReport->findText(kind));
    w->Command4->click();
    return w;
}


// How a window treats one field's text on save.
struct FieldRule
{
    const char *control;
    int limit;
    bool boxCuts;          // the box itself keeps no more than the limit
    QString blankMessage;  // empty: a blank text is taken
    QString longMessage;   // empty: the box's limit is the only one
    bool onlyEmptyIsBlank = false; // blanks are text like any other
};

// Presses save with the control holding entered and checks what the rule asks:
// a blank text is refused with its message and the focus at the control; a text
// over the limit is refused with its message, cut to the limit, and stored by a
// second press. stored is left empty when nothing may be stored, else set to
// what the table must now hold. The save that goes through shows finalMessages.
inline void saveByRule(const FieldRule &rule, QWidget *control, const QString &entered, RecordingMessages &messages,
                       const std::function<void()> &save, const std::function<int()> &rowsStored,
                       std::optional<QString> &stored, const QStringList &finalMessages = {})
{
    stored.reset();
    const int before = rowsStored();
    save();
    if (!rule.blankMessage.isEmpty() && (rule.onlyEmptyIsBlank ? entered.isEmpty() : isBlank(entered))) {
        QCOMPARE(messages.texts(), QStringList{rule.blankMessage});
        QVERIFY(hasFocusIn(control));
        QCOMPARE(rowsStored(), before);
        return;
    }
    QString kept = entered;
    if (!rule.longMessage.isEmpty() && charCount(entered) > rule.limit) {
        QCOMPARE(messages.texts(), QStringList{rule.longMessage});
        kept = firstChars(entered, rule.limit);
        QCOMPARE(textOf(control), kept);
        QVERIFY(hasFocusIn(control));
        QCOMPARE(rowsStored(), before);
        messages.boxes.clear();
        save();
    }
    QCOMPARE(messages.texts(), finalMessages);
    stored = kept;
}
