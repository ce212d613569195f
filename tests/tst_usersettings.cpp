#include "Controls.h"
#include "Form1.h"
#include "MessageBox.h"
#include "MessageRecorder.h"
#include "UserSettingsStore.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QRandomGenerator>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

using namespace vantrel;

namespace {

// The options as the store must hold them after closing a window left at its defaults.
const QList<QPair<QString, QString>> kDefaultTexts{
    {"N1", "True"},   {"N2", "False"},  {"N3", "False"},  {"B1", "False"},  {"B2", "True"},
    {"B3", "False"},  {"Option1", "0"}, {"Option2", "0"}, {"Option3", "1"}, {"Option4", "1"},
    {"Option5", "0"}, {"Option6", "1"}, {"Option7", "0"}, {"Option8", "0"}, {"Option9", "0"}};

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteAll(const QString& path, const QByteArray& content) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
}

} // namespace

class TestUserSettings final : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void firstRunWritesAllFifteenKeys();
    void storedOptionsComeBack();
    void junkFallsBackPerKey();
    void damagedFileIsReadAroundAndSavedWithoutAlarm_data();
    void damagedFileIsReadAroundAndSavedWithoutAlarm();
    void damagedFileThenAFailedWriteIsReported();
    void unwritableStoreIsReportedAndKeepsWhatWasThere();
    void readOnlyFolderIsReportedAndKeepsTheFile();
    void lastWindowToCloseWins();

private:
    [[nodiscard]] QString IniPath() const { return m_config->filePath(QStringLiteral("QMR/QMR.ini")); }
    void OpenAndClose(const std::function<void(Form1&)>& change = {});

    std::unique_ptr<QTemporaryDir> m_config;
    std::unique_ptr<MessageRecorder> m_recorder;
};

void TestUserSettings::init() {
    m_config = std::make_unique<QTemporaryDir>();
    qputenv("XDG_CONFIG_HOME", m_config->path().toLocal8Bit());
    m_recorder = std::make_unique<MessageRecorder>();
}

void TestUserSettings::cleanup() {
    m_recorder.reset();
    qunsetenv("XDG_CONFIG_HOME");
}

void TestUserSettings::OpenAndClose(const std::function<void(Form1&)>& change) {
    Form1 form(std::make_unique<UserSettingsStore>());
    form.show();
    if (change) {
        change(form);
    }
    QVERIFY(form.close());
}

void TestUserSettings::firstRunWritesAllFifteenKeys() {
    OpenAndClose();
    QVERIFY(m_recorder->messages.isEmpty());
    QSettings ini(IniPath(), QSettings::IniFormat);
    QCOMPARE(ini.childGroups(), QStringList{QStringLiteral("Vantrel")});
    ini.beginGroup(QStringLiteral("Vantrel"));
    QCOMPARE(ini.childKeys().size(), kDefaultTexts.size());
    for (const auto& [key, text] : kDefaultTexts) {
        QCOMPARE(ini.value(key).toString(), text);
    }
    // The texts are written exactly so, readable and editable by a person.
    const QByteArray content = ReadAll(IniPath());
    QVERIFY(content.contains("[Vantrel]"));
    QVERIFY(content.contains("N1=True"));
    QVERIFY(content.contains("Option9=0"));
}

void TestUserSettings::storedOptionsComeBack() {
    OpenAndClose([](Form1& form) {
        QTest::mouseClick(form.findChild<QWidget*>("nodes_2"), Qt::LeftButton);
        QTest::mouseClick(form.findChild<QWidget*>("Check4"), Qt::LeftButton);
        SetCheckValue(form.findChild<QCheckBox*>("Check2_1"), 2);
    });
    Form1 form(std::make_unique<UserSettingsStore>());
    form.show();
    QCOMPARE(form.Options().nodes, (std::array<bool, 3>{false, false, true}));
    QCOMPARE(form.Options().Check4, 1);
    QCOMPARE(form.Options().Check2.at(1), 2);
    QVERIFY(form.findChild<QLineEdit*>("Text2")->text().isEmpty());
}

void TestUserSettings::junkFallsBackPerKey() {
    WriteAll(IniPath(), "[Vantrel]\nN1=yes\nN2=false\nN3=TRUE\nB1=-1\nB2=0\nB3=0\nOption1=1,2\nOption2=2\n"
                        "Option3=\nOption4=7\nOption5=1x\nOption6=0\nOption7=1\nOption8=+1\nOption9=2\n");
    const QByteArray before = ReadAll(IniPath());
    Form1 form(std::make_unique<UserSettingsStore>());
    form.show();
    const BuildOptions options = form.Options();
    QCOMPARE(options.nodes, (std::array<bool, 3>{false, false, true}));
    QCOMPARE(options.blockmap, (std::array<bool, 3>{true, false, false}));
    QCOMPARE(options.Check2, (std::array<int, 4>{0, 2, 1, 1}));
    QCOMPARE(options.Check1, (std::array<int, 3>{0, 0, 1}));
    QCOMPARE(options.Check3, 1);
    QCOMPARE(options.Check4, 2);
    // Nothing is rewritten until the window closes.
    QCOMPARE(ReadAll(IniPath()), before);
}

