#include "numerals/Amount.h"
#include "numerals/AmountField.h"

#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QWidget>

using namespace Zt_typro;

// Speed of the amount conversions: the capitals alone, and everything that leaving an amount field
// does on a screen-like panel of 15 boxes.
class BenchNumerals : public QObject
{
    Q_OBJECT

private slots:
    void amountToCapitals_data();
    void amountToCapitals();
    void leaveAmountField_data();
    void leaveAmountField();
};

void BenchNumerals::amountToCapitals_data()
{
    QTest::addColumn<QString>("digits");
    QTest::newRow("120050") << "120050";
    QTest::newRow("10001000000") << "10001000000";
    QTest::newRow("14 digits") << "98765432109876";
}

void BenchNumerals::amountToCapitals()
{
    QFETCH(QString, digits);
    QString capitals;
    QBENCHMARK {
        capitals = AmountToCapitals(digits);
    }
    QVERIFY(!capitals.isEmpty());
}

void BenchNumerals::leaveAmountField_data()
{
    QTest::addColumn<QString>("typed");
    QTest::newRow("1200.5") << "1200.5";
    QTest::newRow("15 boxes") << "987654321098.76";
}

void BenchNumerals::leaveAmountField()
{
    QFETCH(QString, typed);
    QWidget window;
    auto* edit = new QLineEdit(&window);
    AttachAmountKeyRules(edit);
    auto* boxPanel = new QFrame(&window);
    for (int k = 1; k <= 15; ++k)
        new QLabel(boxPanel);
    auto* capitals = new QLabel(&window);
    QString completed;
    QBENCHMARK {
        edit->setText(typed);
        completed = LeaveAmountField(edit, boxPanel, capitals);
    }
    QVERIFY(!capitals->text().isEmpty());
    QCOMPARE(completed, CompleteAmountText(typed));
}

QTEST_MAIN(BenchNumerals)
#include "bench_numerals.moc"
