#include "Console.h"
#include "ConsoleDriver.h"
#include "LineAnnouncer.h"
#include "MessageRecorder.h"
#include "SaveOutput.h"
#include "StandIn.h"
#include "TerminalScreen.h"
#include "TerminalText.h"

#include <QAccessible>
#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <csignal>

#include <sys/resource.h>

using namespace vantrel;
using namespace console_driver;

namespace {

// Hears what the console announces for the lifetime of this object, as assistive technology would.
class Ear final {
public:
    struct Heard {
        QString text;
        int position{};
        qint64 atMs{};
    };

    Ear()
        : m_previous(SetAnnouncementListener(
              {[this] { return listening; },
               [this](QAccessibleTextInsertEvent& event) {
                   heard.append({event.textInserted(), event.changePosition(), m_clock.elapsed()});
               }})) {
        m_clock.start();
    }
    Ear(const Ear&) = delete;
    Ear& operator=(const Ear&) = delete;
    ~Ear() { SetAnnouncementListener(m_previous); }

    bool listening{true};
    QList<Heard> heard;

private:
    QElapsedTimer m_clock;
    AnnouncementListener m_previous;
};

// Files of this process may grow to `bytes` at most while this object lives: a disk that fills up.
class FileSizeLimit final {
public:
    explicit FileSizeLimit(rlim_t bytes) : m_signal(std::signal(SIGXFSZ, SIG_IGN)) {
        getrlimit(RLIMIT_FSIZE, &m_saved);
        const rlimit limit{bytes, m_saved.rlim_max};
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &m_saved);
        std::signal(SIGXFSZ, m_signal);
    }

private:
    rlimit m_saved{};
    void (*m_signal)(int);
};

QByteArray Lines(const QString& pattern, int count) {
    QByteArray bytes;
    for (int i = 0; i < count; ++i) {
        bytes += pattern.arg(i).toUtf8() + "\r\n";
    }
    return bytes;
}

} // namespace

class TestConsoleTools final : public QObject {
    Q_OBJECT

private slots:
    void stopAsksAsClosingDoesAndStops_data();
    void stopAsksAsClosingDoesAndStops();
    void saveWritesWhatTheConsoleShowsOrKeepsWhatWasThere_data();
    void saveWritesWhatTheConsoleShowsOrKeepsWhatWasThere();
    void findSelectsAndShowsTheMatch_data();
    void findSelectsAndShowsTheMatch();
    void eachCompleteLineIsAnnouncedOnce_data();
    void eachCompleteLineIsAnnouncedOnce();
    void announcementsOfARunAreBatchedAndEndWithIt();
    void aFloodWhileTheConsoleIsResizedLosesNothing();
};

void TestConsoleTools::stopAsksAsClosingDoesAndStops_data() {
    QTest::addColumn<bool>("answer");
    QTest::addColumn<bool>("byKeyboard");
    QTest::addColumn<bool>("ignoresHangUps");
    QTest::addColumn<int>("signal");

    QTest::newRow("No keeps it running") << false << false << false << 0;
    QTest::newRow("Yes, by Alt+S from the terminal, hangs it up") << true << true << false << SIGHUP;
    QTest::newRow("Yes kills one that ignores hang-ups") << true << false << true << SIGKILL;
}

