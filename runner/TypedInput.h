#pragma once
// The characters typed into the Run window's output pane, waiting for the script's next read of
// standard input. Held as the bytes Tcl will receive (UTF-8).

#include <QByteArray>
#include <QString>

class TTypedInput {
public:
    void Add(const QString& typed) { Pending += typed.toUtf8(); }
    bool IsEmpty() const { return Pending.isEmpty(); }
    qsizetype Size() const { return Pending.size(); }
    // A whole line is typed: what makes a terminal's standard input readable.
    bool HasLine() const { return Pending.contains('\r') || Pending.contains('\n'); }

    // Hands out at most maxBytes bytes and forgets everything that was typed: characters beyond
    // what one read takes are discarded.
    QByteArray Take(qsizetype maxBytes) {
        QByteArray taken = Pending.left(qMax<qsizetype>(0, maxBytes));
        Pending.clear();
        return taken;
    }

private:
    QByteArray Pending;
};
