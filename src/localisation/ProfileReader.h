#pragma once

#include <QHash>
#include <QString>
#include <QStringView>

namespace tarnvik {

// Reads "key=value" lines of a profile (INI) text the way the Windows profile
// functions do, for the header of the language file.
//
// - Lines end at a line feed; blanks, tabs, carriage returns, form feeds and
//   Ctrl-Z around a line are ignored.
// - "[name]" opens a section: the name runs from the "[" to the last "]" of
//   the line. Section and key names compare without regard to case; when a
//   section name occurs more than once only its first occurrence is read, and
//   within it the first line of a key counts.
// - A key's value is what follows its first "=", blanks at both ends removed,
//   cut at a NUL character. A value between matching single or double quotes
//   loses them. A line without "=" names no value: reading it gives the default.
class ProfileReader {
public:
    // The text of a whole profile; a language file is decoded from Windows-1252 first.
    explicit ProfileReader(QStringView text);

    // The value of a key, cut to bufferSize - 1 characters (the buffer of the
    // platform call holds a final NUL); the default when the section or the
    // key is missing or the key has no "=".
    QString value(const QString &section, const QString &key, const QString &defaultValue,
                  int bufferSize) const;

private:
    struct Entry {
        bool hasValue = false; // false for a line without "="
        QString value;
    };
    // Lower-case section name -> (lower-case key -> raw value).
    QHash<QString, QHash<QString, Entry>> m_sections;
};

} // namespace tarnvik
