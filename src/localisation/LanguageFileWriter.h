#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <map>

namespace tarnvik {

// One numbered text in the two languages of the language file.
struct LocalisedText {
    QString french;
    QString english;
    // Where the text was defined ("strings.tsv:12"), for error messages.
    QString origin;
};

// Builds the language file "LANGUAGE.DAT" from the UTF-8 string tables of the
// source tree.
//
// A table holds one line per string: the number, a TAB, the French text, a
// TAB and the English text. Lines starting with '#' and empty lines are
// skipped. Texts are kept exactly as written, blanks at either end included,
// and "~~" stays in the file, where the loader turns it into a line break.
//
// The file written is in Windows-1252 with CR LF line ends: a "[LOC]" header
// (language names, the byte position of each language's section, the number
// of string lines and the numbering), then one section per language with one
// line for every even number from the base to the highest number defined.
class LanguageFileWriter {
public:
    static constexpr int kIndexBase = 1024;
    static constexpr int kIndexStep = 2;
    // Keeps a mistyped number from producing a huge file.
    static constexpr int kHighestNumber = 32766;

    // Adds the lines of one table; `sourceName` names the table in messages.
    // On the first bad line (wrong field count, a number that is not an even
    // number in range, a number already defined by this or an earlier table)
    // returns false, sets error() and keeps nothing of this table.
    bool addTable(const QByteArray &utf8Content, const QString &sourceName);
    // Reads a table file and adds it; its file name names it in messages.
    bool addFile(const QString &path);

    const std::map<int, LocalisedText> &texts() const { return m_texts; }

    // The bytes of the language file. Empty, with error() set, when no text
    // was added or a text holds a character that the code page cannot hold.
    QByteArray build();

    QString error() const { return m_error; }

    // The tables that make up the language file: `mainTable` followed by
    // every "strings-*.tsv" of the same folder, in name order.
    static QStringList tableFiles(const QString &mainTable);

    // Writes `bytes` to `path` through a temporary file that replaces the
    // target only once complete. Returns false and sets `error` on failure.
    static bool writeFile(const QString &path, const QByteArray &bytes, QString *error);

private:
    bool fail(const QString &message);

    std::map<int, LocalisedText> m_texts;
    QString m_error;
};

} // namespace tarnvik
