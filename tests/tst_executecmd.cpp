#include "ExecuteCmd.h"
#include "StandIn.h"

#include <QCoreApplication>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#ifndef Q_OS_WIN
#include <sys/stat.h>
#endif

using namespace vantrel;

class TestExecuteCmd final : public QObject {
    Q_OBJECT

private slots:
    void splitsTheLine_data();
    void splitsTheLine();
    void findsTheProgram_data();
    void findsTheProgram();
    void handsTheArgumentsOverExactly();
    void findsItBesideTheFrontEndFromAnotherFolder();
    void reportsHowTheRunEnded_data();
    void reportsHowTheRunEnded();
    void inheritsStandardInputAndCurrentFolder();
    void startsAWindowsProgramThroughWine();
    void reportsAProgramThatIsNotThere();

private:
    static void MakeFile(const QString& path, const QByteArray& content, bool executable);
};

void TestExecuteCmd::splitsTheLine_data() {
    QTest::addColumn<QString>("line");
    QTest::addColumn<QStringList>("arguments");

    QTest::newRow("blanks separate") << "a b  c" << QStringList{"a", "b", "c"};
    QTest::newRow("quoted stretch is one argument") << R"(x "a b" y)" << QStringList{"x", "a b", "y"};
    QTest::newRow("quotes join with the text around them") << R"(pre"mid dle"post)" << QStringList{"premid dlepost"};
    QTest::newRow("empty quotes make an empty argument") << R"(a "" b)" << QStringList{"a", "", "b"};
    QTest::newRow("leading and trailing blanks vanish") << "  a  " << QStringList{"a"};
    QTest::newRow("an unclosed quote runs to the end") << R"(a "b c)" << QStringList{"a", "b c"};
    QTest::newRow("backslashes are not special") << R"("C:\maps\" x)" << QStringList{"C:\\maps\\", "x"};
    QTest::newRow("tabs are not separators") << "a\tb" << QStringList{"a\tb"};
    QTest::newRow("empty line") << "" << QStringList{};
    QTest::newRow("a composed line with an empty level")
        << R"(vantrel.exe -n1 "in put.wad"  -o "out.wad")"
        << QStringList{"vantrel.exe", "-n1", "in put.wad", "-o", "out.wad"};
}

void TestExecuteCmd::splitsTheLine() {
    QFETCH(QString, line);
    QFETCH(QStringList, arguments);
    QCOMPARE(SplitCommandLine(line), arguments);
}

void TestExecuteCmd::MakeFile(const QString& path, const QByteArray& content, bool executable) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
    file.close();
    QFile::Permissions permissions = QFile::ReadOwner | QFile::WriteOwner;
    if (executable) {
        permissions |= QFile::ExeOwner;
    }
    QVERIFY(file.setPermissions(permissions));
}

void TestExecuteCmd::findsTheProgram_data() {
    // Each file is "<folder>/<name>:<kind>", folder "own", "p1" or "p2"; kind x (executable), mz (a
    // Windows program, not executable), plain (neither). "wine" in a folder makes wine available there.
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QString>("found"); // "<folder>/<name>", empty when nothing is found
    QTest::addColumn<bool>("throughWine");
    QTest::addColumn<bool>("startable");

    QTest::newRow("own folder before PATH")
        << QStringList{"own/vantrel.exe:x", "p1/vantrel.exe:x"} << "own/vantrel.exe" << false << true;
    QTest::newRow("PATH in order") << QStringList{"p2/vantrel.exe:x", "p1/vantrel.exe:x"} << "p1/vantrel.exe" << false
                                   << true;
    QTest::newRow("name without .exe") << QStringList{"p2/vantrel:x"} << "p2/vantrel" << false << true;
    QTest::newRow("name as written first in each folder")
        << QStringList{"p1/vantrel:x", "p1/vantrel.exe:x"} << "p1/vantrel.exe" << false << true;
    QTest::newRow("an earlier folder's short name beats a later exact name")
        << QStringList{"p1/vantrel:x", "p2/vantrel.exe:x"} << "p1/vantrel" << false << true;
    QTest::newRow("a plain file is passed over")
        << QStringList{"own/vantrel.exe:plain", "p2/vantrel.exe:x"} << "p2/vantrel.exe" << false << true;
    QTest::newRow("a Windows program goes through wine")
        << QStringList{"p1/vantrel.exe:mz", "p2/wine:x"} << "p1/vantrel.exe" << true << true;
    QTest::newRow("a Windows program without wine cannot start")
        << QStringList{"own/vantrel.exe:mz"} << "own/vantrel.exe" << true << false;
    QTest::newRow("nowhere") << QStringList{"p1/other:x"} << "" << false << false;
}

