// Windows: NodeBuilder started as BUILD starts it, from a windowed program that has no console (this suite is
// one, as the front end is). Where the system has a pseudo console, NodeBuilder runs on it and the front end's
// own console shows what it writes; forced to do without (as on a Windows before 10 1809), the system gives
// NodeBuilder a console window of its own, with its standard handles on it. How a run ended is reported as ever.
//
// wine 8.0 attaches a program started on a pseudo console to it but hands it none of the console's handles: its
// standard handles stay the ones it was given, so only a program that opens the console's device (CONOUT$,
// CONIN$) draws there, and ResizePseudoConsole is a stub. Under wine the stand-in talks to the console's device,
// which proves the front end's side; the checks of the standard handles and of a resize are expected to fail.
#include "BuildRunner.h"
#include "Console.h"
#include "ConsoleDriver.h"
#include "Form1.h"
#include "MemoryStore.h"
#include "MessageRecorder.h"
#include "PseudoTerminal.h"
#include "StandIn.h"
#include "TerminalScreen.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QtMath>

#include <qt_windows.h>

using namespace vantrel;
using namespace console_driver;

namespace {

bool UnderWine() {
    return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
}

// Under wine, the stand-in talks to the console through its device.
QByteArray ThroughTheDevice() {
    return UnderWine() ? "1" : "0";
}

// The lines of the stand-in's flood of `bytes`, without the last one it cut short.
QStringList FloodLines(long bytes) {
    QStringList lines;
    for (long line = 0; bytes > 0; ++line) {
        const QString text = QStringLiteral("line %1 of the flood: abcdefghijklmnopqrstuvwxyz0123456789").arg(line);
        bytes -= text.size() + 1;
        if (bytes >= 0) {
            lines << text;
        }
    }
    return lines;
}

bool Gone(qint64 pid) {
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(pid));
    if (process == nullptr) {
        return true;
    }
    const bool ended = WaitForSingleObject(process, 0) == WAIT_OBJECT_0;
    CloseHandle(process);
    return ended;
}

QString Size(const TerminalScreen* screen) {
    return QStringLiteral("%1x%2").arg(screen->Model().Columns()).arg(screen->Model().Rows());
}

} // namespace

class TestWindowsConsole final : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void theConsoleShowsWhatNodeBuilderWroteAndKeepsIt_data();
    void theConsoleShowsWhatNodeBuilderWroteAndKeepsIt();
    void nodeBuilderSeesAConsoleOfTheConsolesSize_data();
    void nodeBuilderSeesAConsoleOfTheConsolesSize();
    void aResizedConsoleGivesNodeBuilderItsSize();
    void typedKeysReachNodeBuilder();
    void stopEndsNodeBuilderAndWhatItStarted_data();
    void stopEndsNodeBuilderAndWhatItStarted();
    void theMainWindowReportsHowTheRunEnded_data();
    void theMainWindowReportsHowTheRunEnded();
};

void TestWindowsConsole::initTestCase() {
    // With a console here, NodeBuilder would share it and prove nothing.
    QVERIFY(GetConsoleWindow() == nullptr);
    QVERIFY(PseudoTerminal::Available());
}

void TestWindowsConsole::theConsoleShowsWhatNodeBuilderWroteAndKeepsIt_data() {
    QTest::addColumn<QByteArray>("variable");
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<QStringList>("lines"); // one after the other in the console's text, the end's line below

    QTest::newRow("a progress line redrawn over itself stays one line")
        << QByteArray("VANTREL_STANDIN_PROGRESS") << QByteArray("1")
        << QStringList{"Working...", "Progress 100%", "Done."};
    constexpr long kFlood = 200'000; // within the scrollback
    QTest::newRow("a flood that ends with the process loses no line")
        << QByteArray("VANTREL_STANDIN_FLOOD") << QByteArray::number(kFlood) << FloodLines(kFlood);
}

void TestWindowsConsole::theConsoleShowsWhatNodeBuilderWroteAndKeepsIt() {
    QFETCH(QByteArray, variable);
    QFETCH(QByteArray, value);
    QFETCH(QStringList, lines);
    StandIn standIn;
    PathPrefix path(standIn.Folder());
    const Variables variables{{variable.constData(), value}, {"VANTREL_STANDIN_CONSOLE_DEVICE", ThroughTheDevice()}};
    Console console;
    const RunOutcome outcome = console.Run({QString::fromLatin1(kLine)});
    QCOMPARE(int(outcome.kind), int(RunOutcome::Kind::Exited));
    QVERIFY(console.isVisible());
    QCOMPARE(console.windowTitle(), QStringLiteral("Finished - ") + QDir::toNativeSeparators(standIn.Path()));
    QStringList shown = console.Screen()->Text().split(u'\n');
    while (!shown.isEmpty() && shown.constLast().trimmed().isEmpty()) {
        shown.removeLast();
    }
    const qsizetype first = shown.indexOf(lines.constFirst());
    QVERIFY2(first >= 0, qPrintable(console.Screen()->Text().left(2000)));
    QCOMPARE(shown.mid(first, lines.size()), lines);
    QCOMPARE(shown.constLast(), QStringLiteral("NodeBuilder finished."));
    // Ctrl+Shift+S saves what the console shows.
    const QTemporaryDir folder;
    const QString saved = folder.filePath(QStringLiteral("output.txt"));
    const SaveNameAnswerer answerer(saved);
    QVERIFY(QTest::qWaitForWindowActive(&console));
    QTest::keyClick(console.Screen(), Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
    QFile file(saved);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromUtf8(file.readAll()), console.Screen()->Text() + u'\n');
}

