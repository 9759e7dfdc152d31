#include "date_picker.h"

#include "clock.h"

DatePicker::DatePicker(QWidget* parent) : QDateEdit(parent) {
    setCalendarPopup(true);
    setDisplayFormat(QStringLiteral("MM/dd/yyyy"));
    setDate(today());
}

int DatePicker::dateNumber() const {
    const QDate d = date();
    return d.isValid() ? d.year() * 10000 + d.month() * 100 + d.day() : 0;
}

void DatePicker::setDateNumber(int yyyymmdd) {
    const QDate d(yyyymmdd / 10000, yyyymmdd / 100 % 100, yyyymmdd % 100);
    setDate(d.isValid() ? d : today());
}
