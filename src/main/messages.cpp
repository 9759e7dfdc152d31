#include "messages.h"

#include "report.h"

#include <QApplication>
#include <QMessageBox>
#include <QPointer>

namespace {
MessageHandler& messageHandler() {
    static MessageHandler h;
    return h;
}
QuestionHandler& questionHandler() {
    static QuestionHandler h;
    return h;
}
EndHandler& endHandler() {
    static EndHandler h;
    return h;
}
bool& ended() {
    static bool value = false;
    return value;
}
} // namespace

void showMessage(const QString& text, const QString& title) {
    const QString shownTitle = title.isEmpty() ? programTitle() : title;
    if (messageHandler()) {
        messageHandler()(text, shownTitle);
        return;
    }
    // The window under the box may close while the box is up (a help viewer losing the
    // activation); it then takes the box with it, so the box is never also deleted here.
    QPointer<QMessageBox> box = new QMessageBox(QMessageBox::NoIcon, shownTitle, text,
                                                QMessageBox::Ok, QApplication::activeWindow());
    box->exec();
    delete box.data();
}

bool askQuestion(const QString& text, const QString& title) {
    const QString shownTitle = title.isEmpty() ? programTitle() : title;
    if (questionHandler())
        return questionHandler()(text, shownTitle);
    return QMessageBox::question(QApplication::activeWindow(), shownTitle, text,
                                 QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

void endProgram() {
    ended() = true;
    if (endHandler()) {
        endHandler()();
        return;
    }
    // exit() leaves the event loop without closing the main window, so its unload (which
    // remembers the bank account) does not run.
    QCoreApplication::exit(0);
}

bool programEnded() {
    return ended();
}
void resetProgramEnded() {
    ended() = false;
}

void setMessageHandler(MessageHandler handler) {
    messageHandler() = std::move(handler);
}
void setQuestionHandler(QuestionHandler handler) {
    questionHandler() = std::move(handler);
}
void setEndProgramHandler(EndHandler handler) {
    endHandler() = std::move(handler);
}

void installMessageBoxes() {
    setMessageHook([](const QString& text, const QString& title) { showMessage(text, title); });
}
