#pragma once

class ChildWindow;
class QLabel;
class QLayout;
class QPushButton;
class QString;
class RecordList;

// The frame both import windows share: the choices above, the preview of
// what an import would do in the middle, the counts with Import and Close
// below. Import waits for a preview worth importing; Close and Esc close.
void layOutImportWindow(ChildWindow *window, QLayout *choices, RecordList *preview, QLabel *counts,
                        QPushButton *import, QPushButton *close);

// A cell as the preview shows it: at most the first few hundred characters, so
// that a field of many megabytes is neither laid out nor measured whole.
QString previewCell(const QString &text);
