#pragma once

#include <QString>
#include <QStringList>
#include <optional>

// The troff source of a Tcl manual page named topic, looked for in each folder of manDirs as
// topic.3tcl.gz, topic.3tcl, topic.n.gz and topic.n (compressed pages are unpacked); nothing when
// no folder holds it.
std::optional<QString> ReadManPage(const QStringList& manDirs, const QString& topic);

// Where Tcl's manual pages are installed on this system.
QStringList DefaultManDirs();
