#include "clock.h"

#include <QtGlobal>

QDate today() {
    const QByteArray fixed = qgetenv("BANKREC_TODAY").trimmed();
    if (!fixed.isEmpty()) {
        const QDate date =
            QDate::fromString(QString::fromLatin1(fixed), QStringLiteral("yyyyMMdd"));
        if (date.isValid())
            return date;
    }
    return QDate::currentDate();
}

QDateTime now() {
    return QDateTime(today(), QTime::currentTime());
}
