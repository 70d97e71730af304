#include "station/ui/Station.h"

#include "station/frmPunch.h"
#include "station/ui/PayPeriodHook.h"

#include <QComboBox>
#include <QListWidget>

namespace tarnvik {

Station::Station() : m_window(std::make_unique<frmPunch>())
{
    m_clockSync = std::make_unique<ClockSync>(static_cast<ClockSyncView &>(*this));
    m_window->onClockSync = [this] { m_clockSync->Punch(); };
    plugInPeriodCheck(m_window.get());
}

Station::~Station()
{
    // The synchronisation logs into the window: it goes first.
    m_clockSync.reset();
    m_window.reset();
}

void Station::start()
{
    m_window->Form_Load();
    m_window->show();
}

QString Station::timeServer() const
{
    return m_window->Combo1->currentText();
}

int Station::addLogLine(const QString &line)
{
    m_window->List1->addItem(line);
    return m_window->List1->count() - 1;
}

int Station::logLineCount() const
{
    return m_window->List1->count();
}

void Station::setLogTopIndex(int index)
{
    if (QListWidgetItem *item = m_window->List1->item(index))
        m_window->List1->scrollToItem(item, QAbstractItemView::PositionAtTop);
}

void Station::redrawDateTimeLabels()
{
    m_window->redrawDateTimeLabels();
}

} // namespace tarnvik
