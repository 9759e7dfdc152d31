#include "report.h"

#include "context.h"
#include "database.h"

#include <QCoreApplication>
#include <QDebug>
#include <QFileInfo>
#include <exception>

namespace {
MessageHook& hook() {
    static MessageHook h;
    return h;
}
} // namespace

void setMessageHook(MessageHook h) {
    hook() = std::move(h);
}

void reportMessage(const QString& text, const QString& title) {
    const QString shownTitle = title.isEmpty() ? programTitle() : title;
    if (hook())
        hook()(text, shownTitle);
    else
        qWarning().noquote() << shownTitle << ":" << text;
}

QString programTitle() {
    if (!shared().wrkEXENME.isEmpty())
        return shared().wrkEXENME;
    if (QCoreApplication::instance())
        return QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
    return QStringLiteral("bankrec");
}

bool runCommand(const std::function<void()>& command) {
    try {
        command();
        return true;
    } catch (const DatabaseError& e) {
        reportMessage(e.description());
    } catch (const std::exception& e) {
        reportMessage(QString::fromLocal8Bit(e.what()));
    }
    return false;
}
