// The designer's position maths: the 16-bit range, group moves, the rubber band and its edge
// rules, and the arrow keys.
#include "printsetup/DesignerGeometry.h"

#include <QTest>

using namespace Zt_typro;

class TestDesignerGeometry : public QObject
{
    Q_OBJECT
private slots:
    void clampLayoutCoordinate_data();
    void clampLayoutCoordinate();
    void clampGroupMove_data();
    void clampGroupMove();
    void bandRectangle_data();
    void bandRectangle();
    void liesInsideBand_data();
    void liesInsideBand();
    void arrowKeyMove_data();
    void arrowKeyMove();
};

void TestDesignerGeometry::clampLayoutCoordinate_data()
{
    QTest::addColumn<int>("pixels");
    QTest::addColumn<int>("stored");
    QTest::newRow("inside") << 715 << 715;
    QTest::newRow("negative inside") << -20 << -20;
    QTest::newRow("lowest") << -32768 << -32768;
    QTest::newRow("highest") << 32767 << 32767;
    QTest::newRow("one below") << -32769 << -32768;
    QTest::newRow("one above") << 32768 << 32767;
    QTest::newRow("far below") << -1000000 << -32768;
}

void TestDesignerGeometry::clampLayoutCoordinate()
{
    QFETCH(int, pixels);
    QFETCH(int, stored);
    QCOMPARE(ClampLayoutCoordinate(pixels), stored);
    QCOMPARE(ClampLayoutPosition(QPoint(pixels, -pixels)), QPoint(stored, ClampLayoutCoordinate(-pixels)));
}

void TestDesignerGeometry::clampGroupMove_data()
{
    QTest::addColumn<QList<QPoint>>("positions");
    QTest::addColumn<QPoint>("wanted");
    QTest::addColumn<QPoint>("allowed");
    QTest::newRow("free") << QList<QPoint>{{10, 10}, {200, 50}} << QPoint(-30, 40) << QPoint(-30, 40);
    QTest::newRow("empty group") << QList<QPoint>{} << QPoint(5, -5) << QPoint(5, -5);
    QTest::newRow("left limit stops the group") << QList<QPoint>{{-32760, 0}, {100, 0}} << QPoint(-20, 3)
                                                << QPoint(-8, 3);
    QTest::newRow("right limit stops the group") << QList<QPoint>{{32700, 0}, {0, 0}} << QPoint(100, 0)
                                                 << QPoint(67, 0);
    QTest::newRow("top limit") << QList<QPoint>{{0, -32768}} << QPoint(0, -1) << QPoint(0, 0);
    QTest::newRow("bottom limit") << QList<QPoint>{{0, 32760}, {0, 5}} << QPoint(0, 50) << QPoint(0, 7);
    QTest::newRow("away from a limit is free") << QList<QPoint>{{32767, -32768}} << QPoint(-5, 5) << QPoint(-5, 5);
    QTest::newRow("outside may come back") << QList<QPoint>{{-40000, 0}} << QPoint(10, 0) << QPoint(10, 0);
    QTest::newRow("outside may not go further") << QList<QPoint>{{-40000, 0}} << QPoint(-10, 0) << QPoint(0, 0);
}

void TestDesignerGeometry::clampGroupMove()
{
    QFETCH(QList<QPoint>, positions);
    QFETCH(QPoint, wanted);
    QFETCH(QPoint, allowed);
    QCOMPARE(ClampGroupMove(positions, wanted), allowed);
}

void TestDesignerGeometry::bandRectangle_data()
{
    QTest::addColumn<QPoint>("origin");
    QTest::addColumn<QPoint>("pointer");
    QTest::addColumn<QRect>("band");
    QTest::newRow("top-left to bottom-right") << QPoint(10, 20) << QPoint(110, 70) << QRect(10, 20, 100, 50);
    QTest::newRow("bottom-right to top-left") << QPoint(110, 70) << QPoint(10, 20) << QRect(10, 20, 100, 50);
    QTest::newRow("bottom-left to top-right") << QPoint(10, 70) << QPoint(110, 20) << QRect(10, 20, 100, 50);
    QTest::newRow("top-right to bottom-left") << QPoint(110, 20) << QPoint(10, 70) << QRect(10, 20, 100, 50);
    QTest::newRow("no move") << QPoint(30, 40) << QPoint(30, 40) << QRect(30, 40, 0, 0);
}

void TestDesignerGeometry::bandRectangle()
{
    QFETCH(QPoint, origin);
    QFETCH(QPoint, pointer);
    QFETCH(QRect, band);
    const QRect got = BandRectangle(origin, pointer);
    QCOMPARE(got.topLeft(), band.topLeft());
    QCOMPARE(got.size(), band.size());
}

void TestDesignerGeometry::liesInsideBand_data()
{
    QTest::addColumn<QRect>("panel");
    QTest::addColumn<bool>("inside");
    // The band spans x 100 .. 200 and y 50 .. 150 (edges as left + width, top + height).
    QTest::newRow("well inside") << QRect(120, 60, 17, 17) << true;
    QTest::newRow("on the left and top edges") << QRect(100, 50, 17, 17) << true;
    QTest::newRow("right edge on the band's right edge") << QRect(183, 60, 17, 17) << true;
    QTest::newRow("right edge one past") << QRect(184, 60, 17, 17) << false;
    QTest::newRow("bottom edge on the band's bottom edge") << QRect(120, 133, 17, 17) << false;
    QTest::newRow("bottom edge one above") << QRect(120, 132, 17, 17) << true;
    QTest::newRow("one left of the band") << QRect(99, 60, 17, 17) << false;
    QTest::newRow("one above the band") << QRect(120, 49, 17, 17) << false;
    QTest::newRow("larger than the band") << QRect(90, 40, 153, 125) << false;
}

void TestDesignerGeometry::liesInsideBand()
{
    QFETCH(QRect, panel);
    QFETCH(bool, inside);
    QCOMPARE(Zt_typro::LiesInsideBand(panel, QRect(100, 50, 100, 100)), inside);
}

void TestDesignerGeometry::arrowKeyMove_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("shift");
    QTest::addColumn<QPoint>("move");
    QTest::newRow("left") << int(Qt::Key_Left) << false << QPoint(-1, 0);
    QTest::newRow("right") << int(Qt::Key_Right) << false << QPoint(1, 0);
    QTest::newRow("up") << int(Qt::Key_Up) << false << QPoint(0, -1);
    QTest::newRow("down") << int(Qt::Key_Down) << false << QPoint(0, 1);
    QTest::newRow("shift left") << int(Qt::Key_Left) << true << QPoint(-10, 0);
    QTest::newRow("shift down") << int(Qt::Key_Down) << true << QPoint(0, 10);
    QTest::newRow("other key") << int(Qt::Key_A) << false << QPoint();
}

void TestDesignerGeometry::arrowKeyMove()
{
    QFETCH(int, key);
    QFETCH(bool, shift);
    QFETCH(QPoint, move);
    QCOMPARE(ArrowKeyMove(key, shift ? Qt::ShiftModifier : Qt::NoModifier), move);
}

QTEST_GUILESS_MAIN(TestDesignerGeometry)
#include "tst_designergeometry.moc"