void TestExecuteCmd::findsTheProgram() {
#ifdef Q_OS_WIN
    QSKIP("Windows: the system finds the program");
#endif
    QFETCH(QStringList, files);
    QFETCH(QString, found);
    QFETCH(bool, throughWine);
    QFETCH(bool, startable);

    QTemporaryDir root;
    for (const char* folder : {"own", "p1", "p2"}) {
        QVERIFY(QDir(root.path()).mkdir(QString::fromLatin1(folder)));
    }
    for (const QString& file : files) {
        const QString kind = file.section(u':', 1);
        MakeFile(root.filePath(file.section(u':', 0, 0)), kind == u"mz" ? "MZ\x90\x00" : "#!/bin/sh\n", kind == u"x");
    }
    const QString path = root.filePath("p1") + QDir::listSeparator() + root.filePath("p2");
    const ProgramLocation location = FindProgram(QStringLiteral("vantrel.exe"), root.filePath("own"), path);

    QCOMPARE(location.path, found.isEmpty() ? QString() : QFileInfo(root.filePath(found)).absoluteFilePath());
    QCOMPARE(location.problem.isEmpty(), startable);
    if (throughWine && startable) {
        QCOMPARE(location.interpreter, root.filePath("p2/wine"));
    } else {
        QVERIFY(location.interpreter.isEmpty());
    }
    if (found.isEmpty()) {
        QCOMPARE(location.searched, QStringList({root.filePath("own"), root.filePath("p1"), root.filePath("p2")}));
    }
}

void TestExecuteCmd::handsTheArgumentsOverExactly() {
    StandIn standIn;
    PathPrefix path(standIn.Folder());
    const QString line = QStringLiteral(
        R"(vantrel.exe -n1 -b -bc -nu -ni- -rc -rg "/maps/my levels/zoë Ωmega.wad" E1M1 -o "/maps/out.wad")");
    const RunOutcome outcome = RunAndWait(line);
    QCOMPARE(int(outcome.kind), int(RunOutcome::Kind::Exited));
    QCOMPARE(outcome.exitStatus, 0);
    const auto runs = standIn.Runs();
    QCOMPARE(runs.size(), 1);
    QCOMPARE(runs.first().arguments, QStringList({"-n1", "-b", "-bc", "-nu", "-ni-", "-rc", "-rg",
                                                  "/maps/my levels/zoë Ωmega.wad", "E1M1", "-o", "/maps/out.wad"}));
}

void TestExecuteCmd::findsItBesideTheFrontEndFromAnotherFolder() {
    // The usual arrangement: NodeBuilder beside the front end, started from wherever, with nothing on PATH.
    const StandIn log; // only its log: its own copy is on no search path
    const QString beside = QCoreApplication::applicationDirPath() + QStringLiteral("/vantrel.exe");
    QFile::remove(beside);
    QVERIFY(QFile::copy(StandIn::Built(), beside));
    QTemporaryDir elsewhere;
    const QString savedFolder = QDir::currentPath();
    const QByteArray savedPath = qgetenv("PATH");
    const auto restore = qScopeGuard([&] {
        QDir::setCurrent(savedFolder);
        qputenv("PATH", savedPath);
        QFile::remove(beside);
    });
    QVERIFY(QDir::setCurrent(elsewhere.path()));
    qputenv("PATH", elsewhere.path().toLocal8Bit());

    // Blanks, and letters inside and outside the 8-bit code page: the wide call passes them whole.
    const RunOutcome outcome =
        RunAndWait(QStringLiteral(R"(vantrel.exe -n2 "C:\my levels\Ωmega ü.wad" MAP01 -o "C:\my levels\out.wad")"));
    QCOMPARE(int(outcome.kind), int(RunOutcome::Kind::Exited));
    const auto runs = log.Runs();
    QCOMPARE(runs.size(), 1);
    QCOMPARE(runs.first().arguments,
             QStringList({"-n2", R"(C:\my levels\Ωmega ü.wad)", "MAP01", "-o", R"(C:\my levels\out.wad)"}));
    QCOMPARE(QFileInfo(runs.first().cwd).canonicalFilePath(), QFileInfo(elsewhere.path()).canonicalFilePath());
}

void TestExecuteCmd::reportsHowTheRunEnded_data() {
    QTest::addColumn<QByteArray>("variable");
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("status");

    QTest::newRow("success") << QByteArray("VANTREL_STANDIN_EXIT") << QByteArray("0") << int(RunOutcome::Kind::Exited)
                             << 0;
    QTest::newRow("non-zero status") << QByteArray("VANTREL_STANDIN_EXIT") << QByteArray("3")
                                     << int(RunOutcome::Kind::Exited) << 3;
    QTest::newRow("crash") << QByteArray("VANTREL_STANDIN_CRASH") << QByteArray("1") << int(RunOutcome::Kind::Crashed)
                           << -1;
#ifdef Q_OS_WIN
    // Exit codes, as the stand-in's main returns them (0xC000013A and 0xFFFFFFFF as an int).
    QTest::newRow("its console closed, or Ctrl+C in it")
        << QByteArray("VANTREL_STANDIN_EXIT") << QByteArray("-1073741510") << int(RunOutcome::Kind::Stopped) << -1;
    QTest::newRow("exit status -1 is no crash")
        << QByteArray("VANTREL_STANDIN_EXIT") << QByteArray("-1") << int(RunOutcome::Kind::Exited) << -1;
#endif
}