void TestWindowsConsole::nodeBuilderSeesAConsoleOfTheConsolesSize_data() {
    QTest::addColumn<bool>("device");

    QTest::newRow("its standard handles are the console's") << false;
    QTest::newRow("the console's device") << true;
}

void TestWindowsConsole::nodeBuilderSeesAConsoleOfTheConsolesSize() {
    QFETCH(bool, device);
    StandIn standIn;
    PathPrefix path(standIn.Folder());
    const Variables variables{{"VANTREL_STANDIN_CONSOLE_DEVICE", device ? "1" : "0"}};
    Console console;
    console.Run({QString::fromLatin1(kLine)});
    const QList<StandIn::Run> runs = standIn.Runs();
    QCOMPARE(runs.size(), 1);
    QVERIFY(runs.first().console);
    if (!device) {
        if (UnderWine()) {
            QEXPECT_FAIL("", "wine 8.0 gives a program on a pseudo console none of its handles", Continue);
        }
        QCOMPARE(runs.first().terminals, QStringLiteral("111"));
        if (UnderWine()) {
            QEXPECT_FAIL("", "wine 8.0 gives a program on a pseudo console none of its handles", Continue);
        }
    }
    QCOMPARE(runs.first().size, Size(console.Screen()));
}

void TestWindowsConsole::aResizedConsoleGivesNodeBuilderItsSize() {
    if (UnderWine()) {
        QSKIP("wine 8.0's ResizePseudoConsole is a stub: the console keeps the size it was opened with");
    }
    StandIn standIn;
    PathPrefix path(standIn.Folder());
    const QString release = QDir(standIn.Folder()).filePath(QStringLiteral("release"));
    const Variables variables{{"VANTREL_STANDIN_WINCH", "1"}, {"VANTREL_STANDIN_WAIT_FOR", release.toLocal8Bit()}};
    Console console;
    TerminalScreen* screen = console.Screen();
    const QString size = QStringLiteral("120x40");
    When(
        &console, [&] { return console.IsRunning() && standIn.Runs().size() == 1; },
        [&] {
            const QSize border = screen->size() - screen->viewport()->size();
            const QSizeF cell = screen->CellSize();
            const QSize viewport(qCeil(cell.width() * 120) + 1, qCeil(cell.height() * 40) + 1);
            console.resize(console.size() - screen->size() + border + viewport);
            When(
                &console, [&] { return standIn.Runs().constFirst().resizes.contains(size); },
                [&] { QFile(release).open(QIODevice::WriteOnly); });
        });
    console.Run({QString::fromLatin1(kLine)});
    QCOMPARE(standIn.Runs().constFirst().resizes.constLast(), size);
    QCOMPARE(Size(screen), size);
}

void TestWindowsConsole::typedKeysReachNodeBuilder() {
    StandIn standIn;
    PathPrefix path(standIn.Folder());
    const Variables variables{{"VANTREL_STANDIN_WAIT_KEY", "1"},
                              {"VANTREL_STANDIN_CONSOLE_DEVICE", ThroughTheDevice()}};
    Console console;
    const RunOutcome outcome = RunTypingWhenAsked(console, Qt::Key_Q);
    QCOMPARE(int(outcome.kind), int(RunOutcome::Kind::Exited));
    QCOMPARE(standIn.Runs().value(0).key, QStringLiteral("q"));
    QVERIFY2(console.Screen()->ScreenText().contains(QStringLiteral("key=q")),
             qPrintable(console.Screen()->ScreenText()));
}

void TestWindowsConsole::stopEndsNodeBuilderAndWhatItStarted_data() {
    QTest::addColumn<QByteArray>("variable");

    QTest::newRow("NodeBuilder waiting for a key") << QByteArray("VANTREL_STANDIN_WAIT_KEY");
    QTest::newRow("NodeBuilder and a program it started") << QByteArray("VANTREL_STANDIN_CHILD");
}

