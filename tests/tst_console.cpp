#include "BuildRunner.h"
#include "Console.h"
#include "ConsoleDriver.h"
#include "Form1.h"
#include "MemoryStore.h"
#include "MessageBox.h"
#include "MessageRecorder.h"
#include "StandIn.h"
#include "TerminalScreen.h"

#include <QAccessible>
#include <QAccessibleTextInterface>
#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QtMath>

#include <array>
#include <csignal>
#include <functional>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace vantrel;
using namespace console_driver;

namespace {

QString LastLine(const TerminalScreen* screen) {
    return screen->ScreenText().section(u'\n', -1);
}

} // namespace

class TestConsole final : public QObject {
    Q_OBJECT

private slots:
    void showsTheOutputAsATerminalWould_data();
    void showsTheOutputAsATerminalWould();
    void givesNodeBuilderATerminalOfItsOwn();
    void theEndGoesBelowNodeBuildersLastLine_data();
    void theEndGoesBelowNodeBuildersLastLine();
    void typedKeysReachNodeBuilder();
    void aResizedConsoleGivesNodeBuilderItsSize_data();
    void aResizedConsoleGivesNodeBuilderItsSize();
    void keysAreEncodedOrKeptForTheConsole_data();
    void keysAreEncodedOrKeptForTheConsole();
    void staysOpenAndTellsHowTheRunEnded_data();
    void staysOpenAndTellsHowTheRunEnded();
    void closingDuringTheRunAsksAndNoKeepsItRunning();
    void closingAndYesStopsNodeBuilder_data();
    void closingAndYesStopsNodeBuilder();
    void theNextRunReusesTheConsoleCleared();
    void nothingStartedOpensNoConsole();
    void offersItsTextToScreenReadersAndTheClipboard();
    void theMainWindowTakesInputRightAfterTheEnd();
    void withoutATerminalTheMainWindowUsesTheConsoleAndClosesIt();
    void sharesOnlyATerminalWhoseForegroundItIsIn_data();
    void sharesOnlyATerminalWhoseForegroundItIsIn();
};

void TestConsole::showsTheOutputAsATerminalWould_data() {
    QTest::addColumn<QByteArray>("variable");
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<QString>("shown");

    QTest::newRow("a Windows program through wine")
        << QByteArray("VANTREL_STANDIN_REPLAY") << QByteArray(VANTREL_FIXTURES_DIR "/wine-console.bin")
        << "Working...\nProgress 100%\nDone.\n          X";
    QTest::newRow("a progress line redrawn with carriage returns and backspaces")
        << QByteArray("VANTREL_STANDIN_PROGRESS") << QByteArray("1") << "Working...\nProgress 100%\nDone.";
}

void TestConsole::showsTheOutputAsATerminalWould() {
    QFETCH(QByteArray, variable);
    QFETCH(QByteArray, value);
    QFETCH(QString, shown);
    StandIn standIn;
    PathPrefix path(standIn.Folder());
    Variables variables{{variable.constData(), value}};
    Console console;
    const RunOutcome outcome = console.Run({QString::fromLatin1(kLine)});
    QCOMPARE(int(outcome.kind), int(RunOutcome::Kind::Exited));
    QCOMPARE(console.Screen()->ScreenText(), shown + u'\n' + QStringLiteral("NodeBuilder finished."));
}

void TestConsole::givesNodeBuilderATerminalOfItsOwn() {
    StandIn standIn;
    PathPrefix path(standIn.Folder());
    // As a front end started by a script with `&` has them: SIGINT and SIGQUIT ignored; and one signal blocked.
    const auto interrupt = std::signal(SIGINT, SIG_IGN);
    const auto quit = std::signal(SIGQUIT, SIG_IGN);
    sigset_t blocked;
    sigemptyset(&blocked);
    sigaddset(&blocked, SIGUSR1);
    pthread_sigmask(SIG_BLOCK, &blocked, nullptr);
    Console console;
    console.Run({QString::fromLatin1(kLine)});
    pthread_sigmask(SIG_UNBLOCK, &blocked, nullptr);
    std::signal(SIGQUIT, quit);
    std::signal(SIGINT, interrupt);
    const auto runs = standIn.Runs();
    QCOMPARE(runs.size(), 1);
    QCOMPARE(runs.first().terminals, QStringLiteral("111"));
    QCOMPARE(runs.first().size, QStringLiteral("80x25"));
    QVERIFY(runs.first().leader);
    QCOMPARE(runs.first().ignoredAndBlocked, QStringLiteral("/"));
    QVERIFY(runs.first().utf8);
    QCOMPARE(runs.first().arguments, QStringList({"/maps/e1.wad", "E1M1", "-o", "/maps/e1_vtl.wad"}));
}

