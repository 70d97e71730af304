#pragma once

#include <QDir>
#include <QProcess>
#include <QString>

namespace tarnvik::test {

// A small file system of its own (tmpfs) mounted on a folder, for tests of a full or read-only disk;
// unmounted when it goes. Only a user allowed to mount gets one: mounted() tells.
class ScratchDisk {
public:
    ScratchDisk(const QString &folder, const QString &size) : m_folder(folder)
    {
        QDir().mkpath(folder);
        m_mounted = QProcess::execute("mount", {"-t", "tmpfs", "-o", "size=" + size, "tmpfs", folder}) == 0;
    }
    ~ScratchDisk()
    {
        if (m_mounted)
            QProcess::execute("umount", {m_folder});
    }
    ScratchDisk(const ScratchDisk &) = delete;
    ScratchDisk &operator=(const ScratchDisk &) = delete;
    bool mounted() const { return m_mounted; }
    bool makeReadOnly() { return QProcess::execute("mount", {"-o", "remount,ro", m_folder}) == 0; }

private:
    QString m_folder;
    bool m_mounted = false;
};

} // namespace tarnvik::test
