#pragma once
// The lines of a Run window pane, kept as the UTF-8 bytes the script wrote. A script may write a
// hundred thousand lines in one run: adding a chunk here costs a copy and a scan for line ends,
// and a line is decoded only when it is shown or saved.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <vector>

class TLineStore {
public:
    // A store keeps at most this many lines and about this many bytes (an output flood must not
    // eat the machine's memory): beyond either, the earliest lines are dropped, a sixteenth of
    // the limit at a time, and counted. The last line always stays, however long.
    static constexpr qsizetype DefaultMaxLines = 1000000;
    static constexpr qsizetype DefaultMaxBytes = qsizetype(256) * 1024 * 1024;
    void SetLimits(qsizetype maxLines, qsizetype maxBytes);
    // The lines dropped since the store was last cleared.
    qsizetype DroppedLines() const { return Dropped; }

    // Adds text as a new last line. Line ends inside it (CR LF, a lone CR, LF) break it into
    // lines, so a text that ends with a line end leaves an empty line after it.
    void AddLine(QByteArrayView utf8);
    // Adds a chunk of a channel's output like AddLine, except that it carries on the last line
    // when the chunk before it was cut off (cutOff: the chunk filled the channel's buffer). A
    // channel hands over a full buffer wherever it fills, also inside a character or between the
    // CR and the LF of a line end, so a long line arrives in several chunks.
    void AddOutput(QByteArrayView utf8, bool cutOff);
    // Appends text to the end of the last line; into a new only line when there is none.
    void AppendToLastLine(QByteArrayView utf8);
    void Clear();

    qsizetype LineCount() const { return qsizetype(LineStarts.size()); }
    QString Line(qsizetype index) const;
    // A line's bytes as they were added, whether or not they are valid UTF-8.
    QByteArray LineBytes(qsizetype index) const;
    QStringList Lines() const;
    // The longest line, in bytes: enough to size a monospaced view.
    qsizetype LongestLine() const { return Longest; }

private:
    void StartLine();
    void Append(QByteArrayView utf8);
    void NoteLineLength(qsizetype line);
    void KeepWithinLimits();
    void DropFirstLines(qsizetype count);
    QByteArrayView LineView(qsizetype index) const;

    QByteArray Text;                   // every line's bytes, one after the other
    std::vector<qsizetype> LineStarts; // offset in Text of each line
    qsizetype Longest = 0;
    qsizetype MaxLines = DefaultMaxLines;
    qsizetype MaxBytes = DefaultMaxBytes;
    qsizetype Dropped = 0;
    bool OutputCutOff = false; // the last chunk of output goes on in the next one
    bool EndsInCr = false;     // the last byte added was a CR, which an LF may still complete
};