void TestConsoleTools::stopAsksAsClosingDoesAndStops() {
    QFETCH(bool, answer);
    QFETCH(bool, byKeyboard);
    QFETCH(bool, ignoresHangUps);
    QFETCH(int, signal);
    StandIn standIn;
    PathPrefix path(standIn.Folder());
    const QString release = QDir(standIn.Folder()).filePath(QStringLiteral("release"));
    Variables variables{{"VANTREL_STANDIN_WAIT_FOR", release.toLocal8Bit()},
                        {"VANTREL_STANDIN_IGNORE_HUP", ignoresHangUps ? "1" : "0"}};
    QuestionAnswerer answerer(answer);
    Console console;
    auto* stop = console.findChild<QPushButton*>(QStringLiteral("ConsoleStop"));
    QVERIFY(!stop->isEnabled());
    bool enabledDuringRun = false;
    bool enabledAfterAnswer = false;
    // Once the stand-in has logged its run it has set up its signals.
    When(
        &console,
        [&] {
            return console.IsRunning() && standIn.Runs().size() == 1 &&
                   (!byKeyboard || QApplication::activeWindow() == &console);
        },
        [&] {
            enabledDuringRun = stop->isEnabled();
            if (byKeyboard) {
                QTest::keyClick(console.Screen(), Qt::Key_S, Qt::AltModifier);
            } else {
                QTest::mouseClick(stop, Qt::LeftButton);
            }
        });
    // A button's letter clicks it a moment later, as a click shows.
    When(
        &console, [&answerer] { return !answerer.questions.isEmpty(); },
        [&] {
            enabledAfterAnswer = stop->isEnabled();
            if (!answer) {
                QFile(release).open(QIODevice::WriteOnly);
            }
        });
    const RunOutcome outcome = console.Run({QString::fromLatin1(kLine), QStringLiteral("/maps/e1_vtl.wad")});
    QVERIFY(enabledDuringRun);
    QCOMPARE(enabledAfterAnswer, !answer);
    QCOMPARE(answerer.questions.size(), 1);
    QVERIFY(answerer.questions.first().text.contains(QStringLiteral("/maps/e1_vtl.wad")));
    QCOMPARE(int(outcome.kind), int(answer ? RunOutcome::Kind::Stopped : RunOutcome::Kind::Exited));
    QCOMPARE(outcome.signal, signal);
    QVERIFY(console.isVisible()); // unlike closing, Stop leaves the output to read
    QVERIFY(!stop->isEnabled());
}

void TestConsoleTools::saveWritesWhatTheConsoleShowsOrKeepsWhatWasThere_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("diskFull");
    QTest::addColumn<bool>("said");
    QTest::addColumn<bool>("written");

    QTest::newRow("written whole") << "there.txt" << false << false << true;
    QTest::newRow("a folder that does not exist") << "missing/there.txt" << false << true << false;
    QTest::newRow("a disk that fills up while it writes") << "there.txt" << true << true << false;
    QTest::newRow("cancelled") << "" << false << false << false;
}

void TestConsoleTools::saveWritesWhatTheConsoleShowsOrKeepsWhatWasThere() {
    QFETCH(QString, name);
    QFETCH(bool, diskFull);
    QFETCH(bool, said);
    QFETCH(bool, written);
    QTemporaryDir folder;
    const QString there = folder.filePath(QStringLiteral("there.txt"));
    QFile existing(there);
    QVERIFY(existing.open(QIODevice::WriteOnly));
    existing.write("kept whole\n");
    existing.close();
    StandIn standIn;
    PathPrefix path(standIn.Folder());
    const QString flood =
        QString::fromUtf8(Lines(QStringLiteral("line %1 of the flood: abcdefghijklmnopqrstuvwxyz0123456789"), 40))
            .remove(u'\r');
    Variables variables{{"VANTREL_STANDIN_REPLAY", VANTREL_FIXTURES_DIR "/wide-letters-and-trailing-blanks.txt"},
                        {"VANTREL_STANDIN_FLOOD", QByteArray::number(flood.size())}};
    Console console;
    console.Run({QString::fromLatin1(kLine), QStringLiteral("/maps/e1_vtl.wad")});
    QVERIFY(QTest::qWaitForWindowActive(&console));
    const QString chosen = name.isEmpty() ? name : folder.filePath(name);
    SaveNameAnswerer answerer(chosen);
    MessageRecorder messages;
    {
        const FileSizeLimit limit(diskFull ? 16 : RLIM_INFINITY);
        QTest::keyClick(console.Screen(), Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
    }
    QCOMPARE(answerer.suggested, QStringList(QStringLiteral("/maps/e1_vtl-nodebuilder.txt")));
    QCOMPARE(messages.messages.size(), said ? 1 : 0);
    if (said) {
        QVERIFY2(messages.messages.first().text.contains(chosen), qPrintable(messages.messages.first().text));
    }
    QFile file(there);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromUtf8(file.readAll()),
             written ? QStringLiteral("Grüße, 世界\n") + flood + QStringLiteral("NodeBuilder finished.\n")
                     : QStringLiteral("kept whole\n"));
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files), QStringList(QStringLiteral("there.txt")));
}