void TestConsole::theEndGoesBelowNodeBuildersLastLine_data() {
    QTest::addColumn<QByteArray>("output");
    QTest::addColumn<QString>("shown"); // above the console's own last line

    QTest::newRow("a last line ended by a bare carriage return")
        << QByteArray("Saving: 100% done, 0 errors\r") << "Saving: 100% done, 0 errors";
    QTest::newRow("the cursor left above the last line")
        << QByteArray("one\r\ntwo\r\nthree\x1b[2A\r") << "one\ntwo\nthree";
    QTest::newRow("the alternate screen left on") << QByteArray("kept\r\n\x1b[?1049hgone") << "kept";
    // What once ended the front end while NodeBuilder wrote.
    QTest::newRow("a colour with 17 parameters")
        << QByteArray("\x1b[38:2:59:66:97;48:2:36:40:59;58:2:224:175:104;4:3mcoloured\n") << "coloured";
    QTest::newRow("an erase of nearly INT_MAX cells") << QByteArray("abcdef\x1b[3G\x1b[2147483646X\n") << "ab";
    QTest::newRow("C1 code points, then an erase")
        << QByteArray("\xc2\x93\xc2\x94\xc2\x96\x1b[X\n") << QString::fromUtf8("“”–");
}

void TestConsole::theEndGoesBelowNodeBuildersLastLine() {
    QFETCH(QByteArray, output);
    QFETCH(QString, shown);
    StandIn standIn;
    PathPrefix path(standIn.Folder());
    QFile replay(QDir(standIn.Folder()).filePath(QStringLiteral("output.bin")));
    QVERIFY(replay.open(QIODevice::WriteOnly) && replay.write(output) == output.size());
    replay.close();
    Variables variables{{"VANTREL_STANDIN_REPLAY", replay.fileName().toLocal8Bit()}};
    Console console;
    console.Run({QString::fromLatin1(kLine)});
    QVERIFY(console.windowTitle().startsWith(QStringLiteral("Finished - ")));
    QCOMPARE(console.Screen()->ScreenText(), shown + QStringLiteral("\nNodeBuilder finished."));
}

void TestConsole::typedKeysReachNodeBuilder() {
    StandIn standIn;
    PathPrefix path(standIn.Folder());
    Variables variables{{"VANTREL_STANDIN_WAIT_KEY", "1"}};
    Console console;
    const RunOutcome outcome = RunTypingWhenAsked(console, Qt::Key_Q);
    QCOMPARE(int(outcome.kind), int(RunOutcome::Kind::Exited));
    QCOMPARE(standIn.Runs().value(0).key, QStringLiteral("q"));
    QVERIFY2(console.Screen()->ScreenText().contains(QStringLiteral("key=q")),
             qPrintable(console.Screen()->ScreenText()));
}

void TestConsole::keysAreEncodedOrKeptForTheConsole_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<bool>("selected");
    QTest::addColumn<QByteArray>("sent");
    QTest::addColumn<bool>("copied");

    QTest::newRow("Ctrl+C with nothing selected interrupts the program")
        << int(Qt::Key_C) << int(Qt::ControlModifier) << false << QByteArray("\x03") << false;
    QTest::newRow("Ctrl+C with a selection copies it")
        << int(Qt::Key_C) << int(Qt::ControlModifier) << true << QByteArray() << true;
    QTest::newRow("Ctrl+Shift+C copies") << int(Qt::Key_C) << int(Qt::ControlModifier | Qt::ShiftModifier) << true
                                         << QByteArray() << true;
    QTest::newRow("Tab goes to the program, not to the next control")
        << int(Qt::Key_Tab) << int(Qt::NoModifier) << false << QByteArray("\t") << false;
    QTest::newRow("Enter") << int(Qt::Key_Return) << int(Qt::NoModifier) << false << QByteArray("\r") << false;
    QTest::newRow("Shift+Page Up scrolls the console back")
        << int(Qt::Key_PageUp) << int(Qt::ShiftModifier) << false << QByteArray() << false;
}

