#include "tests/tools/standinprogram.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

const char kScript[] = "#!/bin/sh\n"
                       "printf '%s\\0' \"$#\" \"$@\" > \"$0.args.tmp\"\n"
                       "/bin/mv \"$0.args.tmp\" \"$0.args\"\n";

bool writeProgramFile(const QString &path, const QByteArray &content,
                      QFile::Permissions permissions)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size()
            && file.setPermissions(permissions);
}

} // namespace

bool writeStandInProgram(const QString &path)
{
    return writeProgramFile(path, kScript, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

bool writeNotAProgram(const QString &path)
{
    return writeProgramFile(path, "not a program", QFile::ReadOwner | QFile::WriteOwner);
}

QStringList recordedArguments(const QString &path)
{
    QFile file(path + QStringLiteral(".args"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QStringList words;
    for (const QByteArray &word : file.readAll().split('\0'))
        words.append(QString::fromUtf8(word));
    words.removeLast(); // after the last NUL
    return words;
}
