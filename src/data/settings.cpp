#include "settings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringList>
#include <QtGlobal>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

QString settingsFilePath() {
    const QString chosen = qEnvironmentVariable("ORLUNDE_SETTINGS");
    if (!chosen.isEmpty())
        return chosen;
    return QDir::homePath() + QStringLiteral("/.config/ORLUNDE/ORLUNDE.ini");
}

#ifdef Q_OS_WIN

// The suite's programs keep their settings in the registry's program-settings area, one key
// per application and section, every value a REG_SZ.
namespace {
std::wstring sectionKey(const QString& section) {
    return (QStringLiteral("Software\\VB and VBA Program Settings\\ORLUNDE\\") + section)
        .toStdWString();
}
} // namespace

QString getSetting(const QString& section, const QString& key) {
    HKEY handle = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, sectionKey(section).c_str(), 0, KEY_QUERY_VALUE,
                      &handle) != ERROR_SUCCESS)
        return QString();
    const std::wstring name = key.toStdWString();
    DWORD type = 0;
    DWORD bytes = 0;
    QString result;
    if (RegQueryValueExW(handle, name.c_str(), nullptr, &type, nullptr, &bytes) == ERROR_SUCCESS &&
        (type == REG_SZ || type == REG_EXPAND_SZ) && bytes > 0) {
        std::wstring buffer(bytes / sizeof(wchar_t) + 1, L'\0');
        DWORD size = bytes;
        if (RegQueryValueExW(handle, name.c_str(), nullptr, &type,
                             reinterpret_cast<BYTE*>(buffer.data()), &size) == ERROR_SUCCESS) {
            buffer.resize(size / sizeof(wchar_t));
            while (!buffer.empty() && buffer.back() == L'\0')
                buffer.pop_back();
            result = QString::fromStdWString(buffer);
        }
    }
    RegCloseKey(handle);
    return result;
}

void saveSetting(const QString& section, const QString& key, const QString& value) {
    HKEY handle = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, sectionKey(section).c_str(), 0, nullptr,
                        REG_OPTION_NON_VOLATILE, KEY_SET_VALUE, nullptr, &handle,
                        nullptr) != ERROR_SUCCESS)
        return;
    const std::wstring name = key.toStdWString();
    const std::wstring data = value.toStdWString();
    RegSetValueExW(handle, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                   static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(handle);
}

#else

// Elsewhere an INI file of our own format: "[section]" headers and "key=value" lines, the
// first "=" ending the key, so keys may hold folders ("/", "\", ":"). Sections and keys are
// matched without regard to case, as the registry does. Saving edits the one line and keeps
// every other line (comments included) as it was.
namespace {

QStringList readLines(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QString text = QString::fromUtf8(file.readAll());
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    QStringList lines = text.split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

// The section name when the line is a "[section]" header.
bool sectionHeader(const QString& line, QString* name) {
    const QString trimmed = line.trimmed();
    if (trimmed.size() < 2 || !trimmed.startsWith(QLatin1Char('[')) ||
        !trimmed.endsWith(QLatin1Char(']')))
        return false;
    *name = trimmed.mid(1, trimmed.size() - 2);
    return true;
}

bool isComment(const QString& line) {
    const QString trimmed = line.trimmed();
    return trimmed.startsWith(QLatin1Char(';')) || trimmed.startsWith(QLatin1Char('#'));
}

// The key of a "key=value" line, or a null string for anything else.
QString lineKey(const QString& line) {
    if (isComment(line))
        return QString();
    const int eq = line.indexOf(QLatin1Char('='));
    return eq < 0 ? QString() : line.left(eq);
}

bool sameName(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// A value lives on one line.
QString oneLine(const QString& value) {
    QString text = value;
    text.replace(QLatin1String("\r\n"), QLatin1String(" "));
    text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return text;
}

} // namespace

QString getSetting(const QString& section, const QString& key) {
    bool inSection = false;
    for (const QString& line : readLines(settingsFilePath())) {
        QString name;
        if (sectionHeader(line, &name)) {
            inSection = sameName(name, section);
            continue;
        }
        if (!inSection)
            continue;
        const QString lk = lineKey(line);
        if (!lk.isNull() && sameName(lk, key))
            return line.mid(lk.size() + 1);
    }
    return QString();
}

void saveSetting(const QString& section, const QString& key, const QString& value) {
    const QString path = settingsFilePath();
    QStringList lines = readLines(path);
    const QString entry = oneLine(key) + QLatin1Char('=') + oneLine(value);

    int sectionStart = -1; // the header line of the section
    int lastEntry = -1;    // the last key line of the section, where a new key goes
    bool inSection = false;
    bool done = false;
    for (int i = 0; i < lines.size() && !done; ++i) {
        QString name;
        if (sectionHeader(lines.at(i), &name)) {
            if (inSection)
                break; // the section ended without the key
            inSection = sameName(name, section);
            if (inSection) {
                sectionStart = i;
                lastEntry = i;
            }
            continue;
        }
        if (!inSection)
            continue;
        const QString lk = lineKey(lines.at(i));
        if (lk.isNull())
            continue;
        if (sameName(lk, key)) {
            lines[i] = entry;
            done = true;
        } else {
            lastEntry = i;
        }
    }
    if (!done) {
        if (sectionStart >= 0) {
            lines.insert(lastEntry + 1, entry);
        } else {
            if (!lines.isEmpty() && !lines.last().trimmed().isEmpty())
                lines << QString();
            lines << QLatin1Char('[') + section + QLatin1Char(']') << entry;
        }
    }

    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        qWarning("Settings file %s cannot be written: %s", qPrintable(path),
                 qPrintable(file.errorString()));
        return;
    }
    file.write(lines.join(QLatin1Char('\n')).toUtf8() + '\n');
    if (!file.commit())
        qWarning("Settings file %s cannot be written: %s", qPrintable(path),
                 qPrintable(file.errorString()));
}

#endif