void TestConsole::keysAreEncodedOrKeptForTheConsole() {
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(bool, selected);
    QFETCH(QByteArray, sent);
    QFETCH(bool, copied);
    TerminalScreen screen;
    screen.Feed("some output");
    if (selected) {
        screen.SelectAll();
    }
    QGuiApplication::clipboard()->setText(QStringLiteral("before"));
    QByteArray typed;
    connect(&screen, &TerminalScreen::Typed, &screen, [&typed](const QByteArray& bytes) { typed += bytes; });
    QTest::keyClick(&screen, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QCOMPARE(typed, sent);
    QCOMPARE(QGuiApplication::clipboard()->text(), copied ? QStringLiteral("some output") : QStringLiteral("before"));
}

void TestConsole::staysOpenAndTellsHowTheRunEnded_data() {
    QTest::addColumn<QByteArray>("variable");
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("lastLine");

    QTest::newRow("finished") << QByteArray("VANTREL_STANDIN_EXIT") << QByteArray("0") << "Finished"
                              << "NodeBuilder finished.";
    QTest::newRow("exit status") << QByteArray("VANTREL_STANDIN_EXIT") << QByteArray("7") << "Exit status 7"
                                 << "NodeBuilder ended with exit status 7.";
    QTest::newRow("signal") << QByteArray("VANTREL_STANDIN_CRASH") << QByteArray("1") << "Ended by signal 6"
                            << "NodeBuilder ended by signal 6 (SIGABRT).";
}

void TestConsole::staysOpenAndTellsHowTheRunEnded() {
    QFETCH(QByteArray, variable);
    QFETCH(QByteArray, value);
    QFETCH(QString, title);
    QFETCH(QString, lastLine);
    StandIn standIn;
    PathPrefix path(standIn.Folder());
    Variables variables{{variable.constData(), value}, {"VANTREL_STANDIN_PROGRESS", "1"}};
    Console console;
    console.Run({QString::fromLatin1(kLine)});
    QVERIFY(console.isVisible());
    QCOMPARE(console.windowTitle(), title + QStringLiteral(" - ") + standIn.Path());
    QVERIFY(console.Screen()->ScreenText().startsWith(QStringLiteral("Working...\nProgress 100%\nDone.\n")));
    QCOMPARE(LastLine(console.Screen()), lastLine);
    QVERIFY(!console.Screen()->Model().CursorVisible());
}

void TestConsole::aResizedConsoleGivesNodeBuilderItsSize_data() {
    QTest::addColumn<int>("columns");
    QTest::addColumn<int>("rows");
    QTest::addColumn<QString>("size"); // what NodeBuilder is told
    QTest::addColumn<bool>("scrollsAcross");

    QTest::newRow("wider and taller") << 120 << 40 << "120x40" << false;
    QTest::newRow("narrower than 80 columns: a scroll bar instead") << 60 << 10 << "80x10" << true;
}

void TestConsole::aResizedConsoleGivesNodeBuilderItsSize() {
    QFETCH(int, columns);
    QFETCH(int, rows);
    QFETCH(QString, size);
    QFETCH(bool, scrollsAcross);
    StandIn standIn;
    PathPrefix path(standIn.Folder());
    const QString release = QDir(standIn.Folder()).filePath(QStringLiteral("release"));
    Variables variables{{"VANTREL_STANDIN_WINCH", "1"}, {"VANTREL_STANDIN_WAIT_FOR", release.toLocal8Bit()}};
    Console console;
    TerminalScreen* screen = console.Screen();
    bool toldWhileRunning = false;
    // Once the stand-in has logged its run it listens for SIGWINCH.
    When(
        &console, [&] { return console.IsRunning() && standIn.Runs().size() == 1; },
        [&] {
            QSize border = screen->size() - screen->viewport()->size();
            if (scrollsAcross) {
                border.rheight() += screen->horizontalScrollBar()->sizeHint().height();
            }
            const QSizeF cell = screen->CellSize();
            const QSize viewport(qCeil(cell.width() * columns) + 1, qCeil(cell.height() * rows) + 1);
            console.resize(console.size() + QSize(1, 1)); // any resize first, which the last must override
            console.resize(console.size() - screen->size() + border + viewport);
            When(
                &console, [&] { return standIn.Runs().constFirst().resizes.contains(size); },
                [&] {
                    toldWhileRunning = true;
                    QFile(release).open(QIODevice::WriteOnly);
                });
        });
    console.Run({QString::fromLatin1(kLine)});
    QVERIFY(toldWhileRunning);
    QCOMPARE(standIn.Runs().constFirst().resizes.constLast(), size);
    QCOMPARE(QStringLiteral("%1x%2").arg(screen->Model().Columns()).arg(screen->Model().Rows()), size);
    QVERIFY(screen->ScreenText().contains(QStringLiteral("size ") + size));
    QCOMPARE(screen->horizontalScrollBar()->maximum() > 0, scrollsAcross);
    // The next run starts at the size the console has.
    console.Run({QString::fromLatin1(kLine)});
    QCOMPARE(standIn.Runs().constLast().size, size);
}

void TestConsole::closingDuringTheRunAsksAndNoKeepsItRunning() {
    StandIn standIn;
    PathPrefix path(standIn.Folder());
    const QString release = QDir(standIn.Folder()).filePath(QStringLiteral("release"));
    Variables variables{{"VANTREL_STANDIN_WAIT_FOR", release.toLocal8Bit()}};
    QuestionAnswerer no(false);
    Console console;
    bool closed = true;
    bool runningAfterNo = false;
    When(
        &console, [&console] { return console.IsRunning(); },
        [&] {
            closed = console.close();
            runningAfterNo = console.IsRunning() && console.isVisible();
            QFile(release).open(QIODevice::WriteOnly);
        });
    const RunOutcome outcome = console.Run(
        {QStringLiteral(R"(vantrel.exe "/maps/e1.wad" E1M1 -o "/maps/e1.wad")"), QStringLiteral("/maps/e1.wad"), true});
    QVERIFY(!closed);
    QVERIFY(runningAfterNo);
    QCOMPARE(int(outcome.kind), int(RunOutcome::Kind::Exited));
    QCOMPARE(no.questions.size(), 1);
    // It names the file at stake, which with "Input File = Output File" is the input itself.
    QVERIFY2(no.questions.first().text.contains(QStringLiteral("/maps/e1.wad")), qPrintable(no.questions.first().text));
    QVERIFY(no.questions.first().text.contains(QStringLiteral("also the input file")));
    QVERIFY(console.isVisible());
    QVERIFY(console.close()); // after the run the console just closes
    QCOMPARE(no.questions.size(), 1);
}

void TestConsole::closingAndYesStopsNodeBuilder_data() {
    QTest::addColumn<bool>("ignoresHangUps");
    QTest::addColumn<int>("signal");

    QTest::newRow("a hang-up ends it") << false << SIGHUP;
    QTest::newRow("one that ignores hang-ups is killed") << true << SIGKILL;
}

void TestConsole::closingAndYesStopsNodeBuilder() {
    QFETCH(bool, ignoresHangUps);
    QFETCH(int, signal);
    StandIn standIn;
    PathPrefix path(standIn.Folder());
    Variables variables{{"VANTREL_STANDIN_WAIT_FOR", QDir(standIn.Folder()).filePath("never").toLocal8Bit()},
                        {"VANTREL_STANDIN_IGNORE_HUP", ignoresHangUps ? "1" : "0"}};
    QuestionAnswerer yes(true);
    Console console;
    // Once the stand-in has logged its run it has set up its signals: a hang-up before that would only
    // show how a program that has not started yet ends.
    When(
        &console, [&] { return console.IsRunning() && standIn.Runs().size() == 1; }, [&console] { console.close(); });
    const RunOutcome outcome = console.Run({QString::fromLatin1(kLine), QStringLiteral("/maps/e1_vtl.wad")});
    QCOMPARE(int(outcome.kind), int(RunOutcome::Kind::Stopped));
    QCOMPARE(outcome.signal, signal);
    QCOMPARE(yes.questions.size(), 1);
    QVERIFY(yes.questions.first().text.contains(QStringLiteral("/maps/e1_vtl.wad")));
    QVERIFY(!console.isVisible());
}

void TestConsole::theNextRunReusesTheConsoleCleared() {
    StandIn standIn;
    PathPrefix path(standIn.Folder());
    BuildRunner runner(BuildRunner::Place::Console);
    {
        Variables variables{{"VANTREL_STANDIN_PROGRESS", "1"}, {"VANTREL_STANDIN_EXIT", "2"}};
        runner.Run({QString::fromLatin1(kLine)});
    }
    Console* first = runner.ConsoleWindow();
    QVERIFY(first->Screen()->ScreenText().contains(QStringLiteral("Progress")));
    runner.Run({QString::fromLatin1(kLine)});
    QCOMPARE(runner.ConsoleWindow(), first);
    QCOMPARE(first->Screen()->Text(), QStringLiteral("NodeBuilder finished."));
    QVERIFY(first->windowTitle().startsWith(QStringLiteral("Finished - ")));
}

void TestConsole::nothingStartedOpensNoConsole() {
    QTemporaryDir empty;
    const QByteArray saved = qgetenv("PATH");
    qputenv("PATH", empty.path().toLocal8Bit());
    BuildRunner runner(BuildRunner::Place::Console);
    const RunOutcome outcome = runner.Run({QString::fromLatin1(kLine)});
    qputenv("PATH", saved);
    QCOMPARE(int(outcome.kind), int(RunOutcome::Kind::NotStarted));
    QVERIFY(outcome.reason.contains(QStringLiteral("vantrel.exe")));
    QVERIFY(runner.ConsoleWindow() == nullptr || !runner.ConsoleWindow()->isVisible());
}

void TestConsole::offersItsTextToScreenReadersAndTheClipboard() {
    TerminalScreen screen;
    QFile capture(QStringLiteral(VANTREL_FIXTURES_DIR "/wine-console.bin"));
    QVERIFY(capture.open(QIODevice::ReadOnly));
    screen.Feed(capture.readAll());
    screen.show();
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(&screen);
    QVERIFY(accessible != nullptr);
    QVERIFY(accessible->state().readOnly);
    QAccessibleTextInterface* text = accessible->textInterface();
    QVERIFY(text != nullptr);
    const QString expected = QStringLiteral("Working...\nProgress 100%\nDone.\n          X");
    QCOMPARE(text->characterCount(), int(expected.size()));
    QCOMPARE(text->text(0, text->characterCount()), expected);
    // The cursor sits on the empty line below the X: past the end of the text.
    QCOMPARE(text->cursorPosition(), text->characterCount());

    text->setSelection(0, 11, 24); // "Progress 100%"
    QCOMPARE(screen.SelectedText(), QStringLiteral("Progress 100%"));
    QTest::keyClick(&screen, Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("Progress 100%"));

    // Offsets count the text as the toolkit does, not cells: a combining mark, a character beyond the BMP.
    screen.Clear();
    const QByteArray bytes("cafe\xcc\x81 \xf0\x9f\x98\x80 \xe4\xb8\xad ok");
    screen.Feed(bytes);
    const QString line = QString::fromUtf8(bytes);
    QCOMPARE(text->text(0, text->characterCount()), line);
    QCOMPARE(text->cursorPosition(), int(line.size()));
    text->setSelection(0, int(line.size()) - 2, int(line.size()));
    QCOMPARE(screen.SelectedText(), QStringLiteral("ok"));
}

void TestConsole::theMainWindowTakesInputRightAfterTheEnd() {
    StandIn standIn;
    PathPrefix path(standIn.Folder());
    const QString release = QDir(standIn.Folder()).filePath(QStringLiteral("release"));
    Variables variables{{"VANTREL_STANDIN_PROGRESS", "1"}, {"VANTREL_STANDIN_WAIT_FOR", release.toLocal8Bit()}};
    BuildRunner runner(BuildRunner::Place::Console);
    Form1 form(std::make_unique<MemoryStore>());
    form.SetRunner([&runner](const BuildRequest& request) { return runner.Run(request); });
    form.findChild<QLineEdit*>(QStringLiteral("Text1"))->setText(QStringLiteral("a.wad"));
    form.findChild<QLineEdit*>(QStringLiteral("Text2"))->setText(QStringLiteral("b.wad"));
    form.show();
    auto* build = form.findChild<QPushButton*>(QStringLiteral("Command2"));
    bool formEnabledDuringRun = true;
    bool consoleEnabledDuringRun = false;
    When(
        &form, [&runner] { return runner.ConsoleWindow() != nullptr && runner.ConsoleWindow()->isVisible(); },
        [&] {
            formEnabledDuringRun = form.isEnabled();
            consoleEnabledDuringRun = runner.ConsoleWindow()->isEnabled();
            QFile(release).open(QIODevice::WriteOnly);
        });
    QTest::mouseClick(build, Qt::LeftButton);
    QVERIFY(!formEnabledDuringRun);
    QVERIFY(consoleEnabledDuringRun);
    QVERIFY(form.isEnabled());
    QVERIFY(runner.ConsoleWindow()->isVisible());
    QCOMPARE(LastLine(runner.ConsoleWindow()->Screen()), QStringLiteral("NodeBuilder finished."));

    QTest::mouseClick(build, Qt::LeftButton); // takes the click at once and runs again
    QCOMPARE(standIn.Runs().size(), 2);
}

void TestConsole::withoutATerminalTheMainWindowUsesTheConsoleAndClosesIt() {
    if (isatty(STDOUT_FILENO) != 0) {
        QSKIP("standard output is a terminal here, so NodeBuilder shares it; CTest runs this with a pipe");
    }
    StandIn standIn;
    PathPrefix path(standIn.Folder());
    Form1 form(std::make_unique<MemoryStore>());
    form.findChild<QLineEdit*>(QStringLiteral("Text1"))->setText(QStringLiteral("a.wad"));
    form.findChild<QLineEdit*>(QStringLiteral("Text2"))->setText(QStringLiteral("b.wad"));
    form.show();
    QTest::mouseClick(form.findChild<QPushButton*>(QStringLiteral("Command2")), Qt::LeftButton);
    Console* console = nullptr;
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (auto* candidate = qobject_cast<Console*>(window); candidate != nullptr && candidate->isVisible()) {
            console = candidate;
        }
    }
    QVERIFY(console != nullptr);
    QCOMPARE(standIn.Runs().value(0).terminals, QStringLiteral("111"));
    QVERIFY(form.close());
    QVERIFY(!console->isVisible());
}

