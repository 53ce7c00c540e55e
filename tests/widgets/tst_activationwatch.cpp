#include "widgets/ActivationWatch.h"

#include <QtTest>

using Times = QList<qint64>;
using Counters = QList<int>;
using Shakes = QList<int>;

namespace {

// Activations at a steady gap, starting at start.
Times evenlySpaced(qint64 start, qint64 gap, int count)
{
    Times times;
    for (int i = 0; i < count; ++i)
        times << start + i * gap;
    return times;
}

} // namespace

class ActivationWatchTest : public QObject
{
    Q_OBJECT

private slots:
    void countsActivations_data();
    void countsActivations();
};

void ActivationWatchTest::countsActivations_data()
{
    QTest::addColumn<Times>("times");
    QTest::addColumn<Counters>("counters");
    QTest::addColumn<Shakes>("shakeAt");

    QTest::newRow("time zero is a long gap from the start")
        << Times { 0 } << Counters { 1 } << Shakes {};
    QTest::newRow("gap of 299 counts, 300 restarts at one")
        << Times { 1000, 1299, 1599 } << Counters { 1, 2, 1 } << Shakes {};
    QTest::newRow("long gap before the fourth restarts the burst") << Times { 0, 100, 200, 1000,
        1100, 1200, 1300 } << Counters { 1, 2, 3, 1, 2, 3, 4 } << Shakes { 6 };
    QTest::newRow("fifteenth quick one restarts at zero, the next burst shakes again")
        << evenlySpaced(1000, 100, 19)
        << Counters { 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 0, 1, 2, 3, 4 }
        << Shakes { 3, 18 };
    QTest::newRow("clock going backwards counts as quick")
        << Times { 5000, 200 } << Counters { 1, 2 } << Shakes {};
}

void ActivationWatchTest::countsActivations()
{
    QFETCH(Times, times);
    QFETCH(Counters, counters);
    QFETCH(Shakes, shakeAt);

    ActivationWatch watch;
    for (int i = 0; i < times.size(); ++i) {
        const bool shake = watch.activate(times.at(i));
        QCOMPARE(watch.counter(), counters.at(i));
        QCOMPARE(watch.lastTime(), times.at(i));
        QCOMPARE(shake, shakeAt.contains(i));
    }
}

QTEST_APPLESS_MAIN(ActivationWatchTest)
#include "tst_activationwatch.moc"
