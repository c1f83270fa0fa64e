#pragma once

#include <QString>
#include <QStringList>

// A stand-in for an external program (a browser, the settings tool): a shell script that
// writes the number of its arguments and the arguments, each ended by a NUL, to
// "<its path>.args", replaced by rename so that the file is whole once it is there. It needs
// nothing from PATH.
bool writeStandInProgram(const QString &path);
// A file at the program's place that cannot be started.
bool writeNotAProgram(const QString &path);
// What the stand-in at that path recorded: the count first, then the arguments; empty until it
// has run.
QStringList recordedArguments(const QString &path);
