#include "MemoryStore.h"
#include "OptionsFactory.h"
#include "Settings.h"

#include <QTest>

using namespace vantrel;

Q_DECLARE_METATYPE(BuildOptions)
Q_DECLARE_METATYPE(std::optional<bool>)
Q_DECLARE_METATYPE(std::optional<int>)

class TestSettings final : public QObject {
    Q_OBJECT

private slots:
    void emptyStoreGivesTheDefaults();
    void groupOutcomes_data();
    void groupOutcomes();
    void booleanTexts_data();
    void booleanTexts();
    void checkTexts_data();
    void checkTexts();
    void junkInOneKeyLeavesTheOthersLoaded();
    void savesEveryKeyInTableOrder();
    void roundTripKeepsEveryState_data();
    void roundTripKeepsEveryState();
    void saveReportsAFailedFlush();
};

void TestSettings::emptyStoreGivesTheDefaults() {
    MemoryStore store;
    const BuildOptions loaded = LoadOptions(store, InitialOptions());
    QCOMPARE(loaded, MakeOptions(0, 1, "010", "0011", 0, 0));
    // The keys are read in the stored order, spelled out here rather than taken from the key table itself.
    const std::vector<std::string> expected{"N1",      "N2",      "N3",      "B1",      "B2",
                                            "B3",      "Option1", "Option2", "Option3", "Option4",
                                            "Option5", "Option6", "Option7", "Option8", "Option9"};
    QCOMPARE(store.reads, expected);
}

void TestSettings::groupOutcomes_data() {
    QTest::addColumn<QString>("prefix");
    QTest::addColumn<QString>("key1");
    QTest::addColumn<QString>("key2");
    QTest::addColumn<QString>("key3");
    QTest::addColumn<int>("selected");

    // An empty text stands for a key that is missing, which reads as its row's default.
    for (const QString& prefix : {QStringLiteral("N"), QStringLiteral("B")}) {
        const auto row = [&prefix](const char* name) -> QTestData& {
            return QTest::addRow("%s: %s", qPrintable(prefix), name) << prefix;
        };
        row("F F F selects none") << "False"
                                  << "False"
                                  << "False" << -1;
        row("T F F selects 0") << "True"
                               << "False"
                               << "False" << 0;
        row("T T F: the later true wins") << "True"
                                          << "True"
                                          << "False" << 1;
        row("F T F selects 1") << "False"
                               << "True"
                               << "False" << 1;
        row("T T T: the last wins") << "True"
                                    << "True"
                                    << "True" << 2;
        row("T F T selects 2") << "True"
                               << "False"
                               << "True" << 2;
        row("F F T selects 2") << "False"
                               << "False"
                               << "True" << 2;
    }
    QTest::newRow("N: only N2 stored: N1 defaults true, then N2 wins") << "N"
                                                                       << ""
                                                                       << "True"
                                                                       << "" << 1;
    QTest::newRow("N: only N1 stored false: none selected") << "N"
                                                            << "False"
                                                            << ""
                                                            << "" << -1;
    QTest::newRow("B: only B2 stored false: none selected") << "B"
                                                            << ""
                                                            << "False"
                                                            << "" << -1;
    QTest::newRow("B: only B1 stored true: B2 defaults true and wins") << "B"
                                                                       << "True"
                                                                       << ""
                                                                       << "" << 1;
}

void TestSettings::groupOutcomes() {
    QFETCH(QString, prefix);
    QFETCH(QString, key1);
    QFETCH(QString, key2);
    QFETCH(QString, key3);
    QFETCH(int, selected);
    MemoryStore store;
    const std::array<QString, 3> texts{key1, key2, key3};
    for (int i = 0; i < 3; ++i) {
        if (!texts.at(i).isEmpty()) {
            store.Set(prefix.toStdString() + std::to_string(i + 1), texts.at(i).toStdString());
        }
    }
    // Start with the last button of each group selected, so a stale selection would show.
    BuildOptions start = InitialOptions();
    start.nodes = {false, false, true};
    start.blockmap = {false, false, true};
    const BuildOptions loaded = LoadOptions(store, start);
    const auto& group = prefix == u"N" ? loaded.nodes : loaded.blockmap;
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(group.at(i), i == selected);
    }
}

