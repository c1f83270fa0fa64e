#include "status/familystatus.h"

#include <QTest>

namespace {

using Severity = PrinterState::Severity;

StatusBlock block(quint8 byte0, quint32 id, quint8 hostJobs = 0)
{
    StatusBlock raw;
    raw[0] = byte0;
    raw[1] = quint8(id >> 16);
    raw[2] = quint8(id >> 8);
    raw[3] = quint8(id);
    raw[4] = 80;
    raw[5] = 200;
    raw[StatusBlock::kHostJobsByte] = hostJobs;
    raw[StatusBlock::kAllJobsByte] = hostJobs | 1;
    return raw;
}

TonerInfoList toners()
{
    TonerInfoList list(2);
    list[0].id = "TonerK", list[0].title = "Black", list[0].barColors = "000000";
    list[0].levelByte = 4, list[0].lowBit = 8;
    list[1].id = "TonerC", list[1].title = "Cyan", list[1].barColors = "00FFFF";
    list[1].levelByte = 5, list[1].lowBit = 4;
    return list;
}

TonerDesc levelsOf(const StatusBlock &raw)
{
    TonerDesc levels;
    for (const TonerInfo &toner : toners())
        levels.insert(toner.id, raw[toner.levelByte] > 100 ? kUnknownLevel : raw[toner.levelByte]);
    return levels;
}

} // namespace

class TestFamilyStatus : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void bytesAreReadOnceIntoTheState_data()
    {
        QTest::addColumn<StatusBlock>("raw");
        QTest::addColumn<int>("type");
        QTest::addColumn<bool>("lowToner");
        QTest::addColumn<Severity>("severity");
        QTest::addColumn<bool>("printing");
        QTest::addColumn<QString>("lowSupplies");
        QTest::newRow("ready") << block(1, 0x010000) << 1 << false << Severity::Ok << false << "";
        QTest::newRow("printing a USB job")
                << block(1 | 0x08, 0x0104FF, 4) << 1 << false << Severity::Ok << true << "";
        QTest::newRow("printing a network job")
                << block(1 | 0x10, 0x0104FF) << 1 << false << Severity::Ok << true << "";
        QTest::newRow("pop-up information")
                << block(3, 0x010300) << 3 << false << Severity::Waiting << false << "";
        QTest::newRow("jam") << block(4, 0x050200) << 4 << false << Severity::Error << false << "";
        QTest::newRow("unknown type")
                << block(1, 0x070000) << 0 << false << Severity::Unknown << false << "";
        // Byte 3's low nibble names the colours only of a low-toner status.
        QTest::newRow("cyan low") << block(2, 0x030104) << 2 << true << Severity::Warning << false
                                  << "TonerC";
        QTest::newRow("black and cyan low")
                << block(2, 0x03010C) << 2 << true << Severity::Warning << false << "TonerK,TonerC";
        QTest::newRow("colour bits of another status")
                << block(2, 0x03010C) << 2 << false << Severity::Warning << false << "";
        QTest::newRow("no answer")
                << StatusBlock() << 4 << false << Severity::NotAnswering << false << "";
    }
    void bytesAreReadOnceIntoTheState()
    {
        QFETCH(StatusBlock, raw);
        QFETCH(int, type);
        QFETCH(bool, lowToner);
        QFETCH(QString, lowSupplies);
        StatusDesc record(raw.isEmpty() ? 0x0001FF : raw.statusId(), type);
        record.setTitle(QStringLiteral("title"));
        record.setDesc(QStringLiteral("text"));
        record.setLowToner(lowToner);
        record.setStatusBlock(raw);

        const PrinterState state = FamilyStatus::state(record, levelsOf(raw), toners(), true);
        QCOMPARE(state.source, PrinterState::Source::Family);
        QTEST(state.severity, "severity");
        QTEST(state.activity == PrinterState::Activity::Printing, "printing");
        QCOMPARE(state.title, QString("title"));
        QCOMPARE(state.text(), QString("text"));
        QCOMPARE(state.lowSupply, lowToner);
        QStringList low;
        for (const Supply &supply : state.supplies) {
            if (supply.low)
                low.append(supply.id);
        }
        QCOMPARE(low.join(','), lowSupplies);
        QCOMPARE(state.showsSupplies, !raw.isEmpty());
        QCOMPARE(int(state.hostJobs), int(raw[StatusBlock::kHostJobsByte]));
        QCOMPARE(int(state.allJobs), int(raw[StatusBlock::kAllJobsByte]));
        QVERIFY(state.family);
        QCOMPARE(state.family->statusBlock(), raw);
    }

    void suppliesCarryTheirTableAndTheirLevels()
    {
        StatusDesc record(0x010000, 1);
        const StatusBlock raw = block(1, 0x010000);
        record.setStatusBlock(raw);
        const PrinterState state = FamilyStatus::state(record, levelsOf(raw), toners(), true);
        QCOMPARE(state.supplies.size(), 2);
        QCOMPARE(state.supplies.at(0).name, QString("Black"));
        QCOMPARE(state.supplies.at(0).colors, QString("000000"));
        QCOMPARE(state.supplies.at(0).level, 80);
        QCOMPARE(state.supplies.at(1).level, Supply::kUnknown);

        // A status that hides the toners, and no printer at all.
        record.setShowToner(false);
        QVERIFY(!FamilyStatus::state(record, levelsOf(raw), toners(), true).showsSupplies);
        StatusDesc none(0x0000FF, 4);
        const PrinterState nothing = FamilyStatus::state(none, {}, {}, false);
        QCOMPARE(nothing.source, PrinterState::Source::None);
        QCOMPARE(nothing.severity, Severity::Error);
    }
};

QTEST_GUILESS_MAIN(TestFamilyStatus)
#include "tst_familystatus.moc"
