#include "platform/ui/DataCombo.h"

#include "common/DataSource.h"

#include <QCompleter>
#include <QLineEdit>

namespace tarnvik {

DataCombo::DataCombo(QWidget *parent) : QComboBox(parent)
{
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    if (completer()) {
        completer()->setCaseSensitivity(Qt::CaseInsensitive);
        completer()->setCompletionMode(QCompleter::InlineCompletion);
    }
    connect(this, &QComboBox::currentTextChanged, this, [this]() {
        if (!m_showingBound)
            writeBoundField();
        emit Change();
    });
}

void DataCombo::setDataSource(DataSource *source)
{
    if (m_dataSource)
        disconnect(m_dataSource, nullptr, this, nullptr);
    m_dataSource = source;
    if (m_dataSource)
        connect(m_dataSource, &DataSource::refreshed, this, &DataCombo::showBoundField);
}

void DataCombo::Refresh()
{
    QStringList items;
    if (m_rowSource && !m_listField.isEmpty()) {
        Recordset &rs = m_rowSource->recordset();
        if (rs.isOpen() && rs.MoveFirst()) {
            while (!rs.isEOF()) {
                items << rs.value(m_listField).toString();
                rs.MoveNext();
            }
            rs.MoveFirst();
        }
    }
    if (items == m_items)
        return;
    m_items = items;
    const QString shown = currentText();
    const QSignalBlocker block(this);
    clear();
    addItems(items);
    setCurrentIndex(items.indexOf(shown));
    setEditText(shown);
}

void DataCombo::setText(const QString &text)
{
    const int index = findText(text, Qt::MatchFixedString);
    if (index >= 0 && itemText(index) == text)
        setCurrentIndex(index);
    else
        setEditText(text);
}

void DataCombo::clearChoice()
{
    const bool hadText = !currentText().isEmpty();
    {
        const QSignalBlocker block(this);
        setCurrentIndex(-1);
        setEditText(QString());
    }
    if (hadText) {
        writeBoundField();
        emit Change();
    }
}

void DataCombo::writeBoundField()
{
    if (!m_dataSource || m_dataField.isEmpty())
        return;
    Recordset &rs = m_dataSource->recordset();
    if (rs.isOpen() && !rs.isEOF() && !rs.isBOF())
        rs.setValue(m_dataField, currentText());
}

void DataCombo::showBoundField()
{
    if (!m_dataSource || m_dataField.isEmpty())
        return;
    Recordset &rs = m_dataSource->recordset();
    const QString value = rs.isOpen() && !rs.isEOF() ? rs.value(m_dataField).toString() : QString();
    m_showingBound = true;
    setText(value);
    m_showingBound = false;
}

} // namespace tarnvik
