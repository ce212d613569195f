// Windows: NodeBuilder started as BUILD starts it, from a windowed program that has no console (this suite is
// one, as the front end is). The system must give NodeBuilder a console window of its own, with its standard
// handles on it, where its progress is seen; how the run ended is reported as ever.
#include "Form1.h"
#include "MemoryStore.h"
#include "MessageRecorder.h"
#include "StandIn.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <qt_windows.h>

using namespace vantrel;

class TestWindowsConsole final : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void nodeBuilderGetsAConsoleOfItsOwn_data();
    void nodeBuilderGetsAConsoleOfItsOwn();
};

void TestWindowsConsole::initTestCase() {
    // With a console here, NodeBuilder would share it and prove nothing.
    QVERIFY(GetConsoleWindow() == nullptr);
}

void TestWindowsConsole::nodeBuilderGetsAConsoleOfItsOwn_data() {
    QTest::addColumn<QByteArray>("variable");
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<QString>("mentions"); // empty: no message at all

    QTest::newRow("a run that ends well stays silent") << QByteArray("VANTREL_STANDIN_EXIT") << QByteArray("0") << "";
    QTest::newRow("an exit status is reported")
        << QByteArray("VANTREL_STANDIN_EXIT") << QByteArray("7") << "exit status 7";
    QTest::newRow("a crash is reported") << QByteArray("VANTREL_STANDIN_CRASH") << QByteArray("1") << "crashed";
}

void TestWindowsConsole::nodeBuilderGetsAConsoleOfItsOwn() {
    QFETCH(QByteArray, variable);
    QFETCH(QByteArray, value);
    QFETCH(QString, mentions);
    StandIn standIn;
    PathPrefix path(standIn.Folder());
    const Variables variables{{variable.constData(), value}};
    MessageRecorder captured;
    Form1 form(std::make_unique<MemoryStore>());
    form.findChild<QLineEdit*>(QStringLiteral("Text1"))->setText(QStringLiteral("a.wad"));
    form.findChild<QLineEdit*>(QStringLiteral("Text2"))->setText(QStringLiteral("b.wad"));
    form.show();
    QTest::mouseClick(form.findChild<QPushButton*>(QStringLiteral("Command2")), Qt::LeftButton);

    const QList<StandIn::Run> runs = standIn.Runs();
    QCOMPARE(runs.size(), 1);
    QVERIFY(runs.first().console);
    QCOMPARE(runs.first().terminals, QStringLiteral("111"));
    if (mentions.isEmpty()) {
        QVERIFY(captured.messages.isEmpty());
        return;
    }
    QCOMPARE(captured.messages.size(), 1);
    QVERIFY2(captured.messages.first().text.contains(mentions), qPrintable(captured.messages.first().text));
}

QTEST_MAIN(TestWindowsConsole)
#include "tst_windowsconsole.moc"
