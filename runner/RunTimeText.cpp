#include "RunTimeText.h"

namespace {

// Tenths while the time still moves, hundredths once it is final.
QString MinutesAndSeconds(qint64 ms, int decimals) {
    const qint64 unit = decimals == 1 ? 100 : 10;
    const qint64 units = ms / unit;
    const qint64 perSecond = 1000 / unit;
    const qint64 seconds = units / perSecond;
    return QStringLiteral("%1:%2.%3")
        .arg(seconds / 60)
        .arg(seconds % 60, 2, 10, QLatin1Char('0'))
        .arg(units % perSecond, decimals, 10, QLatin1Char('0'));
}

} // namespace

QString RunTimeText(bool running, bool stopped, qint64 elapsedMs) {
    elapsedMs = qMax<qint64>(0, elapsedMs);
    if (running)
        return QStringLiteral("Running %1").arg(MinutesAndSeconds(elapsedMs, 1));
    return (stopped ? QStringLiteral("Stopped at %1") : QStringLiteral("Took %1"))
        .arg(MinutesAndSeconds(elapsedMs, 2));
}
