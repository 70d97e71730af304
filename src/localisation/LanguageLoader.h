#pragma once

#include "localisation/ProfileReader.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>

#include <functional>
#include <optional>

namespace tarnvik {

// An error met by one step of a load of the language file. The user sees its
// description and number in a box offering Abort, Retry and Ignore.
struct LoadError {
    qint32 number = 0; // 0: no error
    QString description;
    // The file the error concerns, named first in the box; empty: the
    // language file.
    QString file = {};

    bool failed() const { return number != 0; }
};

// The numbers of the load errors, after the classic run-time error numbers.
namespace LoadErrorCode {
constexpr qint32 Overflow = 6;
constexpr qint32 OutOfMemory = 7;
constexpr qint32 SubscriptOutOfRange = 9;
constexpr qint32 TypeMismatch = 13;
constexpr qint32 InputPastEndOfFile = 62;
constexpr qint32 BadRecordNumber = 63;
// The file cannot be opened or read, or is too large to be a language file.
constexpr qint32 PathFileAccess = 75;
// The settings table holds no row.
constexpr qint32 NoCurrentRecord = 3021;
// The database could not be opened, read or written.
constexpr qint32 DatabaseFailure = -2147467259;
} // namespace LoadErrorCode

// The text of the box: the description directly followed by "(Code", the
// number with a blank in place of a plus sign, and ")".
QString loadErrorText(const LoadError &error);

// Where the language number chosen by the user is kept: the field Lang of the
// settings row.
class LanguageSetting {
public:
    virtual ~LanguageSetting() = default;
    // The stored value; Null when nothing was stored.
    virtual LoadError read(QVariant *value) = 0;
    virtual LoadError write(qint16 number) = 0;
};

// The whole text of the box: the file the error concerns (the error's own,
// else languageFile), unless the description names it already, then the
// text of loadErrorText().
QString loadErrorBoxText(const LoadError &error, const QString &languageFile);

// Runs one step of a load until it succeeds (true) or the user ignores its
// error (false): each error shows the box offering Abort, Retry and Ignore,
// under the program's title, naming the file; Ignore is the default, so that
// Enter never ends the program. Abort ends the program.
bool runLoadStep(const std::function<LoadError()> &body, const QString &languageFile);

// The largest language file read, in bytes: the real one holds a few dozen
// kilobytes, and a larger file would take many times its size in memory.
inline constexpr qint64 kMaxLanguageFileSize = 4 * 1024 * 1024;

// Reads the language file's bytes into *content; a file that cannot be opened
// or read, or that is larger than kMaxLanguageFileSize, is an error.
LoadError readLanguageFile(const QString &path, QByteArray *content);

// The fatal "not found" message for the language file at path, then the end
// of the program.
[[noreturn]] void languageFileNotFound(const QString &path);

// What a load works on.
struct LanguageFileInput {
    // Full path of the language file, as named in the fatal messages.
    QString path;
    // The file's bytes; std::nullopt when there is no such file.
    std::optional<QByteArray> content;
    // The program's command line, searched for "/L=" followed by a language name.
    QString commandLine;
};

// One load of the language file: reads the header, settles the language
// (command line, stored number, a file of one language, or the chooser),
// finds the language's section and fills the string table from its lines.
//
// Message boxes, the chooser and the mouse pointer go through Dialogs(). A
// missing file and missing information end the program with a fatal message;
// any other error shows the Abort, Retry and Ignore box: Retry runs the failed
// step again, Ignore goes on without it, Abort ends the program.
class LanguageLoader {
public:
    // The largest string table made; a header asking for more gets an
    // "Out of memory" error rather than an allocation that takes the machine down.
    static constexpr qint32 kMaxTableSize = 1 << 20;

    LanguageLoader(const LanguageFileInput &input, LanguageSetting &setting);

    // currentLang is the language in force, updated by the load; table is
    // replaced by the new string table once its size is known.
    void run(qint16 &currentLang, QVector<QString> &table);

    // The language names of the file's header, in file order, once run()
    // has read them.
    const QStringList &languageNames() const { return m_names; }

private:
    bool step(const std::function<LoadError()> &body) { return runLoadStep(body, m_input.path); }
    [[noreturn]] void fatalMissing();
    // The value of a header key; false when it is missing.
    bool headerKey(const QString &key, QString *value) const;
    // Reads the line starting at m_pos and moves past its end (CR LF, CR or LF).
    QString readLine();
    void settleLanguage(qint16 &currentLang);
    // Moves m_pos past the section line of the language (1 to the count).
    void findSection(qint16 currentLang);
    void readStrings(QVector<QString> &table);

    const LanguageFileInput &m_input;
    LanguageSetting &m_setting;
    QString m_text; // the file decoded; one character per byte
    ProfileReader m_header;
    qsizetype m_pos = 0;
    QStringList m_names;
    QStringList m_starts;
    qint32 m_numStrings = 0;
    qint32 m_base = 0;
    qint32 m_step = 0;
};

} // namespace tarnvik
