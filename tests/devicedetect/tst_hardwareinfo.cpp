#include "FakeHardwarePlatform.h"

#include "devicedetect/HardwareInfo.h"

#include <QTest>

#include <cmath>

namespace {

constexpr quint64 kGib = quint64(1) << 30;

quint64 gib(double amount)
{
    return quint64(std::llround(amount * double(kGib)));
}

} // namespace

class HardwareInfoTest : public QObject
{
    Q_OBJECT

private slots:
    void processorNameFromToolOutput_data()
    {
        QTest::addColumn<QString>("output");
        QTest::addColumn<QString>("name");
        // The Windows tool pads its columns and ends lines with "\r\r\n".
        QTest::newRow("one processor, blanks kept")
            << "Name                                      \r\r\n"
               "Intel(R) Core(TM) i5-8250U CPU @ 1.60GHz  \r\r\n\r\r\n"
            << "Intel(R) Core(TM) i5-8250U CPU @ 1.60GHz  ";
        QTest::newRow("the last matching line wins")
            << "Name\r\nIntel(R) Xeon(R) CPU E5-2620 0 @ 2.00GHz\r\n"
               "Intel(R) Xeon(R) CPU E5-2630 0 @ 2.30GHz\r\n"
            << "Intel(R) Xeon(R) CPU E5-2630 0 @ 2.30GHz";
        QTest::newRow("name without the word is unknown")
            << "Name\r\nAMD Ryzen 5 3600 6-Core Processor\r\n"
            << QString();
        QTest::newRow("the word is case-sensitive") << "Name\r\nSome cpu 3GHz\r\n" << QString();
        QTest::newRow("carriage returns inside the line go") << "Name\r\nIntel\r CPU\r\r"
                                                             << "Intel CPU";
        QTest::newRow("no newline at all") << "VIA CPU 1.2GHz"
                                           << "VIA CPU 1.2GHz";
        QTest::newRow("silent tool") << QString() << QString();
    }

    void processorNameFromToolOutput()
    {
        QFETCH(QString, output);
        QFETCH(QString, name);
        QCOMPARE(HardwareInfo::processorNameFromOutput(output), name);
    }

    void memoryTextInGib_data()
    {
        QTest::addColumn<quint64>("available");
        QTest::addColumn<quint64>("total");
        QTest::addColumn<QString>("text");
        QTest::newRow("8 GiB, 3.5 available") << gib(3.5) << gib(8) << "可用 3.50 GB / 共 8.00 GB";
        QTest::newRow("rounded to two places")
            << gib(1.996) << gib(15.994) << "可用 2.00 GB / 共 15.99 GB";
        QTest::newRow("one byte short of 4 GiB")
            << quint64(0) << (4 * kGib - 1) << "可用 0.00 GB / 共 4.00 GB";
        QTest::newRow("decimal gigabytes are not GiB")
            << quint64(1000000000) << quint64(4000000000) << "可用 0.93 GB / 共 3.73 GB";
        QTest::newRow("unknown memory") << quint64(0) << quint64(0) << "可用 0.00 GB / 共 0.00 GB";
    }

    void memoryTextInGib()
    {
        QFETCH(quint64, available);
        QFETCH(quint64, total);
        QFETCH(QString, text);
        QCOMPARE(HardwareInfo::memoryText({ total, available }), text);
    }

    void readsThePlatformEveryTime()
    {
        const FakeHardwarePlatform platform(
            QStringLiteral("Name\r\r\nIntel(R) Pentium(R) CPU G4560 @ 3.50GHz\r\r\n"),
            { gib(16), gib(9.25) }, QSize(1920, 1080));
        const HardwareInfo info(platform);
        QCOMPARE(info.processorName(), QStringLiteral("Intel(R) Pentium(R) CPU G4560 @ 3.50GHz"));
        QCOMPARE(info.memoryText(), QStringLiteral("可用 9.25 GB / 共 16.00 GB"));
        QCOMPARE(info.totalMemoryText(), QStringLiteral("16.00"));
    }
};

QTEST_GUILESS_MAIN(HardwareInfoTest)
#include "tst_hardwareinfo.moc"