void TestWindowsConsole::stopEndsNodeBuilderAndWhatItStarted() {
    QFETCH(QByteArray, variable);
    StandIn standIn;
    PathPrefix path(standIn.Folder());
    const QString never = QDir(standIn.Folder()).filePath(QStringLiteral("never"));
    const Variables variables{{variable.constData(), "1"},
                              {"VANTREL_STANDIN_WAIT_FOR", never.toLocal8Bit()},
                              {"VANTREL_STANDIN_CONSOLE_DEVICE", ThroughTheDevice()}};
    const bool child = variable == "VANTREL_STANDIN_CHILD";
    QuestionAnswerer yes(true);
    Console console;
    qint64 pid = 0;
    When(
        &console,
        [&] {
            const QList<StandIn::Run> runs = standIn.Runs();
            return console.IsRunning() && runs.size() == 1 && (!child || runs.first().child != 0);
        },
        [&] {
            pid = standIn.Runs().constFirst().child;
            console.Stop();
        });
    const RunOutcome outcome = console.Run({QString::fromLatin1(kLine), QStringLiteral("C:\\maps\\e1_vtl.wad")});
    QCOMPARE(int(outcome.kind), int(RunOutcome::Kind::Stopped));
    QCOMPARE(yes.questions.size(), 1);
    QVERIFY(console.windowTitle().startsWith(QStringLiteral("Stopped")));
    if (child) {
        QTRY_VERIFY(Gone(pid));
    }
}

void TestWindowsConsole::theMainWindowReportsHowTheRunEnded_data() {
    using Place = BuildRunner::Place;
    QTest::addColumn<int>("place");
    QTest::addColumn<QByteArray>("variable");
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<QString>("mentions"); // empty: no message at all

    QTest::newRow("the console: an exit status")
        << int(Place::Decide) << QByteArray("VANTREL_STANDIN_EXIT") << QByteArray("7") << "exit status 7";
    QTest::newRow("the console: an access violation")
        << int(Place::Decide) << QByteArray("VANTREL_STANDIN_CRASH") << QByteArray("1") << "crashed";
    // Forced, as where the system has no pseudo console.
    QTest::newRow("the system's console window: a run that ends well stays silent")
        << int(Place::Terminal) << QByteArray("VANTREL_STANDIN_EXIT") << QByteArray("0") << "";
    QTest::newRow("the system's console window: an exit status")
        << int(Place::Terminal) << QByteArray("VANTREL_STANDIN_EXIT") << QByteArray("7") << "exit status 7";
    QTest::newRow("the system's console window: a crash")
        << int(Place::Terminal) << QByteArray("VANTREL_STANDIN_CRASH") << QByteArray("1") << "crashed";
}

void TestWindowsConsole::theMainWindowReportsHowTheRunEnded() {
    QFETCH(int, place);
    QFETCH(QByteArray, variable);
    QFETCH(QByteArray, value);
    QFETCH(QString, mentions);
    StandIn standIn;
    PathPrefix path(standIn.Folder());
    const Variables variables{{variable.constData(), value}};
    MessageRecorder captured;
    Form1 form(std::make_unique<MemoryStore>());
    BuildRunner runner(static_cast<BuildRunner::Place>(place));
    form.SetRunner([&runner](const BuildRequest& request) { return runner.Run(request); });
    form.findChild<QLineEdit*>(QStringLiteral("Text1"))->setText(QStringLiteral("a.wad"));
    form.findChild<QLineEdit*>(QStringLiteral("Text2"))->setText(QStringLiteral("b.wad"));
    form.show();
    QTest::mouseClick(form.findChild<QPushButton*>(QStringLiteral("Command2")), Qt::LeftButton);

    const QList<StandIn::Run> runs = standIn.Runs();
    QCOMPARE(runs.size(), 1);
    QVERIFY(runs.first().console);
    if (place == int(BuildRunner::Place::Terminal)) {
        // The system's console window, with the standard handles on it.
        QVERIFY(runner.ConsoleWindow() == nullptr);
        QCOMPARE(runs.first().terminals, QStringLiteral("111"));
    } else {
        // The front end's own console, which stays open and tells how the run ended.
        QVERIFY(runner.ConsoleWindow() != nullptr && runner.ConsoleWindow()->isVisible());
        const QString text = runner.ConsoleWindow()->Screen()->ScreenText();
        QVERIFY2(text.contains(mentions, Qt::CaseInsensitive), qPrintable(text));
    }
    if (mentions.isEmpty()) {
        QVERIFY(captured.messages.isEmpty());
        return;
    }
    QCOMPARE(captured.messages.size(), 1);
    QVERIFY2(captured.messages.first().text.contains(mentions), qPrintable(captured.messages.first().text));
}

QTEST_MAIN(TestWindowsConsole)
#include "tst_windowsconsole.moc"
