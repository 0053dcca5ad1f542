#include "importframe.h"

#include "childwindow.h"
#include "guard.h"
#include "recordlist.h"
#include "textcount.h"
#include "windowkeys.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

void layOutImportWindow(ChildWindow *window, QLayout *choices, RecordList *preview, QLabel *counts,
                        QPushButton *import, QPushButton *close)
{
    import->setEnabled(false);
    preview->setObjectName(QStringLiteral("LV_preview"));
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(counts, 1);
    buttons->addWidget(import);
    buttons->addWidget(close);
    auto *layout = new QVBoxLayout(window);
    layout->addLayout(choices);
    layout->addWidget(preview, 1);
    layout->addLayout(buttons);
    window->keys()->setCancelButton(close);
    onEvent(close, &QPushButton::clicked, window, &ChildWindow::closeWindow);
}

QString previewCell(const QString &text)
{
    constexpr int kShown = 300;
    if (text.size() <= kShown)
        return text;
    const QString shown = leftChars(text, kShown);
    return shown.size() == text.size() ? text : shown + u'\u2026';
}
