#include "datepicker.h"

#include <QWheelEvent>

DatePicker::DatePicker(QWidget *parent)
    : QDateEdit(parent)
{
    // Not WheelFocus: a wheel turn passing over the picker must not take the focus and then change the date.
    setFocusPolicy(Qt::StrongFocus);
}

void DatePicker::wheelEvent(QWheelEvent *event)
{
    if (!hasFocus()) {
        event->ignore();
        return;
    }
    QDateEdit::wheelEvent(event);
}
