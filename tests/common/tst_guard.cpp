// The handler connection connectGuarded: the slot runs with the signal's arguments it takes, an
// error it throws is shown in the program's error box and stops it, the connection ends with its
// context, and a queued connection waits for the event loop.
#include "common/Error.h"
#include "common/Guard.h"
#include "tests/support/ScriptedPrompter.h"

#include <QPushButton>
#include <QSpinBox>
#include <QTest>

#include <memory>
#include <stdexcept>

using namespace Zt_typro;

class TestGuard : public QObject
{
    Q_OBJECT

private slots:
    void passesTheSignalArguments()
    {
        QSpinBox box;
        box.setRange(0, 100);
        QObject context;
        QList<int> values;
        int plainRuns = 0;
        connectGuarded(&box, &QSpinBox::valueChanged, &context, [&values](int value) { values.append(value); });
        connectGuarded(&box, &QSpinBox::valueChanged, &context, [&plainRuns] { ++plainRuns; });
        box.setValue(42);
        box.setValue(7);
        QCOMPARE(values, (QList<int>{42, 7}));
        QCOMPARE(plainRuns, 2);
    }

    void showsAnErrorAndStopsTheSlot()
    {
        ScriptedPrompter prompter;
        QPushButton button;
        QObject context;
        const bool fail = true;
        bool after = false;
        connectGuarded(&button, &QPushButton::clicked, &context, [fail, &after] {
            if (fail)
                throw AppError(QStringLiteral("数据库打不开"));
            after = true;
        });
        button.click();
        QVERIFY(!after);
        const auto errors = prompter.ofKind(QStringLiteral("error"));
        QCOMPARE(errors.size(), 1);
        QCOMPARE(errors.first().caption, ApplicationTitle());
        QCOMPARE(errors.first().text, QStringLiteral("数据库打不开"));
    }

    void showsAStandardErrorToo()
    {
        ScriptedPrompter prompter;
        QPushButton button;
        QObject context;
        connectGuarded(&button, &QPushButton::clicked, &context,
                       [](bool) { throw std::runtime_error("out of range"); });
        button.click();
        QCOMPARE(prompter.last().kind, QStringLiteral("error"));
        QCOMPARE(prompter.last().text, QStringLiteral("out of range"));
    }

    void endsWithItsContext()
    {
        QPushButton button;
        int runs = 0;
        auto context = std::make_unique<QObject>();
        const QMetaObject::Connection connection = connectGuarded(&button, &QPushButton::clicked, context.get(),
                                                                  [&runs] { ++runs; });
        QVERIFY(connection);
        button.click();
        context.reset();
        button.click();
        QCOMPARE(runs, 1);
    }

    void queuedWaitsForTheEventLoop()
    {
        QPushButton button;
        QObject context;
        int runs = 0;
        connectGuarded(
            &button, &QPushButton::clicked, &context, [&runs] { ++runs; }, Qt::QueuedConnection);
        button.click();
        QCOMPARE(runs, 0);
        QTRY_COMPARE(runs, 1);
    }
};

QTEST_MAIN(TestGuard)
#include "tst_guard.moc"