void TestExecuteCmd::reportsHowTheRunEnded() {
    QFETCH(QByteArray, variable);
    QFETCH(QByteArray, value);
    QFETCH(int, kind);
    QFETCH(int, status);
    StandIn standIn;
    PathPrefix path(standIn.Folder());
    const Variables variables{{variable.constData(), value}};
    const RunOutcome outcome = RunAndWait(QStringLiteral(R"(vantrel.exe "a.wad" E1M1 -o "b.wad")"));
    QCOMPARE(int(outcome.kind), kind);
    QCOMPARE(outcome.program, QStringLiteral("vantrel.exe"));
    if (kind == int(RunOutcome::Kind::Exited)) {
        QCOMPARE(outcome.exitStatus, status);
    }
    QCOMPARE(standIn.Runs().size(), 1);
}

void TestExecuteCmd::inheritsStandardInputAndCurrentFolder() {
    StandIn standIn;
    PathPrefix path(standIn.Folder());
    QTemporaryDir workFolder;
    const QString saved = QDir::currentPath();
    QVERIFY(QDir::setCurrent(workFolder.path()));
    RunAndWait(QStringLiteral(R"(vantrel.exe "a.wad" E1M1 -o "b.wad")"));
    QDir::setCurrent(saved);

    const auto runs = standIn.Runs();
    QCOMPARE(runs.size(), 1);
    QCOMPARE(QFileInfo(runs.first().cwd).canonicalFilePath(), QFileInfo(workFolder.path()).canonicalFilePath());
#ifndef Q_OS_WIN
    // The same standard input as ours, never a new pipe that nobody writes to.
    struct stat own {};
    QCOMPARE(fstat(0, &own), 0);
    QVERIFY2(runs.first().stdinKind.endsWith(QStringLiteral(":%1:%2").arg(own.st_dev).arg(own.st_ino)),
             qPrintable(runs.first().stdinKind));
#endif
}

void TestExecuteCmd::startsAWindowsProgramThroughWine() {
#ifdef Q_OS_WIN
    QSKIP("on Windows a Windows program starts by itself");
#endif
    StandIn wine(QStringLiteral("wine"));
    QTemporaryDir programFolder;
    MakeFile(programFolder.filePath("vantrel.exe"), "MZ\x90\x00", false);
    PathPrefix programPath(programFolder.path());
    PathPrefix winePath(wine.Folder());
    const RunOutcome outcome = RunAndWait(QStringLiteral(R"(vantrel.exe -t "a b.wad" E1M1 -o "c.wad")"));
    QCOMPARE(int(outcome.kind), int(RunOutcome::Kind::Exited));
    const auto runs = wine.Runs();
    QCOMPARE(runs.size(), 1);
    QCOMPARE(runs.first().arguments,
             QStringList({programFolder.filePath("vantrel.exe"), "-t", "a b.wad", "E1M1", "-o", "c.wad"}));
}

void TestExecuteCmd::reportsAProgramThatIsNotThere() {
    QTemporaryDir emptyFolder;
    const QByteArray saved = qgetenv("PATH");
    qputenv("PATH", emptyFolder.path().toLocal8Bit());
    const RunOutcome outcome = RunAndWait(QStringLiteral(R"(vantrel.exe "a.wad" E1M1 -o "b.wad")"));
    qputenv("PATH", saved);
    QCOMPARE(int(outcome.kind), int(RunOutcome::Kind::NotStarted));
    QVERIFY(outcome.reason.contains(QStringLiteral("vantrel.exe")));
#ifdef Q_OS_WIN
    // The system's own order: the front end's folder, the current folder, the system's, then PATH.
    QCOMPARE(outcome.searched,
             QStringList({QDir::toNativeSeparators(QCoreApplication::applicationDirPath()),
                          QDir::toNativeSeparators(QDir::currentPath()), QStringLiteral("the Windows system folders"),
                          QDir::toNativeSeparators(emptyFolder.path())}));
#else
    QCOMPARE(outcome.searched, QStringList({QCoreApplication::applicationDirPath(), emptyFolder.path()}));
#endif
}

QTEST_GUILESS_MAIN(TestExecuteCmd)
#include "tst_executecmd.moc"
