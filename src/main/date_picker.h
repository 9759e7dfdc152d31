#pragma once

#include <QDateEdit>

// A date box with a drop-down calendar that gives and takes yyyymmdd numbers (0 = none
// shows today's date, as the clerk expects a picker to start somewhere).
class DatePicker : public QDateEdit {
    Q_OBJECT
public:
    explicit DatePicker(QWidget* parent = nullptr);
    int dateNumber() const;
    void setDateNumber(int yyyymmdd);
};
