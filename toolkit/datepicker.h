#pragma once

#include <QDateEdit>

// A date picker whose date the wheel changes only while it has the focus.
class DatePicker : public QDateEdit
{
    Q_OBJECT

public:
    explicit DatePicker(QWidget *parent = nullptr);

protected:
    void wheelEvent(QWheelEvent *event) override;
};
