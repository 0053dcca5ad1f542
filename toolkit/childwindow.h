#pragma once

#include <QWidget>

class WindowKeys;

// A window shown inside the main window. The main window builds it, runs its
// load handler, then shows it.
class ChildWindow : public QWidget
{
    Q_OBJECT

public:
    enum class Placement {
        Maximized, // fills the working area
        Normal,    // its own size, resizable
        FixedSize, // its own size, single border, no minimize or maximize
    };

    explicit ChildWindow(QWidget *parent = nullptr);

    virtual Placement placement() const = 0;
    // Fills the window from the database; runs before the window is shown.
    virtual void Form_Load() = 0;

    // Enter and Esc: every window has them, so a focused button takes Enter
    // even in a window without a default button.
    WindowKeys *keys() const { return m_keys; }

    // Pixels for a length in points on this window's screen.
    int points(double pt) const;
    // Closes the window as its close box would: its frame inside the main window, or itself.
    void closeWindow();

private:
    WindowKeys *m_keys;
};
