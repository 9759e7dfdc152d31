#pragma once

#include <QString>
#include <functional>

// Every message box of the program: modal, OK only, titled with the program's title unless
// a title is given. Tests replace the handler to record what was shown.
void showMessage(const QString& text, const QString& title = QString());

// A Yes/No question (used where the program asks before it acts); true for Yes.
bool askQuestion(const QString& text, const QString& title = QString());

// Ends the program at once, without the main window's unload (Exit, and OK of the
// configuration window). Before the event loop runs it only marks the program as ended.
void endProgram();
bool programEnded();

using MessageHandler = std::function<void(const QString& text, const QString& title)>;
using QuestionHandler = std::function<bool(const QString& text, const QString& title)>;
using EndHandler = std::function<void()>;
void setMessageHandler(MessageHandler handler); // empty: the real message box
void setQuestionHandler(QuestionHandler handler);
void setEndProgramHandler(EndHandler handler);
void resetProgramEnded();

// Routes the data layer's messages to showMessage.
void installMessageBoxes();
