#pragma once

#include <QString>

// The per-user settings store shared by the suite's programs; application always
// "ORLUNDE". On Windows the registry's program-settings area; elsewhere an INI file,
// ~/.config/ORLUNDE/ORLUNDE.ini, or the file ORLUNDE_SETTINGS names. Keys keep their case
// and may hold "/", "\" and ":". A missing key reads "".
QString getSetting(const QString& section, const QString& key);
void saveSetting(const QString& section, const QString& key, const QString& value);

// The INI file in use where there is no registry.
QString settingsFilePath();
