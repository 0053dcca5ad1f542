#pragma once

#include <QWidget>

// A window shown inside the main window. The main window builds it, runs its
// load handler, then shows it.
class ChildWindow : public QWidget
{
    Q_OBJECT

public:
    enum class Placement {
        Maximized, // fills the working area
        Normal,    // its own size, resizable
        FixedSize, // its own size, single border, no maximize
    };

    using QWidget::QWidget;

    virtual Placement placement() const = 0;
    // Fills the window from the database; runs before the window is shown.
    virtual void Form_Load() = 0;
};
