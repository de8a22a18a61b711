#include "MemoryFigures.h"

QString GroupThousands(std::uint64_t value, const QString& separator) {
    const QString digits = QString::number(value);
    QString grouped;
    for (qsizetype i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            grouped += separator;
        grouped += digits[i];
    }
    return grouped;
}

QString FormatKilobytes(std::uint64_t bytes, const QString& separator) {
    const std::uint64_t kilobytes = bytes / 1024 + (bytes % 1024 >= 512 ? 1 : 0);
    return GroupThousands(kilobytes, separator) + QStringLiteral(" KB");
}

QString FormatMemoryLoad(int percent) {
    return QStringLiteral("%1 %").arg(percent);
}
