// An IPP reply cut to what is read of it, from bytes a hostile or broken printer could send.
#include "cups/boundedipp.h"

#include <QTest>

using Cuts = QList<QPair<QByteArray, int>>;
Q_DECLARE_METATYPE(Cuts)

namespace {

const QByteArray kHeader = QByteArray::fromHex("0200000000000007");
const char kOperationGroup = 0x01;
const char kPrinterGroup = 0x04;
const char kUnsupportedGroup = 0x05;
const char kEnd = 0x03;
const int kEnum = 0x23;
const int kKeyword = 0x44;
const int kName = 0x42;
const int kCharset = 0x47;
const int kBeginCollection = 0x34;
const int kEndCollection = 0x37;
const int kMemberName = 0x4a;
const int kExtension = 0x7f;
const int kMaxValueBytes = 4;

QByteArray length16(qsizetype length)
{
    return QByteArray(1, char(length >> 8)) + char(length & 0xff);
}

// One value: the name for the first of an attribute, empty for the ones after it.
QByteArray value(int tag, const QByteArray &name, const QByteArray &bytes)
{
    return char(tag) + length16(name.size()) + name + length16(bytes.size()) + bytes;
}

const QByteArray kState = value(kEnum, "printer-state", QByteArray::fromHex("00000003"));

} // namespace

class TestBoundedIpp : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void keepsWhatIsRead_data();
    void keepsWhatIsRead();
    void incompleteMessageGivesNothing_data();
    void incompleteMessageGivesNothing();
};

void TestBoundedIpp::keepsWhatIsRead_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QByteArray>("kept");
    QTest::addColumn<Cuts>("cuts");
    QTest::addColumn<int>("longestCut");

    const QByteArray reasons = value(kKeyword, "printer-state-reasons", "a")
            + value(kKeyword, "", "b") + value(kKeyword, "", "c");
    QTest::newRow("as given") << kPrinterGroup + kState << kPrinterGroup + kState << Cuts() << 0;
    QTest::newRow("values beyond the limit") << kPrinterGroup + reasons
                                             << kPrinterGroup
                    + value(kKeyword, "printer-state-reasons", "a") + value(kKeyword, "", "b")
                                             << Cuts{{"printer-state-reasons", 3}} << 0;
    QTest::newRow("long value cut")
            << kPrinterGroup + value(kName, "marker-names", "abcdefgh")
            << kPrinterGroup + value(kName, "marker-names", "abcd") << Cuts() << 8;
    QTest::newRow("other attributes and groups left out")
            << kOperationGroup + value(kCharset, "attributes-charset", "utf-8") + kPrinterGroup
                    + value(kName, "printer-name", "x") + value(kName, "", "y") + kState
                    + kUnsupportedGroup + value(kName, "marker-names", "z")
            << kPrinterGroup + kState << Cuts() << 0;
    QTest::newRow("repeated attribute left out") << kPrinterGroup + kState
                    + value(kEnum, "printer-state", QByteArray::fromHex("00000005"))
                                                 << kPrinterGroup + kState << Cuts() << 0;
    QTest::newRow("collection left out with its attribute")
            << kPrinterGroup + value(kKeyword, "printer-state-reasons", "a")
                    + value(kBeginCollection, "", "") + value(kMemberName, "", "m")
                    + value(kBeginCollection, "", "") + value(kEndCollection, "", "")
                    + value(kEndCollection, "", "") + value(kKeyword, "", "b") + kState
            << kPrinterGroup + kState << Cuts() << 0;
    QTest::newRow("nested collection of another attribute")
            << kPrinterGroup + value(kBeginCollection, "media-col", "")
                    + value(kMemberName, "", "printer-state") + value(kBeginCollection, "", "")
                    + value(kMemberName, "", "marker-names") + value(kName, "", "n")
                    + value(kEndCollection, "", "") + value(kEndCollection, "", "") + kState
            << kPrinterGroup + kState << Cuts() << 0;
    QTest::newRow("extension and member values skipped")
            << kPrinterGroup + value(kKeyword, "printer-state-reasons", "a") + char(kExtension)
                    + QByteArray::fromHex("00001234") + length16(0) + length16(1) + "x"
                    + value(kMemberName, "", "m") + value(kKeyword, "", "b")
            << kPrinterGroup + value(kKeyword, "printer-state-reasons", "a")
                    + value(kKeyword, "", "b")
            << Cuts() << 0;
    QTest::newRow("no attributes") << QByteArray() << QByteArray() << Cuts() << 0;
}

void TestBoundedIpp::keepsWhatIsRead()
{
    QFETCH(QByteArray, body);
    QFETCH(QByteArray, kept);
    QFETCH(Cuts, cuts);
    QFETCH(int, longestCut);
    const Cuts limits{{"printer-state", 1}, {"printer-state-reasons", 2}, {"marker-names", 1}};
    const std::optional<BoundedIppReply> reply
            = boundIppReply(kHeader + body + kEnd, limits, kMaxValueBytes);
    QVERIFY(reply);
    QCOMPARE(reply->bytes.toHex(' '), (kHeader + kept + kEnd).toHex(' '));
    QCOMPARE(reply->cutAttributes, cuts);
    QCOMPARE(reply->longestCutValue, longestCut);
}

void TestBoundedIpp::incompleteMessageGivesNothing_data()
{
    QTest::addColumn<QByteArray>("bytes");
    const QByteArray whole = kHeader + kPrinterGroup + kState + kEnd;
    QTest::newRow("short header") << kHeader.left(7);
    QTest::newRow("no end tag") << whole.chopped(1);
    for (qsizetype cut = 1; cut < kState.size(); ++cut) {
        const QByteArray row = "cut at " + QByteArray::number(cut) + " of the attribute";
        QTest::newRow(row.constData()) << kHeader + kPrinterGroup + kState.left(cut);
    }
    QTest::newRow("extension tag cut") << kHeader + kPrinterGroup + char(kExtension) + "\x00\x00";
    QTest::newRow("length beyond the end")
            << kHeader + kPrinterGroup + char(kName) + length16(0xffff) + "marker-names";
}

void TestBoundedIpp::incompleteMessageGivesNothing()
{
    QFETCH(QByteArray, bytes);
    QVERIFY(!boundIppReply(bytes, {{"printer-state", 1}, {"marker-names", 1}}, kMaxValueBytes));
}

QTEST_GUILESS_MAIN(TestBoundedIpp)
#include "tst_boundedipp.moc"
