#include "tests/tools/testlocale.h"

#include "base/functions.h"

#include <QFile>

#include <clocale>

namespace {

const char kUtf8LocaleData[] = "/usr/lib/locale/C.utf8";

void restore(const char *name, bool had, const QByteArray &value)
{
    if (had)
        qputenv(name, value);
    else
        qunsetenv(name);
}

} // namespace

TestLocale::TestLocale(const QByteArray &name)
    : m_savedAll(qgetenv("LC_ALL"))
    , m_savedPath(qgetenv("LOCPATH"))
    , m_hadAll(qEnvironmentVariableIsSet("LC_ALL"))
    , m_hadPath(qEnvironmentVariableIsSet("LOCPATH"))
{
    m_valid = m_dir.isValid()
            && QFile::link(QLatin1String(kUtf8LocaleData),
                           m_dir.filePath(QString::fromLatin1(name)));
    if (!m_valid)
        return;
    qputenv("LOCPATH", QFile::encodeName(m_dir.path()));
    qputenv("LC_ALL", name);
    loadSystemLocale();
    const char *set = setlocale(LC_CTYPE, nullptr);
    m_valid = set && QByteArray(set) == name;
}

TestLocale::~TestLocale()
{
    restore("LC_ALL", m_hadAll, m_savedAll);
    restore("LOCPATH", m_hadPath, m_savedPath);
    setlocale(LC_CTYPE, "C");
    loadSystemLocale();
}
