#include "FileNames.h"

#include <QTest>

using namespace vantrel;

class TestFileNames final : public QObject {
    Q_OBJECT

private slots:
    void derivesTheOutputName_data();
    void derivesTheOutputName();
    void testsDroppedNames_data();
    void testsDroppedNames();
    void matchesWildcards_data();
    void matchesWildcards();
};

void TestFileNames::derivesTheOutputName_data() {
    QTest::addColumn<QString>("input");
    QTest::addColumn<int>("check4");
    QTest::addColumn<QString>("expected");

    QTest::newRow("checked copies the input") << "C:\\maps\\E1M1.WAD" << 1 << "C:\\maps\\E1M1.WAD";
    QTest::newRow("checked copies even a short input") << "ab" << 1 << "ab";
    QTest::newRow("unchecked replaces the extension") << "C:\\maps\\e1.wad" << 0 << "C:\\maps\\e1_vtl.wad";
    QTest::newRow("suffix stays lower case") << "C:\\maps\\E1M1.WAD" << 0 << "C:\\maps\\E1M1_vtl.wad";
    QTest::newRow("grey derives like unchecked") << "C:\\maps\\e1.wad" << 2 << "C:\\maps\\e1_vtl.wad";
    QTest::newRow("four characters are cut whatever they are") << "C:\\maps\\level" << 0 << "C:\\maps\\l_vtl.wad";
    QTest::newRow("exactly four characters") << "a.wa" << 0 << "_vtl.wad";
    QTest::newRow("three characters: what there is is cut") << "abc" << 0 << "_vtl.wad";
    QTest::newRow("one character") << "a" << 0 << "_vtl.wad";
    QTest::newRow("empty input") << "" << 0 << "_vtl.wad";
    QTest::newRow("suffix added again") << "C:\\maps\\e1_vtl.wad" << 0 << "C:\\maps\\e1_vtl_vtl.wad";
    QTest::newRow("accented letters before the cut stay whole") << "/maps/café.wad" << 0 << "/maps/café_vtl.wad";
    QTest::newRow("other scripts") << "/карты/уровень.wad" << 0 << "/карты/уровень_vtl.wad";
}

void TestFileNames::derivesTheOutputName() {
    QFETCH(QString, input);
    QFETCH(int, check4);
    QFETCH(QString, expected);
    QCOMPARE(QString::fromStdString(OutputNameFor(input.toStdString(), check4)), expected);
}

void TestFileNames::testsDroppedNames_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("taken");

    QTest::newRow("lower case") << "/maps/e1.wad" << true;
    QTest::newRow("upper case") << "C:\\maps\\E1M1.WAD" << true;
    QTest::newRow("a .pwad is not taken by the drop") << "/maps/x.pwad" << false;
    QTest::newRow("text file") << "C:\\maps\\readme.txt" << false;
    QTest::newRow("no dot before wad") << "C:\\maps\\mywad" << false;
    QTest::newRow("just the extension") << ".wad" << true;
    QTest::newRow("shorter than four characters") << "wad" << false;
    QTest::newRow("empty") << "" << false;
    QTest::newRow("non-ASCII before the extension") << "/maps/ü.wad" << true;
    QTest::newRow("trailing blank") << "/maps/e1.wad " << false;
}

void TestFileNames::testsDroppedNames() {
    QFETCH(QString, name);
    QFETCH(bool, taken);
    QCOMPARE(IsWadFileName(name.toStdString()), taken);
}

void TestFileNames::matchesWildcards_data() {
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("matches");

    QTest::newRow("WAD list: doom2.wad") << "*.*wad"
                                         << "doom2.wad" << true;
    QTest::newRow("WAD list: upper case") << "*.*wad"
                                          << "E1M1.WAD" << true;
    QTest::newRow("WAD list: pwad") << "*.*wad"
                                    << "x.pwad" << true;
    QTest::newRow("WAD list: several dots") << "*.*wad"
                                            << "my.level.v2.wad" << true;
    QTest::newRow("WAD list: text file") << "*.*wad"
                                         << "readme.txt" << false;
    QTest::newRow("WAD list: no dot") << "*.*wad"
                                      << "mywad" << false;
    QTest::newRow("WAD list: wad not at the end") << "*.*wad"
                                                  << "e1.wad.bak" << false;
    QTest::newRow("WAD list: accented name") << "*.*wad"
                                             << "élan.WAD" << true;
    QTest::newRow("star matches nothing") << "*"
                                          << "" << true;
    QTest::newRow("backtracking over several stars") << "a*b*c"
                                                     << "axxbyybzzc" << true;
    QTest::newRow("backtracking fails cleanly") << "a*b*c"
                                                << "axxbyyb" << false;
    QTest::newRow("question mark takes one character") << "e?.wad"
                                                       << "e1.wad" << true;
    QTest::newRow("question mark takes a whole multi-byte character") << "?.wad"
                                                                      << "é.wad" << true;
    QTest::newRow("question mark needs a character") << "e?.wad"
                                                     << "e.wad" << false;
    QTest::newRow("literal pattern, other case") << "DOOM.WAD"
                                                 << "doom.wad" << true;
    QTest::newRow("empty pattern matches only empty") << ""
                                                      << "a" << false;
}

void TestFileNames::matchesWildcards() {
    QFETCH(QString, pattern);
    QFETCH(QString, name);
    QFETCH(bool, matches);
    QCOMPARE(MatchesWildcard(pattern.toStdString(), name.toStdString()), matches);
}

QTEST_APPLESS_MAIN(TestFileNames)
#include "tst_filenames.moc"
