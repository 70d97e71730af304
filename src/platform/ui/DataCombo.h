#pragma once

#include <QComboBox>
#include <QPointer>
#include <QStringList>

namespace tarnvik {

class DataSource;

// A data-bound list: its items are one field (ListField) of the rows of a
// data source (RowSource), read again by Refresh(). Where a window binds one,
// the choice is written into a field (DataField) of the current row of
// another data source (DataSource), and that field's value is shown when the
// data source is refreshed. The user may type a name as well as pick one;
// the shown text is Text().
class DataCombo : public QComboBox {
    Q_OBJECT
public:
    explicit DataCombo(QWidget *parent = nullptr);

    void setRowSource(DataSource *source) { m_rowSource = source; }
    DataSource *RowSource() const { return m_rowSource; }
    void setListField(const QString &field) { m_listField = field; }
    QString ListField() const { return m_listField; }

    void setDataSource(DataSource *source);
    DataSource *boundDataSource() const { return m_dataSource; }
    void setDataField(const QString &field) { m_dataField = field; }
    QString DataField() const { return m_dataField; }

    // Reloads the list from the row source's current result. The shown text
    // is kept. The items are rebuilt only when they changed.
    void Refresh();

    // The names the list holds since the last Refresh().
    QStringList ListItems() const { return m_items; }

    QString Text() const { return currentText(); }
    void setText(const QString &text);
    // Empties the choice and the shown text.
    void clearChoice();

signals:
    // The shown text changed, by typing, by a choice or by the program.
    void Change();

private:
    void writeBoundField();
    void showBoundField();

    QPointer<DataSource> m_rowSource;
    QPointer<DataSource> m_dataSource;
    QString m_listField;
    QString m_dataField;
    QStringList m_items;
    bool m_showingBound = false;
};

} // namespace tarnvik
