#pragma once

#include <QString>
#include <QTemporaryDir>

namespace tarnvik::bench {

// A program folder for the benchmarks: the language file, a settings file
// naming the database, and a copy of the cached generated database of a
// million punches (what a benchmark writes stays out of the cache), in
// English. The program-wide folder and database point at it while it lives.
class MillionPunchFolder {
public:
    // Whether the copy is opened the way the station opens its database at
    // start, which adds the indexes a file made by an earlier version lacks.
    enum class Indexes { AsCached, Ensured };

    explicit MillionPunchFolder(Indexes indexes = Indexes::AsCached);
    ~MillionPunchFolder();
    MillionPunchFolder(const MillionPunchFolder &) = delete;
    MillionPunchFolder &operator=(const MillionPunchFolder &) = delete;

    // Puts the generated database back as it was made.
    void freshCopy();

    QString database() const { return m_database; }
    QString directory() const { return m_dir.path(); }
    QString filePath(const QString &name) const { return m_dir.filePath(name); }

private:
    QTemporaryDir m_dir;
    QString m_cached;
    QString m_database;
    Indexes m_indexes;
};

// A size in megabytes read from the process's status ("VmRSS:" for the
// resident size, "VmHWM:" for its peak); 0 when it cannot be read.
double processMegabytes(const char *field);

} // namespace tarnvik::bench
