#include "LineStore.h"

void TLineStore::AddLine(QByteArrayView utf8) {
    LineStarts.push_back(Text.size());
    Append(utf8);
}

void TLineStore::AppendToLastLine(QByteArrayView utf8) {
    if (LineStarts.empty())
        LineStarts.push_back(Text.size());
    Append(utf8);
}

void TLineStore::Clear() {
    Text.clear();
    LineStarts.clear();
    Longest = 0;
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
}

void TLineStore::NoteLineLength(qsizetype line) {
    const qsizetype end = line + 1 < LineCount() ? LineStarts[line + 1] : Text.size();
    Longest = qMax(Longest, end - LineStarts[line]);
}

QString TLineStore::Line(qsizetype index) const {
    if (index < 0 || index >= LineCount())
        return {};
    const qsizetype start = LineStarts[index];
    const qsizetype end = index + 1 < LineCount() ? LineStarts[index + 1] : Text.size();
    return QString::fromUtf8(Text.constData() + start, end - start);
}

QStringList TLineStore::Lines() const {
    QStringList lines;
    lines.reserve(LineCount());
    for (qsizetype i = 0; i < LineCount(); ++i)
        lines.append(Line(i));
    return lines;
}
