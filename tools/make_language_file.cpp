// Generates the language file LANGUAGE.DAT from the UTF-8 string tables:
//     make_language_file <strings.tsv> <LANGUAGE.DAT>
// Reads the table given and every strings-*.tsv of the same folder.

#include "localisation/LanguageFileWriter.h"

#include <QString>

#include <cstdio>

namespace {

int failWith(const QString &message)
{
    std::fprintf(stderr, "make_language_file: %s\n", qPrintable(message));
    return 1;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: make_language_file <strings.tsv> <LANGUAGE.DAT>\n");
        return 2;
    }
    const QString mainTable = QString::fromLocal8Bit(argv[1]);
    const QString output = QString::fromLocal8Bit(argv[2]);

    tarnvik::LanguageFileWriter writer;
    for (const QString &table : tarnvik::LanguageFileWriter::tableFiles(mainTable)) {
        if (!writer.addFile(table))
            return failWith(writer.error());
    }
    const QByteArray bytes = writer.build();
    if (bytes.isEmpty())
        return failWith(writer.error());
    QString error;
    if (!tarnvik::LanguageFileWriter::writeFile(output, bytes, &error))
        return failWith(error);
    return 0;
}
