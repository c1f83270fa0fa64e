#pragma once

#include "discovery/printerdesc.h"
#include "tests/status/testfiles.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

// An application directory of its own for one test: ROOT/bin beside ROOT/share.
class ApplicationTree
{
public:
    ApplicationTree()
    {
        QDir().mkpath(bin());
        QDir().mkpath(root() + QStringLiteral("/share/icons"));
        QDir().mkpath(root() + QStringLiteral("/share/translation/en"));
    }

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

private:
    QTemporaryDir m_dir;
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