void TestSettings::booleanTexts_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<std::optional<bool>>("value");

    QTest::newRow("True") << "True" << std::optional<bool>(true);
    QTest::newRow("False") << "False" << std::optional<bool>(false);
    QTest::newRow("lower case true") << "true" << std::optional<bool>(true);
    QTest::newRow("upper case TRUE") << "TRUE" << std::optional<bool>(true);
    QTest::newRow("mixed case fAlSe") << "fAlSe" << std::optional<bool>(false);
    QTest::newRow("-1") << "-1" << std::optional<bool>(true);
    QTest::newRow("1") << "1" << std::optional<bool>(true);
    QTest::newRow("0") << "0" << std::optional<bool>(false);
    QTest::newRow("-0") << "-0" << std::optional<bool>(false);
    QTest::newRow("000") << "000" << std::optional<bool>(false);
    QTest::newRow("decimal 0.5") << "0.5" << std::optional<bool>(true);
    QTest::newRow("decimal 0.0") << "0.0" << std::optional<bool>(false);
    QTest::newRow("huge number") << "123456789012345678901234567890" << std::optional<bool>(true);
    QTest::newRow("empty") << "" << std::optional<bool>();
    QTest::newRow("yes") << "yes" << std::optional<bool>();
    QTest::newRow("1x") << "1x" << std::optional<bool>();
    QTest::newRow("sign alone") << "-" << std::optional<bool>();
    QTest::newRow("point alone") << "." << std::optional<bool>();
    QTest::newRow("Truex") << "Truex" << std::optional<bool>();
    QTest::newRow("blank inside") << "Tr ue" << std::optional<bool>();
}

void TestSettings::booleanTexts() {
    QFETCH(QString, text);
    QFETCH(std::optional<bool>, value);
    QCOMPARE(ParseBoolean(text.toStdString()), value);
}

void TestSettings::checkTexts_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<std::optional<int>>("value");

    QTest::newRow("0") << "0" << std::optional<int>(0);
    QTest::newRow("1") << "1" << std::optional<int>(1);
    QTest::newRow("2 is grey") << "2" << std::optional<int>(2);
    QTest::newRow("leading zeros") << "002" << std::optional<int>(2);
    QTest::newRow("plus sign") << "+1" << std::optional<int>(1);
    QTest::newRow("minus zero") << "-0" << std::optional<int>(0);
    QTest::newRow("3 is out of range") << "3" << std::optional<int>();
    QTest::newRow("-1 is out of range") << "-1" << std::optional<int>();
    QTest::newRow("10 is out of range") << "10" << std::optional<int>();
    QTest::newRow("huge") << "99999999999999999999" << std::optional<int>();
    QTest::newRow("empty") << "" << std::optional<int>();
    QTest::newRow("True is no number") << "True" << std::optional<int>();
    QTest::newRow("1x") << "1x" << std::optional<int>();
    QTest::newRow("decimal") << "1.0" << std::optional<int>();
}

void TestSettings::checkTexts() {
    QFETCH(QString, text);
    QFETCH(std::optional<int>, value);
    QCOMPARE(ParseCheckValue(text.toStdString()), value);
}

void TestSettings::junkInOneKeyLeavesTheOthersLoaded() {
    MemoryStore store;
    store.Set("N3", "yes");    // junk: its default, False
    store.Set("B3", "True");   // a later key still loads
    store.Set("Option3", "7"); // out of range: its default, 1
    store.Set("Option4", "");  // empty: its default, 1
    store.Set("Option1", "1");
    store.Set("Option9", "1");
    const BuildOptions loaded = LoadOptions(store, InitialOptions());
    QCOMPARE(loaded, MakeOptions(0, 2, "010", "1011", 0, 1));
    QVERIFY(store.writes.empty());
}

void TestSettings::savesEveryKeyInTableOrder() {
    MemoryStore store;
    QVERIFY(SaveOptions(store, MakeOptions(-1, 2, "201", "0120", 1, 2)));
    QCOMPARE(store.writes.size(), kSettingsKeys.size());
    const std::vector<std::pair<std::string, std::string>> expected{
        {"N1", "False"},  {"N2", "False"},  {"N3", "False"},  {"B1", "False"},  {"B2", "False"},
        {"B3", "True"},   {"Option1", "0"}, {"Option2", "1"}, {"Option3", "2"}, {"Option4", "0"},
        {"Option5", "2"}, {"Option6", "0"}, {"Option7", "1"}, {"Option8", "1"}, {"Option9", "2"}};
    for (std::size_t i = 0; i < expected.size(); ++i) {
        QCOMPARE(store.writes.at(i), expected.at(i).first);
        QCOMPARE(store.values.at(MemoryStore::Path("QMR", "Vantrel", expected.at(i).first)), expected.at(i).second);
    }
}

void TestSettings::roundTripKeepsEveryState_data() {
    QTest::addColumn<BuildOptions>("options");
    QTest::newRow("defaults") << MakeOptions(0, 1, "010", "0011");
    QTest::newRow("no selection in either group") << MakeOptions(-1, -1, "000", "0000");
    QTest::newRow("grey boxes everywhere") << MakeOptions(2, 0, "222", "2222", 2, 2);
    QTest::newRow("everything on") << MakeOptions(1, 2, "111", "1111", 1, 1);
}

void TestSettings::roundTripKeepsEveryState() {
    QFETCH(BuildOptions, options);
    MemoryStore store;
    QVERIFY(SaveOptions(store, options));
    QCOMPARE(LoadOptions(store, InitialOptions()), options);
}

void TestSettings::saveReportsAFailedFlush() {
    MemoryStore store;
    store.flushSucceeds = false;
    QVERIFY(!SaveOptions(store, InitialOptions()));
}

QTEST_APPLESS_MAIN(TestSettings)
#include "tst_settings.moc"
