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

QString busyDatabaseMessage() {
    if (shared().spanish())
        return QStringLiteral("Otro programa está escribiendo en la base de datos y no terminó "
                              "a tiempo, así que no se guardó nada. Sus datos siguen en la "
                              "pantalla: presione Aceptar otra vez para guardarlos.");
    return QStringLiteral("Another program is writing to the database and did not finish in "
                          "time, so nothing was saved. Your entries are still on screen: "
                          "press OK again to save them.");
}

bool runCommand(const std::function<void()>& command) {
    try {
        command();
        return true;
    } catch (const DatabaseError& e) {
        reportMessage(e.isBusy() ? busyDatabaseMessage() : e.description());
    } catch (const std::exception& e) {
        reportMessage(QString::fromLocal8Bit(e.what()));
    }
    return false;
}
