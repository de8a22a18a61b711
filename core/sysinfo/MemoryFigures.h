#pragma once
// The About box's memory figures as text.

#include <QString>
#include <cstdint>

// value with its digits grouped in thousands by separator: 524288 and "," give "524,288".
QString GroupThousands(std::uint64_t value, const QString& separator);

// bytes in kilobytes, rounded to the nearest whole number, grouped, then " KB".
QString FormatKilobytes(std::uint64_t bytes, const QString& separator);

// The memory load as "37 %".
QString FormatMemoryLoad(int percent);
