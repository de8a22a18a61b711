#include "CommandLine.h"

#include "AppTitle.h"

#include <QCommandLineParser>

TCommandLine ParseCommandLine(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Quillet, an editor for Tcl scripts with a Run window."));
    // As Qt's own options are written (-platform, -style): -reverse is one option, not -r -e -v.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    // Not Qt's help option, whose --help-all would list options that are Qt's business.
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Shows this help and exits."));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Shows the version and exits."));
    parser.addOption(help);
    parser.addOption(version);
    parser.addPositionalArgument(
        QStringLiteral("file"),
        QStringLiteral("The Tcl script to open. A file that does not exist yet is made when the "
                       "document is first saved."),
        QStringLiteral("[file]"));

    TCommandLine line;
    const bool parsed = parser.parse(arguments);
    if (parser.isSet(help)) {
        line.Action = TCommandLine::TAction::ShowHelp;
        line.Text = parser.helpText();
    } else if (parser.isSet(version)) {
        line.Action = TCommandLine::TAction::ShowVersion;
        line.Text = QStringLiteral("Quillet %1\n").arg(ApplicationVersion());
    } else if (!parsed) {
        line.Action = TCommandLine::TAction::Fail;
        line.Text = parser.errorText() + QStringLiteral("\nTry '--help' for the options.\n");
    } else {
        line.Files = parser.positionalArguments();
    }
    return line;
}