void TestConsoleTools::findSelectsAndShowsTheMatch_data() {
    QTest::addColumn<QString>("needle");
    QTest::addColumn<QString>("presses"); // n: Enter, p: Shift+Enter
    QTest::addColumn<int>("line");        // where the match is, -1 for none
    QTest::addColumn<QString>("status");

    QTest::newRow("typing finds the first match, up in the scrollback") << "warning"
                                                                        << "" << 5 << "";
    QTest::newRow("Enter finds the next") << "warning"
                                          << "n" << 50 << "";
    QTest::newRow("past the last it goes on from the top") << "warning"
                                                           << "nn" << 5 << "Continued from the top";
    QTest::newRow("Shift+Enter before the first goes on from the bottom") << "warning"
                                                                          << "p" << 50 << "Continued from the bottom";
    QTest::newRow("whatever the case") << "WARNING"
                                       << "" << 5 << "";
    QTest::newRow("nothing found is said") << "nowhere"
                                           << "" << -1 << "Not found";
}

void TestConsoleTools::findSelectsAndShowsTheMatch() {
    QFETCH(QString, needle);
    QFETCH(QString, presses);
    QFETCH(int, line);
    QFETCH(QString, status);
    Console console;
    TerminalScreen* screen = console.Screen();
    QByteArray output = Lines(QStringLiteral("step %1"), 60);
    for (const int warned : {5, 50}) {
        output.replace(QStringLiteral("step %1\r").arg(warned).toUtf8(), "Warning: no nodes\r");
    }
    screen->Feed(output);
    console.show();
    QVERIFY(QTest::qWaitForWindowActive(&console));
    screen->setFocus();
    QTest::keyClick(screen, Qt::Key_F, Qt::ControlModifier | Qt::ShiftModifier);
    auto* field = console.findChild<QLineEdit*>(QStringLiteral("ConsoleFindText"));
    QVERIFY(field->isVisible());
    QVERIFY(field->hasFocus());
    QTest::keyClicks(field, needle);
    for (const QChar press : presses) {
        QTest::keyClick(field, Qt::Key_Return, press == u'p' ? Qt::ShiftModifier : Qt::NoModifier);
    }
    QCOMPARE(console.findChild<QLabel*>(QStringLiteral("ConsoleFindStatus"))->text(), status);
    QCOMPARE(screen->HasSelection(), line >= 0);
    if (line >= 0) {
        const int start = screen->View().SelectionOffsets().first;
        QCOMPARE(screen->SelectedText().toLower(), needle.toLower());
        QCOMPARE(screen->Text().left(start).count(u'\n'), line);
        QVERIFY(screen->viewport()->geometry().contains(screen->CellRect(PlaceOf(screen->Model(), start)).center()));
    }
    QTest::keyClick(field, Qt::Key_Escape);
    QVERIFY(!field->isVisible());
    QVERIFY(screen->hasFocus());
}

void TestConsoleTools::eachCompleteLineIsAnnouncedOnce_data() {
    QTest::addColumn<QStringList>("chunks"); // each fed, then announced
    QTest::addColumn<int>("unheard");        // how many chunks come first with nobody listening
    QTest::addColumn<QStringList>("heard");

    QTest::newRow("each line once the cursor has left it")
        << QStringList{"one\r\ntwo\r\nthr", "ee\r\n"} << 0 << QStringList{"one\ntwo", "three"};
    QTest::newRow("blank lines are not said") << QStringList{"one\r\n\r\n\r\ntwo\r\n"} << 0 << QStringList{"one\ntwo"};
    QTest::newRow("a flood is summed up") << QStringList{QString::fromUtf8(Lines(QStringLiteral("line %1"), 20))} << 0
                                          << QStringList{"line 0\nline 1\nline 2\n17 more lines"};
    QTest::newRow("a progress line at each step of ten per cent, and not again once complete")
        << QStringList{"Progress   1%", "\rProgress   5%", "\rProgress  12%", "\rProgress  12%\r\nDone.\r\n"} << 0
        << QStringList{"Progress   1%", "Progress  12%", "Done."};
    QTest::newRow("what came while nobody listened is never said")
        << QStringList{"one\r\n", "two\r\n"} << 1 << QStringList{"two"};
}

