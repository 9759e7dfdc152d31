#pragma once

#include <QString>
#include <functional>

// The data layer has no widgets: it reports through a hook that the window layer installs
// (a message box there, a recorder in tests). Without a hook the text goes to the log.
using MessageHook = std::function<void(const QString& text, const QString& title)>;
void setMessageHook(MessageHook hook);
void reportMessage(const QString& text, const QString& title = QString());

// The program's title: the executable's name without extension, as every message box shows.
QString programTitle();

// What the clerk is told when another program held the database past the busy wait.
QString busyDatabaseMessage();

// Runs one user command. A database error (or any other exception) is reported once and the
// command stops; nothing crosses the event loop. Returns false when the command failed.
bool runCommand(const std::function<void()>& command);
