#include "CommandLine.h"
#include "OptionsFactory.h"

#include <QTest>

using namespace vantrel;

Q_DECLARE_METATYPE(BuildOptions)

class TestCommandLine final : public QObject {
    Q_OBJECT

private slots:
    void composesTheWholeLine_data();
    void composesTheWholeLine();
    void checksTheFields_data();
    void checksTheFields();
};

void TestCommandLine::composesTheWholeLine_data() {
    QTest::addColumn<BuildOptions>("options");
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("level");
    QTest::addColumn<QString>("output");
    QTest::addColumn<QString>("expected");

    const QString in = QStringLiteral("C:\\maps\\e1.wad");
    const QString out = QStringLiteral("C:\\maps\\e1_vtl.wad");
    QTest::newRow("defaults")
        << MakeOptions(0, 1, "010", "0011") << in << "E1M1" << out
        << R"(vantrel.exe -n1 -b -bc -nu -ni- -rc -rg "C:\maps\e1.wad" E1M1 -o "C:\maps\e1_vtl.wad")";
    QTest::newRow("every option off states only the explicit switches")
        << MakeOptions(-1, -1, "000", "0000") << in << "E1M1" << out
        << R"(vantrel.exe -nu- -ni- -rc- -rg- "C:\maps\e1.wad" E1M1 -o "C:\maps\e1_vtl.wad")";
    QTest::newRow("every option on, in table order")
        << MakeOptions(2, 2, "111", "1111", 1) << in << "MAP01" << out
        << R"(vantrel.exe -n3 -b- -bc- -nq -nu -ni -rz -rf -rc -rg -t "C:\maps\e1.wad" MAP01 -o "C:\maps\e1_vtl.wad")";
    QTest::newRow("blockmap 0 keeps one blank before the next switch")
        << MakeOptions(1, 0, "010", "0000") << in << "E1M1" << out
        << R"(vantrel.exe -n2 -b -bc- -nu -ni- -rc- -rg- "C:\maps\e1.wad" E1M1 -o "C:\maps\e1_vtl.wad")";
    QTest::newRow("grey counts as off, the explicit off switches appear")
        << MakeOptions(0, 1, "222", "2222", 2) << in << "E1M1" << out
        << R"(vantrel.exe -n1 -b -bc -nu- -ni- -rc- -rg- "C:\maps\e1.wad" E1M1 -o "C:\maps\e1_vtl.wad")";
    QTest::newRow("empty level leaves two blanks before -o")
        << MakeOptions(0, 1, "010", "0011") << in << "" << out
        << R"(vantrel.exe -n1 -b -bc -nu -ni- -rc -rg "C:\maps\e1.wad"  -o "C:\maps\e1_vtl.wad")";
    QTest::newRow("blanks and non-ASCII letters in paths stay inside the quotes")
        << MakeOptions(0, 1, "010", "0011") << "/home/zoë/my maps/élan.wad"
        << "E2M3"
        << "/home/zoë/my maps/élan_vtl.wad"
        << R"(vantrel.exe -n1 -b -bc -nu -ni- -rc -rg "/home/zoë/my maps/élan.wad" E2M3 -o "/home/zoë/my maps/élan_vtl.wad")";
    QTest::newRow("the level is never quoted")
        << MakeOptions(0, 1, "010", "0011") << "a.wad"
        << "E1M1 E1M2"
        << "b.wad"
        << R"(vantrel.exe -n1 -b -bc -nu -ni- -rc -rg "a.wad" E1M1 E1M2 -o "b.wad")";
}

void TestCommandLine::composesTheWholeLine() {
    QFETCH(BuildOptions, options);
    QFETCH(QString, input);
    QFETCH(QString, level);
    QFETCH(QString, output);
    QFETCH(QString, expected);
    const std::string in = input.toStdString();
    const std::string lv = level.toStdString();
    const std::string out = output.toStdString();
    QCOMPARE(QString::fromStdString(ComposeCommandLine(options, {in, out, lv})), expected);
}

void TestCommandLine::checksTheFields_data() {
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("output");
    QTest::addColumn<QString>("level");
    QTest::addColumn<int>("problem");

    QTest::newRow("both paths filled") << "a.wad"
                                       << "b.wad"
                                       << "E1M1" << int(FieldProblem::None);
    QTest::newRow("empty level is no problem") << "a.wad"
                                               << "b.wad"
                                               << "" << int(FieldProblem::None);
    QTest::newRow("blanks only still count as filled") << " "
                                                       << "  "
                                                       << "" << int(FieldProblem::None);
    QTest::newRow("empty input") << ""
                                 << "b.wad"
                                 << "E1M1" << int(FieldProblem::EmptyPath);
    QTest::newRow("empty output") << "a.wad"
                                  << ""
                                  << "E1M1" << int(FieldProblem::EmptyPath);
    QTest::newRow("emptiness is reported before a quote") << ""
                                                          << "b\".wad"
                                                          << "" << int(FieldProblem::EmptyPath);
    QTest::newRow("quote in input") << "a\".wad"
                                    << "b.wad"
                                    << "E1M1" << int(FieldProblem::DoubleQuote);
    QTest::newRow("quote in output") << "a.wad"
                                     << "\"b.wad"
                                     << "E1M1" << int(FieldProblem::DoubleQuote);
    QTest::newRow("quote in level") << "a.wad"
                                    << "b.wad"
                                    << "E1M1\" -t \"" << int(FieldProblem::DoubleQuote);
}

void TestCommandLine::checksTheFields() {
    QFETCH(QString, input);
    QFETCH(QString, output);
    QFETCH(QString, level);
    QFETCH(int, problem);
    const std::string in = input.toStdString();
    const std::string out = output.toStdString();
    const std::string lv = level.toStdString();
    QCOMPARE(int(CheckBuildFields({in, out, lv})), problem);
}

QTEST_APPLESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
