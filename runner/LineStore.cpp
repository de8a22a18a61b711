#include "LineStore.h"

#include <algorithm>

void TLineStore::AddLine(QByteArrayView utf8) {
    StartLine();
    Append(utf8);
}

void TLineStore::AddOutput(QByteArrayView utf8, bool cutOff) {
    if (!OutputCutOff)
        StartLine();
    else if (EndsInCr && !utf8.isEmpty() && utf8.front() == '\n')
        utf8 = utf8.sliced(1); // the CR already ended the line
    Append(utf8);
    OutputCutOff = cutOff;
}

void TLineStore::AppendToLastLine(QByteArrayView utf8) {
    if (LineStarts.empty())
        LineStarts.push_back(Text.size());
    OutputCutOff = false;
    EndsInCr = false;
    Append(utf8);
}

void TLineStore::Clear() {
    Text.clear();
    LineStarts.clear();
    Longest = 0;
    Dropped = 0;
    OutputCutOff = false;
    EndsInCr = false;
}

void TLineStore::StartLine() {
    LineStarts.push_back(Text.size());
    OutputCutOff = false;
    EndsInCr = false;
}

void TLineStore::Append(QByteArrayView utf8) {
    const char* data = utf8.data();
    const qsizetype size = utf8.size();
    qsizetype runStart = 0;
    for (qsizetype i = 0; i < size; ++i) {
        const char c = data[i];
        if (c != '\r' && c != '\n')
            continue;
        Text.append(data + runStart, i - runStart);
        NoteLineLength(LineCount() - 1);
        if (c == '\r' && i + 1 < size && data[i + 1] == '\n')
            ++i;
        LineStarts.push_back(Text.size());
        runStart = i + 1;
    }
    Text.append(data + runStart, size - runStart);
    NoteLineLength(LineCount() - 1);
    if (size > 0)
        EndsInCr = data[size - 1] == '\r';
    KeepWithinLimits();
}

void TLineStore::SetLimits(qsizetype maxLines, qsizetype maxBytes) {
    MaxLines = std::max<qsizetype>(1, maxLines);
    MaxBytes = std::max<qsizetype>(1, maxBytes);
    KeepWithinLimits();
}

void TLineStore::KeepWithinLimits() {
    if (LineCount() > MaxLines)
        DropFirstLines(LineCount() - (MaxLines - MaxLines / 16));
    if (Text.size() > MaxBytes) {
        // The first line whose start leaves the rest within the lowered byte limit.
        const qsizetype excess = Text.size() - (MaxBytes - MaxBytes / 16);
        const auto firstKept = std::lower_bound(LineStarts.begin(), LineStarts.end(), excess);
        DropFirstLines(firstKept - LineStarts.begin());
    }
}

void TLineStore::DropFirstLines(qsizetype count) {
    count = std::min(count, LineCount() - 1);
    if (count <= 0)
        return;
    const qsizetype offset = LineStarts[count];
    Text.remove(0, offset);
    LineStarts.erase(LineStarts.begin(), LineStarts.begin() + count);
    Longest = 0;
    for (qsizetype& start : LineStarts)
        start -= offset;
    for (qsizetype line = 0; line < LineCount(); ++line)
        NoteLineLength(line);
    Dropped += count;
}

void TLineStore::NoteLineLength(qsizetype line) {
    const qsizetype end = line + 1 < LineCount() ? LineStarts[line + 1] : Text.size();
    Longest = qMax(Longest, end - LineStarts[line]);
}

QByteArrayView TLineStore::LineView(qsizetype index) const {
    if (index < 0 || index >= LineCount())
        return {};
    const qsizetype start = LineStarts[index];
    const qsizetype end = index + 1 < LineCount() ? LineStarts[index + 1] : Text.size();
    return QByteArrayView(Text.constData() + start, end - start);
}

QString TLineStore::Line(qsizetype index) const {
    return QString::fromUtf8(LineView(index));
}

QByteArray TLineStore::LineBytes(qsizetype index) const {
    return LineView(index).toByteArray();
}

QStringList TLineStore::Lines() const {
    QStringList lines;
    lines.reserve(LineCount());
    for (qsizetype i = 0; i < LineCount(); ++i)
        lines.append(Line(i));
    return lines;
}
