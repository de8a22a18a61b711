#pragma once
// The Run window's line about time: that a script is running and for how long, or how long the
// last run took.

#include <QString>

// "Running 0:03.2" while running; "Took 0:03.25" or "Stopped at 0:03.25" afterwards.
// Minutes and seconds, so that a long run stays readable.
QString RunTimeText(bool running, bool stopped, qint64 elapsedMs);