void TestUserSettings::damagedFileIsReadAroundAndSavedWithoutAlarm_data() {
    QTest::addColumn<QByteArray>("damage");
    QByteArray noise(100, '\0');
    QRandomGenerator generator(20261208); // the same bytes on every run
    generator.fillRange(reinterpret_cast<quint32*>(noise.data()), noise.size() / int(sizeof(quint32)));
    QTest::newRow("random bytes") << noise;
    QTest::newRow("an unclosed section") << QByteArray("[Vant\n");
    QTest::newRow("a NUL and broken UTF-8") << QByteArray("\0\xff\xfe=\xc3\n");
}

void TestUserSettings::damagedFileIsReadAroundAndSavedWithoutAlarm() {
    QFETCH(QByteArray, damage);
    WriteAll(IniPath(), damage + "\n[Vantrel]\nN3=True\nOption5=2\n");
    for (int close = 0; close < 2; ++close) {
        Form1 form(std::make_unique<UserSettingsStore>());
        form.show();
        QCOMPARE(form.Options().nodes, (std::array<bool, 3>{false, false, true}));
        QCOMPARE(form.Options().Check1.at(0), 2);
        QVERIFY(form.close());
        QCOMPARE(m_recorder->messages.size(), 0);
    }
    QSettings ini(IniPath(), QSettings::IniFormat);
    QCOMPARE(ini.status(), QSettings::NoError);
    ini.beginGroup(QStringLiteral("Vantrel"));
    QCOMPARE(ini.childKeys().size(), kDefaultTexts.size());
    QCOMPARE(ini.value(QStringLiteral("N3")).toString(), QStringLiteral("True"));
    QCOMPARE(ini.value(QStringLiteral("Option5")).toString(), QStringLiteral("2"));
}

void TestUserSettings::damagedFileThenAFailedWriteIsReported() {
    WriteAll(IniPath(), "[Vant\n[Vantrel]\nN3=True\n");
    OpenAndClose([this](Form1&) {
        // Between load and close the store's folder gives way to a file: no user, root included, can write there.
        QVERIFY(QDir(QFileInfo(IniPath()).path()).removeRecursively());
        WriteAll(m_config->filePath(QStringLiteral("QMR")), "not a folder");
    });
    QCOMPARE(m_recorder->messages.size(), 1);
    QVERIFY2(m_recorder->messages.first().text.contains(QStringLiteral("could not be saved")),
             qPrintable(m_recorder->messages.first().text));
}

void TestUserSettings::unwritableStoreIsReportedAndKeepsWhatWasThere() {
    // A file where the store's folder should be: no user, root included, can write the store there.
    WriteAll(m_config->filePath(QStringLiteral("QMR")), "not a folder");
    OpenAndClose();
    QCOMPARE(m_recorder->messages.size(), 1);
    QVERIFY2(m_recorder->messages.first().text.contains(QDir::toNativeSeparators(IniPath())),
             qPrintable(m_recorder->messages.first().text));
    QCOMPARE(ReadAll(m_config->filePath(QStringLiteral("QMR"))), QByteArray("not a folder"));
}

void TestUserSettings::readOnlyFolderIsReportedAndKeepsTheFile() {
    if (geteuid() == 0) {
        QSKIP("permissions do not hold for root; the unwritable-store case covers the message");
    }
    WriteAll(IniPath(), "[Vantrel]\nN1=False\nN2=True\n");
    const QByteArray before = ReadAll(IniPath());
    const QString folder = QFileInfo(IniPath()).path();
    QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner));
    OpenAndClose([](Form1& form) { QTest::mouseClick(form.findChild<QWidget*>("nodes_2"), Qt::LeftButton); });
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QCOMPARE(m_recorder->messages.size(), 1);
    QCOMPARE(ReadAll(IniPath()), before);
}

void TestUserSettings::lastWindowToCloseWins() {
    Form1 first(std::make_unique<UserSettingsStore>());
    Form1 second(std::make_unique<UserSettingsStore>());
    first.show();
    second.show();
    QTest::mouseClick(first.findChild<QWidget*>("nodes_1"), Qt::LeftButton);
    QTest::mouseClick(second.findChild<QWidget*>("nodes_2"), Qt::LeftButton);
    QVERIFY(second.close());
    QVERIFY(first.close());
    QSettings ini(IniPath(), QSettings::IniFormat);
    QCOMPARE(ini.value(QStringLiteral("Vantrel/N2")).toString(), QStringLiteral("True"));
    QCOMPARE(ini.value(QStringLiteral("Vantrel/N3")).toString(), QStringLiteral("False"));
}

QTEST_MAIN(TestUserSettings)
#include "tst_usersettings.moc"
