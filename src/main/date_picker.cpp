#include "date_picker.h"

#include "clock.h"
#include "common.h"
#include "context.h"

DatePicker::DatePicker(QWidget* parent) : QDateEdit(parent) {
    setCalendarPopup(true);
    // Shown, and so typed, in the order of the company's date format, with the whole year.
    const int format = shared().wrkDTEFMT;
    setDisplayFormat(format == 2 || format == 3 ? QStringLiteral("dd/MM/yyyy")
                     : format == 4              ? QStringLiteral("yyyy-dd-MM")
                                                : QStringLiteral("MM/dd/yyyy"));
    setDate(today());
}

int DatePicker::dateNumber() const {
    return ::dateNumber(date());
}

void DatePicker::setDateNumber(int yyyymmdd) {
    const QDate d = numberDate(yyyymmdd);
    setDate(d.isValid() ? d : today());
}
