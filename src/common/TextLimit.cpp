#include "common/TextLimit.h"

#include <QTextBoundaryFinder>

#include <algorithm>

namespace tarnvik {

QString fitLength(const QString &text, int maxLength, int *cursor)
{
    const qsizetype excess = text.size() - maxLength;
    if (excess <= 0)
        return text;
    qsizetype end = std::clamp<qsizetype>(*cursor, 0, text.size());
    if (end < excess)
        end = text.size();
    // The cut starts on the character boundary at or before end - excess.
    QTextBoundaryFinder boundaries(QTextBoundaryFinder::Grapheme, text);
    boundaries.setPosition(end - excess);
    qsizetype start = boundaries.position();
    if (!boundaries.isAtBoundary())
        start = std::max<qsizetype>(boundaries.toPreviousBoundary(), 0);
    *cursor = int(start);
    return text.left(start) + text.mid(end);
}

} // namespace tarnvik
