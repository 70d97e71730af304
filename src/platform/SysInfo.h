#pragma once

#include <QObject>

class QSocketNotifier;

namespace tarnvik {

// Notifies the program when the system clock is set, by this program or by
// any other. On Linux a timer file descriptor, armed far in the future on the
// real-time clock with "cancel on set", becomes readable (and reports
// ECANCELED) whenever the clock jumps; the event loop watches it, so the
// notification arrives on the thread that owns this object, one per change.
class SysInfo : public QObject {
    Q_OBJECT
public:
    explicit SysInfo(QObject *parent = nullptr);
    ~SysInfo() override;

    // False where the system offers no such notification.
    bool isWatching() const { return m_fd >= 0; }

signals:
    void TimeChanged();

private:
    void onReadable();
    bool arm();

    int m_fd = -1;
    QSocketNotifier *m_notifier = nullptr;
};

} // namespace tarnvik
