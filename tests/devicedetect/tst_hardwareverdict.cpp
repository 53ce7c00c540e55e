#include "devicedetect/HardwareVerdict.h"

#include <QJsonObject>
#include <QTest>

namespace {

QJsonObject replyWithData(const QJsonValue& data)
{
    return { { QStringLiteral("code"), 0 }, { QStringLiteral("data"), data } };
}

QJsonObject replyWithVerdict(const QJsonValue& verdict)
{
    return replyWithData(QJsonObject { { QStringLiteral("test_result_str"), verdict } });
}

} // namespace

class HardwareVerdictTest : public QObject
{
    Q_OBJECT

private slots:
    void replyGivesResult_data()
    {
        QTest::addColumn<QJsonValue>("reply");
        QTest::addColumn<int>("result");
        QTest::newRow("meets") << QJsonValue(replyWithVerdict(QStringLiteral("达标"))) << 1;
        QTest::newRow("recommendation passes")
            << QJsonValue(replyWithVerdict(QStringLiteral("建议"))) << 1;
        QTest::newRow("does not meet")
            << QJsonValue(replyWithVerdict(QStringLiteral("不达标"))) << 0;
        QTest::newRow("other text") << QJsonValue(replyWithVerdict(QStringLiteral("良好"))) << -1;
        QTest::newRow("padded text") << QJsonValue(replyWithVerdict(QStringLiteral(" 达标"))) << -1;
        QTest::newRow("empty text") << QJsonValue(replyWithVerdict(QString())) << -1;
        QTest::newRow("number") << QJsonValue(replyWithVerdict(1)) << -1;
        QTest::newRow("null verdict") << QJsonValue(replyWithVerdict(QJsonValue())) << -1;
        QTest::newRow("no verdict") << QJsonValue(replyWithData(QJsonObject())) << -1;
        QTest::newRow("data not an object")
            << QJsonValue(replyWithData(QStringLiteral("达标"))) << -1;
        QTest::newRow("no data") << QJsonValue(QJsonObject { { QStringLiteral("code"), 500 } })
                                 << -1;
        QTest::newRow("no reply") << QJsonValue() << -1;
    }

    void replyGivesResult()
    {
        QFETCH(QJsonValue, reply);
        QFETCH(int, result);
        QCOMPARE(HardwareVerdict::fromReply(reply), result);
    }

    void onlyTwoResolutionsPass_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<bool>("supported");
        QTest::newRow("1920x1080") << QSize(1920, 1080) << true;
        QTest::newRow("1366x768") << QSize(1366, 768) << true;
        QTest::newRow("larger 2560x1440") << QSize(2560, 1440) << false;
        QTest::newRow("larger 3840x2160") << QSize(3840, 2160) << false;
        QTest::newRow("taller 1920x1200") << QSize(1920, 1200) << false;
        QTest::newRow("portrait 1080x1920") << QSize(1080, 1920) << false;
        QTest::newRow("mixed 1920x768") << QSize(1920, 768) << false;
        QTest::newRow("smaller 1280x720") << QSize(1280, 720) << false;
        QTest::newRow("no screen") << QSize(0, 0) << false;
    }

    void onlyTwoResolutionsPass()
    {
        QFETCH(QSize, size);
        QFETCH(bool, supported);
        QCOMPARE(HardwareVerdict::isDisplaySupported(size), supported);
    }

    void noticeUnlessBothPass_data()
    {
        QTest::addColumn<int>("hardwareResult");
        QTest::addColumn<bool>("displayOk");
        QTest::addColumn<bool>("notice");
        QTest::newRow("both pass") << 1 << true << false;
        QTest::newRow("screen fails") << 1 << false << true;
        QTest::newRow("hardware fails") << 0 << true << true;
        QTest::newRow("hardware unknown") << -1 << true << true;
        QTest::newRow("both fail") << 0 << false << true;
    }

    void noticeUnlessBothPass()
    {
        QFETCH(int, hardwareResult);
        QFETCH(bool, displayOk);
        QFETCH(bool, notice);
        QCOMPARE(HardwareVerdict::needsNotice(hardwareResult, displayOk), notice);
    }
};

QTEST_GUILESS_MAIN(HardwareVerdictTest)
#include "tst_hardwareverdict.moc"