void TestConsoleTools::eachCompleteLineIsAnnouncedOnce() {
    QFETCH(QStringList, chunks);
    QFETCH(int, unheard);
    QFETCH(QStringList, heard);
    Ear ear;
    TerminalScreen screen;
    auto* announcer = new LineAnnouncer(&screen);
    QStringList texts;
    for (qsizetype i = 0; i < chunks.size(); ++i) {
        ear.listening = i >= unheard;
        screen.Feed(chunks.at(i).toUtf8());
        announcer->Heard();
        announcer->Announce();
        for (const Ear::Heard& announcement : ear.heard.mid(texts.size())) {
            texts.append(announcement.text);
            // Said where it stands in the terminal's text.
            QVERIFY(screen.Text().mid(announcement.position).startsWith(announcement.text.section(u'\n', 0, 0)));
        }
    }
    QCOMPARE(texts, heard);
}

void TestConsoleTools::announcementsOfARunAreBatchedAndEndWithIt() {
    StandIn standIn;
    PathPrefix path(standIn.Folder());
    Variables variables{{"VANTREL_STANDIN_PROGRESS", "1"}, {"VANTREL_STANDIN_FLOOD", "200000"}};
    Ear ear;
    Console console;
    console.Run({QString::fromLatin1(kLine)});
    QTRY_VERIFY(!ear.heard.isEmpty() && ear.heard.last().text.endsWith(QStringLiteral("\nNodeBuilder finished.")));
    QVERIFY(ear.heard.first().text.startsWith(QStringLiteral("Working...\nProgress 100%\nDone.")));
    bool summed = false;
    for (qsizetype i = 0; i < ear.heard.size(); ++i) {
        summed = summed || ear.heard.at(i).text.contains(QStringLiteral(" more lines"));
        if (i > 0) {
            QCOMPARE_GE(ear.heard.at(i).atMs - ear.heard.at(i - 1).atMs, qint64{LineAnnouncer::kIntervalMs});
        }
    }
    QVERIFY(summed);
}

void TestConsoleTools::aFloodWhileTheConsoleIsResizedLosesNothing() {
    StandIn standIn;
    PathPrefix path(standIn.Folder());
    // The flood goes on until the console has taken a few resizes, however fast either side is.
    const QString release = QDir(standIn.Folder()).filePath(QStringLiteral("release"));
    Variables variables{{"VANTREL_STANDIN_FLOOD", "1000000"}, {"VANTREL_STANDIN_FLOOD_UNTIL", release.toLocal8Bit()}};
    Console console;
    QSignalSpy taken(console.Screen(), &TerminalScreen::Resized);
    int resizes = 0;
    QTimer resizer;
    // Taller and shorter, wider and narrower than 80 columns, in turn while the flood comes.
    connect(&resizer, &QTimer::timeout, &console, [&] {
        const int step = ++resizes % 4;
        console.resize(console.sizeHint() + QSize(step * 150 - 300, step * 100 - 150));
        if (taken.count() >= 3) {
            QFile(release).open(QIODevice::WriteOnly);
        }
    });
    When(
        &console, [&console] { return console.IsRunning(); },
        [&resizer] { resizer.start(TerminalScreen::kResizeSettleMs * 2); });
    console.Run({QString::fromLatin1(kLine)});
    resizer.stop();
    // What the scrollback and the screen keep is the end of the flood, every line whole and in its place.
    const QString shown = console.Screen()->Text();
    const QString end = QStringLiteral("\nNodeBuilder finished.");
    QVERIFY(shown.endsWith(end));
    const QStringList kept = shown.chopped(end.size()).split(u'\n');
    QCOMPARE_GE(kept.size(), static_cast<qsizetype>(TerminalScreen::kScrollbackLines));
    const QString pattern = QStringLiteral("line %1 of the flood: abcdefghijklmnopqrstuvwxyz0123456789");
    const int first = kept.first().section(u' ', 1, 1).toInt();
    for (qsizetype i = 0; i < kept.size(); ++i) {
        QCOMPARE(kept.at(i), pattern.arg(first + i));
    }
}

QTEST_MAIN(TestConsoleTools)
#include "tst_consoletools.moc"
