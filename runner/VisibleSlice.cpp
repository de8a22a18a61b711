#include "VisibleSlice.h"

#include <algorithm>

TVisibleSlice VisibleSlice(const QString& line, qsizetype firstColumn, qsizetype columns) {
    if (line.size() <= WholeLineLimit)
        return {0, line};
    qsizetype start = std::clamp<qsizetype>(firstColumn - SliceMargin, 0, line.size());
    qsizetype end = std::clamp<qsizetype>(firstColumn + columns + SliceMargin, start, line.size());
    if (start > 0 && start < line.size() && line.at(start).isLowSurrogate())
        --start;
    if (end < line.size() && line.at(end).isLowSurrogate())
        ++end;
    return {start, line.mid(start, end - start)};
}
