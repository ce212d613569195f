// Faults that the fuzzers and sanitizers found, kept found.
#include "CommandLine.h"
#include "Form1.h"
#include "MemoryStore.h"
#include "MessageBox.h"
#include "MessageRecorder.h"

#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QTest>

namespace {

QString WithNul(const QString& before, const QString& after) {
    return before + QChar(u'\0') + after;
}

std::string_view View(const QByteArray& bytes) {
    return {bytes.constData(), static_cast<std::size_t>(bytes.size())};
}

} // namespace

class TestHardeningRegressions final : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    // A NUL ends an argument (on Windows the whole line) where the system reads it, so NodeBuilder would
    // get a shorter name than the window shows: an output ".../e1.wad<NUL>x_vtl.wad" became the input.
    void nulInAFieldIsRefused_data();
    void nulInAFieldIsRefused();
    void buildWithNulRunsNothing_data();
    void buildWithNulRunsNothing();
    void droppedNameWithNulIsRefusedAtBuild();

private:
    std::unique_ptr<vantrel::Form1> NewWindow();

    std::unique_ptr<MessageRecorder> m_recorder;
    QStringList m_runs;
};

void TestHardeningRegressions::init() {
    m_runs.clear();
    m_recorder = std::make_unique<MessageRecorder>();
}

void TestHardeningRegressions::cleanup() {
    m_recorder.reset();
}

std::unique_ptr<vantrel::Form1> TestHardeningRegressions::NewWindow() {
    auto window = std::make_unique<vantrel::Form1>(std::make_unique<MemoryStore>());
    window->SetRunner([this](const vantrel::BuildRequest& request) {
        m_runs << request.commandLine;
        vantrel::RunOutcome outcome;
        outcome.kind = vantrel::RunOutcome::Kind::Exited;
        return outcome;
    });
    return window;
}

void TestHardeningRegressions::nulInAFieldIsRefused_data() {
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QByteArray>("output");
    QTest::addColumn<QByteArray>("level");
    QTest::addColumn<vantrel::FieldProblem>("expected");

    const QByteArray nul(1, '\0');
    QTest::newRow("NUL inside the input") << "C:\\maps\\e1" + nul + "x.wad" << QByteArray("C:\\maps\\e1_vtl.wad")
                                          << QByteArray("E1M1") << vantrel::FieldProblem::NulCharacter;
    QTest::newRow("NUL at the end of the output") << QByteArray("C:\\maps\\e1.wad") << "C:\\maps\\e1.wad" + nul
                                                  << QByteArray("E1M1") << vantrel::FieldProblem::NulCharacter;
    QTest::newRow("NUL as the whole level") << QByteArray("C:\\maps\\e1.wad") << QByteArray("C:\\maps\\e1_vtl.wad")
                                            << nul << vantrel::FieldProblem::NulCharacter;
    QTest::newRow("a double quote is named before a NUL")
        << QByteArray(R"(C:\maps\"e1.wad)") << "C:\\maps\\e1.wad" + nul << QByteArray("E1M1")
        << vantrel::FieldProblem::DoubleQuote;
    QTest::newRow("an empty path is named before a NUL")
        << QByteArray() << QByteArray("C:\\maps\\e1_vtl.wad") << nul << vantrel::FieldProblem::EmptyPath;
}

void TestHardeningRegressions::nulInAFieldIsRefused() {
    QFETCH(QByteArray, input);
    QFETCH(QByteArray, output);
    QFETCH(QByteArray, level);
    QFETCH(vantrel::FieldProblem, expected);

    QCOMPARE(vantrel::CheckBuildFields({View(input), View(output), View(level)}), expected);
}

void TestHardeningRegressions::buildWithNulRunsNothing_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("runs");

    QTest::newRow("clean fields run NodeBuilder") << "Text3"
                                                  << "E1M1" << true;
    QTest::newRow("NUL typed into the input") << "Text1" << WithNul("/maps/e1", "x.wad") << false;
    QTest::newRow("NUL typed into the output") << "Text2" << WithNul("/maps/e1.wad", "x_vtl.wad") << false;
    QTest::newRow("NUL typed into the level") << "Text3" << WithNul("E1M1", "") << false;
}

void TestHardeningRegressions::buildWithNulRunsNothing() {
    QFETCH(QString, field);
    QFETCH(QString, text);
    QFETCH(bool, runs);

    const auto window = NewWindow();
    window->findChild<QLineEdit*>(QStringLiteral("Text1"))->setText(QStringLiteral("/maps/e1.wad"));
    window->findChild<QLineEdit*>(QStringLiteral("Text2"))->setText(QStringLiteral("/maps/e1_vtl.wad"));
    window->findChild<QLineEdit*>(field)->setText(text);
    window->findChild<QPushButton*>(QStringLiteral("Command2"))->click();

    QCOMPARE(m_runs.size(), runs ? 1 : 0);
    QCOMPARE(m_recorder->messages.size(), runs ? 0 : 1);
    if (!runs) {
        QCOMPARE(m_recorder->messages.first().icon, vantrel::MessageIcon::Critical);
        QVERIFY(m_recorder->messages.first().text.contains(QStringLiteral("NUL")));
        QVERIFY(window->findChild<QLineEdit*>(QStringLiteral("Text4"))->text().isEmpty());
    }
}

void TestHardeningRegressions::droppedNameWithNulIsRefusedAtBuild() {
    const auto window = NewWindow();
    auto* text1 = window->findChild<QLineEdit*>(QStringLiteral("Text1"));
    QMimeData data;
    data.setUrls({QUrl(QStringLiteral("file:///maps/e1.wad%00x.wad"))});
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(text1, &enter);
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(text1, &drop);
    // The drop takes the name as the shell gives it; the build is where it must stop.
    QCOMPARE(text1->text(), WithNul(QStringLiteral("/maps/e1.wad"), QStringLiteral("x.wad")));

    window->findChild<QPushButton*>(QStringLiteral("Command2"))->click();

    QVERIFY(m_runs.isEmpty());
    QCOMPARE(m_recorder->messages.size(), 1);
}

QTEST_MAIN(TestHardeningRegressions)
#include "tst_hardening_regressions.moc"
