#include "date_picker.h"

#include "clock.h"
#include "common.h"

DatePicker::DatePicker(QWidget* parent) : QDateEdit(parent) {
    setCalendarPopup(true);
    setDisplayFormat(QStringLiteral("MM/dd/yyyy"));
    setDate(today());
}

int DatePicker::dateNumber() const {
    return ::dateNumber(date());
}

void DatePicker::setDateNumber(int yyyymmdd) {
    const QDate d = numberDate(yyyymmdd);
    setDate(d.isValid() ? d : today());
}
