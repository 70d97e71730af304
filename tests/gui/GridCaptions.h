#pragma once

#include "platform/ui/DataGrid.h"

#include <QFontMetrics>
#include <QHeaderView>
#include <QStringList>

namespace tarnvik::test {

// The captions of a grid that its columns cut (a column of a few pixels is closed on purpose).
inline QStringList cutCaptions(const DataGrid *grid)
{
    QStringList cut;
    const QHeaderView *header = grid->horizontalHeader();
    QFont bold = header->font(); // as over a selected row
    bold.setBold(true);
    for (int column = 0; column < grid->model()->columnCount(); ++column) {
        const QString caption = grid->model()->headerData(column, Qt::Horizontal).toString();
        const int width = header->sectionSize(column);
        if (width > 8 && width < QFontMetrics(bold).horizontalAdvance(caption) + 8)
            cut << caption;
    }
    return cut;
}

} // namespace tarnvik::test
