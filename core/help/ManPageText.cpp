#include "ManPageText.h"

#include <QHash>
#include <QStringList>

namespace {

const QChar LeftQuote(0x201C);
const QChar RightQuote(0x201D);

QString SpecialCharacter(const QString& name) {
    static const QHash<QString, QString> names = {{"em", QString(QChar(0x2014))},
                                                  {"en", QString(QChar(0x2013))},
                                                  {"bu", QString(QChar(0x2022))},
                                                  {"co", QString(QChar(0x00A9))},
                                                  {"lq", QString(LeftQuote)},
                                                  {"rq", QString(RightQuote)},
                                                  {"oq", QString(QChar(0x2018))},
                                                  {"cq", QString(QChar(0x2019))},
                                                  {"->", QString(QChar(0x2192))},
                                                  {"<-", QString(QChar(0x2190))},
                                                  {"mu", QString(QChar(0x00D7))},
                                                  {"de", QString(QChar(0x00B0))},
                                                  {"hy", "-"},
                                                  {"aq", "'"},
                                                  {"dq", "\""},
                                                  {"ul", "_"},
                                                  {"ba", "|"},
                                                  {"ti", "~"},
                                                  {"ha", "^"},
                                                  {"rs", "\\"}};
    return names.value(name, QString());
}

// Takes the name after "\(", "\*(", "\*[", "\[", "\f(" or "\f[" and the like from pos on.
QString EscapeName(const QString& line, qsizetype& pos) {
    if (pos >= line.size())
        return {};
    if (line[pos] == u'(') {
        const QString name = line.mid(pos + 1, 2);
        pos += 3;
        return name;
    }
    if (line[pos] == u'[') {
        const qsizetype close = line.indexOf(u']', pos);
        const qsizetype end = close < 0 ? line.size() : close;
        const QString name = line.mid(pos + 1, end - pos - 1);
        pos = end + 1;
        return name;
    }
    return QString(line[pos++]);
}

void SkipQuotedArgument(const QString& line, qsizetype& pos) {
    if (pos >= line.size())
        return;
    const QChar quote = line[pos];
    const qsizetype close = line.indexOf(quote, pos + 1);
    pos = close < 0 ? line.size() : close + 1;
}

QString InlineText(const QString& line) {
    QString out;
    for (qsizetype pos = 0; pos < line.size();) {
        const QChar c = line[pos++];
        if (c != u'\\' || pos >= line.size()) {
            out += c;
            continue;
        }
        const QChar e = line[pos++];
        switch (e.unicode()) {
        case u'f':
        case u's':
            if (pos < line.size() && (line[pos] == u'+' || line[pos] == u'-'))
                ++pos;
            EscapeName(line, pos);
            break;
        case u'(':
            --pos;
            out += SpecialCharacter(EscapeName(line, pos));
            break;
        case u'[':
            --pos;
            out += SpecialCharacter(EscapeName(line, pos));
            break;
        case u'*':
            out += SpecialCharacter(EscapeName(line, pos));
            break;
        case u'e':
        case u'\\':
            out += u'\\';
            break;
        case u'-':
            out += u'-';
            break;
        case u' ':
        case u'0':
        case u'~':
            out += u' ';
            break;
        case u'l':
        case u'L':
        case u'h':
        case u'v':
        case u'w':
        case u'N':
            SkipQuotedArgument(line, pos);
            break;
        default: // \& \| \^ \% \c \: \{ \} and the like print nothing
            break;
        }
    }
    return out;
}

// The arguments of a request line; double quotes group words.
QStringList RequestArguments(const QString& text) {
    QStringList args;
    QString current;
    bool quoted = false;
    bool inArgument = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'"') {
            if (quoted && i + 1 < text.size() && text[i + 1] == u'"') {
                current += u'"';
                ++i;
                continue;
            }
            quoted = !quoted;
            inArgument = true;
        } else if ((c == u' ' || c == u'\t') && !quoted) {
            if (inArgument)
                args.append(InlineText(current));
            current.clear();
            inArgument = false;
        } else {
            current += c;
            inArgument = true;
        }
    }
    if (inArgument)
        args.append(InlineText(current));
    return args;
}

class TManPageWriter {
public:
    QString Finish() {
        Flush();
        while (!Out.isEmpty() && Out.back().isEmpty())
            Out.removeLast();
        return Out.join(u'\n');
    }

    void Line(const QString& line) {
        if (InMacroDefinition) {
            if (line.startsWith(QStringLiteral("..")))
                InMacroDefinition = false;
            return;
        }
        if (line.startsWith(u'.') || line.startsWith(u'\''))
            Request(line.mid(1).trimmed());
        else
            Text(InlineText(line));
    }

private:
    QStringList Out;
    QString Paragraph;
    int Level = 1;        // indent level from .RS/.RE; body text starts at level 1
    bool Hanging = false; // body of a tagged paragraph, one level deeper
    bool Fill = true;
    bool TagPending = false;
    bool InMacroDefinition = false;

