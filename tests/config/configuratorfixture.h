#pragma once

#include "acquisition/printerdesc.h"
#include "tests/status/testfiles.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

// An application directory of its own for one test: ROOT/bin beside ROOT/share, and while it
// lives a configuration home of its own, apart from the tree, for the user's state.
class ApplicationTree
{
public:
    ApplicationTree()
        : m_hadConfigHome(qEnvironmentVariableIsSet("XDG_CONFIG_HOME"))
        , m_previousConfigHome(qgetenv("XDG_CONFIG_HOME"))
    {
        QDir().mkpath(bin());
        QDir().mkpath(root() + QStringLiteral("/share/icons"));
        QDir().mkpath(root() + QStringLiteral("/share/translation/en"));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_configHome.path()));
    }
    ~ApplicationTree()
    {
        if (m_hadConfigHome)
            qputenv("XDG_CONFIG_HOME", m_previousConfigHome);
        else
            qunsetenv("XDG_CONFIG_HOME");
    }
    ApplicationTree(const ApplicationTree &) = delete;
    ApplicationTree &operator=(const ApplicationTree &) = delete;

    bool isValid() const { return m_dir.isValid(); }
    QString root() const { return m_dir.path(); }
    QString bin() const { return root() + QStringLiteral("/bin"); }
    QString path(const QString &relative) const { return root() + QLatin1Char('/') + relative; }

    bool write(const QString &relative, const QByteArray &bytes) const
    {
        QDir().mkpath(QFileInfo(path(relative)).path());
        return writeFile(path(relative), bytes);
    }
    QByteArray read(const QString &relative) const { return readFile(path(relative)); }

    // A file of the user's state directory.
    QString state(const QString &name) const
    {
        return m_configHome.path() + QStringLiteral("/pellar/") + name;
    }
    bool writeState(const QString &name, const QByteArray &bytes) const
    {
        QDir().mkpath(state(QString()));
        return writeFile(state(name), bytes);
    }

private:
    QTemporaryDir m_dir;
    QTemporaryDir m_configHome;
    bool m_hadConfigHome;
    QByteArray m_previousConfigHome;
};

inline PrinterDesc makePrinter(const QByteArray &product, const QString &queue)
{
    PrinterDesc printer("Tessival", product, QByteArray(), 0x0410, 0x2f1e,
                        PrinterDesc::uniqueKeyForQueue(queue));
    printer.softName = QStringList({queue});
    return printer;
}

inline PrinterMap printerMapOf(std::initializer_list<PrinterDesc> printers)
{
    PrinterMap map;
    for (const PrinterDesc &printer : printers)
        map.insert(qint32(printer.uniqueKey), printer);
    return map;
}