void TestConsole::sharesOnlyATerminalWhoseForegroundItIsIn_data() {
    QTest::addColumn<int>("output"); // 0: not a terminal, 1: its session's terminal, 2: another terminal
    QTest::addColumn<bool>("background");
    QTest::addColumn<bool>("console");

    QTest::newRow("output that is no terminal") << 0 << false << true;
    QTest::newRow("in its terminal's foreground") << 1 << false << false;
    QTest::newRow("a background job of its terminal") << 1 << true << true;
    QTest::newRow("output to a terminal it was not started from") << 2 << false << true;
}

void TestConsole::sharesOnlyATerminalWhoseForegroundItIsIn() {
    QFETCH(int, output);
    QFETCH(bool, background);
    QFETCH(bool, console);
    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    QVERIFY(master >= 0 && grantpt(master) == 0 && unlockpt(master) == 0);
    std::array<char, 128> name{};
    QVERIFY(ptsname_r(master, name.data(), name.size()) == 0);
    // A child leads a session of its own, as a shell's job does, with the pseudo-terminal as its controlling
    // terminal; a process group of its own puts it in the background. It answers by its exit status.
    const pid_t child = fork();
    if (child == 0) {
        setsid();
        // The first terminal a session leader opens becomes its own, unless it says otherwise.
        const int opened =
            output == 0 ? open("/dev/null", O_WRONLY) : open(name.data(), O_RDWR | (output == 2 ? O_NOCTTY : 0));
        dup2(opened, STDOUT_FILENO);
        const pid_t job = background ? fork() : 0;
        if (job > 0) {
            int status = 0;
            waitpid(job, &status, 0);
            _exit(WEXITSTATUS(status));
        }
        if (background) {
            setpgid(0, 0);
        }
        _exit(BuildRunner().UsesConsole() ? 1 : 0);
    }
    int status = -1;
    QCOMPARE(waitpid(child, &status, 0), child);
    ::close(master);
    QVERIFY(WIFEXITED(status));
    QCOMPARE(WEXITSTATUS(status) == 1, console);
}

QTEST_MAIN(TestConsole)
#include "tst_console.moc"