    QString Indent() const { return QString((Level + (Hanging ? 1 : 0)) * 4, u' '); }

    void Flush() {
        if (!Paragraph.isEmpty())
            Out.append(Indent() + Paragraph);
        Paragraph.clear();
    }

    void BlankLine() {
        Flush();
        if (!Out.isEmpty() && !Out.back().isEmpty())
            Out.append(QString());
    }

    void Tag(const QString& tag) {
        Hanging = false;
        Out.append(Indent() + tag);
        Hanging = true;
    }

    void Text(const QString& text) {
        if (TagPending) {
            TagPending = false;
            Tag(text);
            return;
        }
        if (!Fill) {
            Out.append(Indent() + text);
            return;
        }
        if (text.trimmed().isEmpty()) {
            BlankLine();
            return;
        }
        if (!Paragraph.isEmpty())
            Paragraph += u' ';
        Paragraph += text.trimmed();
    }

    void Request(const QString& request) {
        if (request.startsWith(QStringLiteral("\\\"")))
            return;
        const qsizetype space = request.indexOf(u' ');
        const QString name = space < 0 ? request : request.left(space);
        const QStringList args = RequestArguments(space < 0 ? QString() : request.mid(space + 1));
        if (name == u"SH" || name == u"SS") {
            BlankLine();
            Hanging = false;
            Level = 1;
            const QString heading = args.join(u' ');
            Out.append(name == u"SH" ? heading : QStringLiteral("  ") + heading);
        } else if (name == u"PP" || name == u"LP" || name == u"P") {
            BlankLine();
            Hanging = false;
        } else if (name == u"TP") {
            BlankLine();
            TagPending = true;
        } else if (name == u"IP") {
            BlankLine();
            if (!args.isEmpty())
                Tag(args.first());
            else
                Hanging = true;
        } else if (name == u"AP") {
            BlankLine();
            Tag(args.mid(0, 2).join(u' ') +
                (args.size() > 2 ? QStringLiteral(" (%1)").arg(args[2]) : QString()));
        } else if (name == u"RS") {
            Flush();
            Level += Hanging ? 2 : 1;
            Hanging = false;
        } else if (name == u"RE") {
            Flush();
            Level = std::max(1, Level - 1);
        } else if (name == u"CS" || name == u"DS") {
            BlankLine();
            Level += 1;
            Fill = false;
        } else if (name == u"CE" || name == u"DE") {
            Flush();
            Level = std::max(1, Level - 1);
            Fill = true;
            BlankLine();
        } else if (name == u"nf") {
            Flush();
            Fill = false;
        } else if (name == u"fi") {
            Flush();
            Fill = true;
        } else if (name == u"br") {
            Flush();
        } else if (name == u"sp") {
            BlankLine();
        } else if (name == u"QW") {
            Text(LeftQuote + args.value(0) + RightQuote + args.value(1));
        } else if (name == u"PQ") {
            Text(u'(' + LeftQuote + args.value(0) + RightQuote + args.value(1) + u')' +
                 args.value(2));
        } else if (name == u"QR") {
            Text(LeftQuote + args.value(0) + RightQuote + u'-' + LeftQuote + args.value(1) +
                 RightQuote + args.value(2));
        } else if (name == u"MT") {
            Text(QString(LeftQuote) + RightQuote);
        } else if (name == u"B" || name == u"I" || name == u"UL") {
            Text(args.join(u' '));
        } else if (name == u"BR" || name == u"IR" || name == u"RI" || name == u"RB" ||
                   name == u"BI" || name == u"IB") {
            Text(args.join(QString()));
        } else if (name == u"OP") {
            BlankLine();
            Out.append(Indent() + QStringLiteral("Command-Line Name: ") + args.value(0));
            Out.append(Indent() + QStringLiteral("Database Name: ") + args.value(1));
            Out.append(Indent() + QStringLiteral("Database Class: ") + args.value(2));
            Hanging = true;
        } else if (name == u"de") {
            InMacroDefinition = true;
        }
        // Everything else (.BS .BE .VS .VE .AS .ta .ft .so .if .ne ...) only steers layout.
    }
};

// The page proper starts at its NAME section; what comes before defines macros.
qsizetype FirstBodyLine(const QStringList& lines) {
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString line = lines[i].simplified();
        if (line == u".SH NAME" || line == u".SH \"NAME\"")
            return i;
    }
    return 0;
}

} // namespace

QString ManPageText(const QString& troff) {
    const QStringList lines = troff.split(u'\n');
    TManPageWriter writer;
    for (qsizetype i = FirstBodyLine(lines); i < lines.size(); ++i)
        writer.Line(lines[i]);
    return writer.Finish();
}
