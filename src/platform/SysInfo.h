#pragma once

#include <QObject>

#include <memory>

class QSocketNotifier;

namespace tarnvik {

// What a clock-change descriptor reports once the event loop finds it readable.
enum class ClockChangeRead {
    ClockSet, // the system clock was set
    Expired,  // the far-off timer behind it ran out; nothing changed
    Nothing,  // nothing to read (yet)
    Failed,   // the descriptor cannot be read
};

// A descriptor that becomes readable when the system clock is set, by this
// program or by any other.
class ClockChangeDescriptor {
public:
    virtual ~ClockChangeDescriptor() = default;
    // The descriptor the event loop watches.
    virtual int handle() const = 0;
    // Arms it so that the next change makes it readable; false when it cannot be.
    virtual bool arm() = 0;
    // Reads what made it readable.
    virtual ClockChangeRead read() = 0;
};

// The system's: on Linux a timer descriptor armed far in the future on the
// real-time clock with "cancel on set", which becomes readable (and reports
// ECANCELED) whenever the clock jumps. Null where the system has none.
std::unique_ptr<ClockChangeDescriptor> systemClockChangeDescriptor();

// Notifies the program when the system clock is set: the event loop watches
// a clock-change descriptor, so the notification arrives on the thread that
// owns this object, one per change; the descriptor is armed again after each.
class SysInfo : public QObject {
    Q_OBJECT
public:
    // Watches the system's descriptor.
    explicit SysInfo(QObject *parent = nullptr);
    // Watches the descriptor given (null: none).
    explicit SysInfo(std::unique_ptr<ClockChangeDescriptor> descriptor, QObject *parent = nullptr);
    ~SysInfo() override;

    // False where there is nothing to watch, or the descriptor could not be
    // armed (at start or again after a change).
    bool isWatching() const;

signals:
    void TimeChanged();

private:
    void onReadable();

    std::unique_ptr<ClockChangeDescriptor> m_descriptor;
    QSocketNotifier *m_notifier = nullptr;
};

} // namespace tarnvik
