#include "acquisition/job.h"
#include "acquisition/pldevice.h"
#include "tests/tools/logcapture.h"

#include <QTest>

class TestPlDevice : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void deviceIdMatchesManufacturerAndModel_data();
    void deviceIdMatchesManufacturerAndModel();
    void deviceIdCheckIsLogged();
    void jobTextNamesItsStatus_data();
    void jobTextNamesItsStatus();
};

void TestPlDevice::deviceIdMatchesManufacturerAndModel_data()
{
    QTest::addColumn<QString>("desc");
    QTest::addColumn<QString>("manufacturer");
    QTest::addColumn<QString>("model");
    QTest::addColumn<bool>("matches");

    const QString acme = QStringLiteral("MFG:Acme;MDL:Laser 100;CLS:PRINTER;");
    QTest::newRow("manufacturer prefix, model in lower case") << acme << "ACME Inc."
                                                              << "laser 100" << true;
    QTest::newRow("model with Series") << acme << "Acme"
                                       << "Laser 100 Series" << true;
    QTest::newRow("other manufacturer") << acme << "Other"
                                        << "Laser 100" << false;
    QTest::newRow("other model") << acme << "Acme"
                                 << "Laser 200" << false;
    QTest::newRow("MODEL key") << "MFG:Acme;MODEL:Laser 100;"
                               << "Acme"
                               << "laser 100" << true;
    QTest::newRow("Series already there, not doubled") << "MFG:Acme;MDL:Laser 100 Series;"
                                                       << "Acme"
                                                       << "Laser 100 Series" << true;
    QTest::newRow("series in lower case gets Series appended") << "MFG:Acme;MDL:Laser 100 series;"
                                                               << "Acme"
                                                               << "laser 100 series series" << true;
    QTest::newRow("later pieces overwrite") << "MFG:Other;MDL:X;MFG:Acme;MDL:Laser 100;"
                                            << "Acme"
                                            << "Laser 100" << true;
    QTest::newRow("value keeps its colons") << "MFG:Acme;MDL:Laser:100;"
                                            << "Acme"
                                            << "laser:100" << true;
    QTest::newRow("empty pieces dropped") << ";;MFG:Acme;;MDL:Laser 100;;"
                                          << "Acme"
                                          << "Laser 100" << true;
    QTest::newRow("no manufacturer in the id matches any manufacturer") << "MDL:Laser 100;"
                                                                        << "Anybody"
                                                                        << "laser 100" << true;
    QTest::newRow("manufacturer argument shorter than the id's") << acme << "Ac"
                                                                 << "Laser 100" << false;
    QTest::newRow("keys are case-sensitive") << "mfg:Acme;mdl:Laser 100;"
                                             << "Other"
                                             << "Laser 100" << false;
    QTest::newRow("empty id") << QString() << "Acme"
                              << "Laser 100" << false;
}

void TestPlDevice::deviceIdMatchesManufacturerAndModel()
{
    QFETCH(QString, desc);
    QFETCH(QString, manufacturer);
    QFETCH(QString, model);
    QFETCH(bool, matches);
    LogCapture log;
    QCOMPARE(PlDevice::checkDescription(desc, manufacturer, model), matches);
}

void TestPlDevice::deviceIdCheckIsLogged()
{
    LogCapture log;
    PlDevice::checkDescription(QStringLiteral("MFG:Acme;"), QStringLiteral("Acme"),
                               QStringLiteral("x"));
    QCOMPARE(log.messages(),
             QStringList{QStringLiteral("PlDevice::checkDescription(): desc=<MFG:Acme;>")});
}

void TestPlDevice::jobTextNamesItsStatus_data()
{
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("name");
    QTest::newRow("1") << 1 << "printing";
    QTest::newRow("2") << 2 << "completed";
    QTest::newRow("3") << 3 << "canceled";
    QTest::newRow("4") << 4 << "saved";
    QTest::newRow("5") << 5 << "pending";
    QTest::newRow("6") << 6 << "authFailStart";
    QTest::newRow("7") << 7 << "authFailStop";
    QTest::newRow("8") << 8 << "preparing";
    QTest::newRow("0") << 0 << "unknown";
    QTest::newRow("9") << 9 << "unknown";
    QTest::newRow("-1") << -1 << "unknown";
}

void TestPlDevice::jobTextNamesItsStatus()
{
    QFETCH(int, status);
    QFETCH(QString, name);
    const Job job{QStringLiteral("localhost"), QStringLiteral("1234"), status};
    QCOMPARE(Job::statusName(status), name);
    QCOMPARE(job.toString(),
             QStringLiteral("user: <localhost> id: 1234  status: %1(%2)").arg(status).arg(name));
    QCOMPARE(job, (Job{QStringLiteral("localhost"), QStringLiteral("1234"), status}));
}

QTEST_GUILESS_MAIN(TestPlDevice)
#include "tst_pldevice.moc"
