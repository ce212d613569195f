#include "BrowseFile.h"
#include "BrowseFileDriver.h"
#include "CaptionFit.h"
#include "Controls.h"
#include "Form1.h"
#include "Form1Controls.h"
#include "MemoryStore.h"
#include "MessageBox.h"
#include "MessageRecorder.h"
#include "OptionsFactory.h"
#include "StandIn.h"
#include "WindowFonts.h"

#include <QApplication>
#include <QCheckBox>
#include <QCursor>
#include <QDropEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

using namespace vantrel;
using vantrel::CaptionOf;

Q_DECLARE_METATYPE(BuildOptions)

namespace {

// The main window's layout, written down independently of the window's
// own table: name, container, caption, left, top, width, height, tab position.
struct LayoutRow {
    const char* name;
    const char* parent;
    const char* caption;
    int left, top, width, height, tab;
};

const std::array<LayoutRow, 33> kLayout{{
    {"Frame1", "Form1", "", 120, 0, 6975, 6495, 0},
    {"Frame3", "Frame1", "", 120, 120, 4455, 1095, 1},
    {"Frame4", "Frame1", "", 120, 1200, 4455, 1455, 5},
    {"Frame7", "Frame1", "", 4680, 120, 2175, 1815, 16},
    {"Frame2", "Frame1", "", 4680, 1920, 2175, 735, 30},
    {"Frame6", "Frame1", "", 120, 2640, 6735, 975, 19},
    {"Frame5", "Frame1", "", 120, 3600, 6735, 1815, 10},
    {"nodes_0", "Frame3", "Minimize splits", 120, 240, 1335, 255, 2},
    {"nodes_1", "Frame3", "Minimize BSP depth", 120, 480, 1815, 255, 3},
    {"nodes_2", "Frame3", "Minimize time", 120, 720, 1335, 255, 4},
    {"Check1_1", "Frame3", "Ensure all sub-sectors contain only 1 sector", 2160, 240, 1935, 375, 23},
    {"Check1_2", "Frame3", "Ignore non-visible lineDefs", 2160, 600, 2175, 375, 24},
    {"Check2_0", "Frame4", "Insert empty REJECT resource", 120, 240, 2535, 255, 6},
    {"Check2_1", "Frame4", "Rebuild even if REJECT effects are detected", 120, 480, 3615, 255, 9},
    {"Check2_2", "Frame4", "Use child sector info to reduce LOS calculations", 120, 720, 3735, 255, 7},
    {"Check2_3", "Frame4", "Use graphs to reduce LOS calculations", 120, 960, 3135, 255, 8},
    {"blockmap_0", "Frame7", "Rebuild BLOCKMAP", 120, 240, 1455, 375, 18},
    {"blockmap_1", "Frame7", "Rebuild and compress BLOCKMAP", 120, 720, 1935, 435, 17},
    {"blockmap_2", "Frame7", "Do not rebuild BLOCKMAP", 120, 1200, 1815, 375, 29},
    {"Check1_0", "Frame2", "Do not display progress bar", 120, 220, 1935, 375, 31},
    {"Label4", "Frame6", "Level", 120, 240, 1095, 255, 22},
    {"Text3", "Frame6", "", 120, 480, 4695, 285, 20},
    {"Label3", "Frame6", "ExMy for DOOM / Heretic or MAPxx for DOOM II / HEXEN", 4920, 240, 1695, 615, 21},
    {"Label1", "Frame5", "Input file", 120, 240, 4335, 255, 15},
    {"Text1", "Frame5", "", 120, 480, 5055, 285, 11},
    {"Command1", "Frame5", "Browse", 5280, 360, 1335, 375, 13},
    {"Label2", "Frame5", "Output File", 120, 840, 4575, 255, 14},
    {"Text2", "Frame5", "", 120, 1080, 5055, 285, 12},
    {"Check4", "Frame5", "Input File = Output File", 120, 1440, 2055, 255, 25},
    {"Check3", "Frame5", "Don't write output file (test mode)", 2520, 1440, 2655, 255, 27},
    {"Command2", "Frame1", "BUILD", 2760, 5880, 1455, 495, 26},
    {"Label5", "Frame1", nullptr, 120, 5520, 6735, 255, 32},
    {"Text4", "Form1", "", 240, 7440, 6735, 285, 28},
}};

bool PointerIsBusy() {
    const QCursor* pointer = QGuiApplication::overrideCursor();
    return pointer != nullptr && pointer->shape() == Qt::WaitCursor;
}

} // namespace

class TestForm1 final : public QObject {
    Q_OBJECT

private slots:
    void everyControlStandsWhereLaidOut();
    void captionsFitTheirControls();
    void facesSuitTheScale();
    void withoutTheBitmapFaceCaptionsChooseTheFace_data();
    void withoutTheBitmapFaceCaptionsChooseTheFace();
    void boldOnlyForBuildAndCredit();
    void boldCaptionsReadBold_data();
    void boldCaptionsReadBold();
    void initialStateBeforeLoading();
    void loadsOptionsBeforeShowing();
    void groupsAreExclusiveWithinTheirFrameOnly();
    void check1IsOneArrayAcrossTwoFrames();
    void tabChainFollowsTheTabPositions();
    void resizingMovesNothing();
    void commandLineFieldIsNeverATabStop();
    void buildComposesAndRuns();
    void buildRefuses_data();
    void buildRefuses();
    void buildReportsTheOutcome_data();
    void buildReportsTheOutcome();
    void windowTakesNoInputDuringTheRun();
    void optionsAreSavedOnClose();
    void boxClickDerivesTheOutput_data();
    void boxClickDerivesTheOutput();
    void dropTakesTheFirstWadFile_data();
    void dropTakesTheFirstWadFile();
    void browseFillsBothFields_data();
    void browseFillsBothFields();
    void onlyTheInputFieldTakesDrops();
    void aDropIsACopyAndAnIgnoredDropSaysSo();
    void longPathsReachNodeBuilderWhole();
    void brokenCharactersAreRefusedOrCopiedExactly();

private:
    // Shows the window with the box at `check4` and the path fields holding "old in" and "old out".
    static std::pair<QLineEdit*, QLineEdit*> ShowWithOldFields(Form1& form, int check4) {
        form.show();
        SetCheckValue(form.findChild<QCheckBox*>(QStringLiteral("Check4")), check4);
        auto* text1 = form.findChild<QLineEdit*>(QStringLiteral("Text1"));
        auto* text2 = form.findChild<QLineEdit*>(QStringLiteral("Text2"));
        text1->setText(QStringLiteral("old in"));
        text2->setText(QStringLiteral("old out"));
        return {text1, text2};
    }

    template <typename T = QWidget> static T* Control(const Form1& form, const char* name) {
        return form.findChild<T*>(QString::fromLatin1(name));
    }
};

void TestForm1::everyControlStandsWhereLaidOut() {
    Form1 form(std::make_unique<MemoryStore>());
    QCOMPARE(form.windowTitle(), QStringLiteral("Vantrel Frontend"));
    const qreal dpi = form.logicalDpiX();
    QCOMPARE(form.size(), QSize(TwipsToPixels(7215, dpi), TwipsToPixels(6630, dpi)));
    for (const LayoutRow& row : kLayout) {
        const QWidget* widget = Control(form, row.name);
        QVERIFY2(widget, row.name);
        const QString parent = widget->parentWidget()->objectName();
        QCOMPARE(parent, QString::fromLatin1(row.parent));
        QCOMPARE(widget->geometry(), TwipsToPixels(TwipRect{row.left, row.top, row.width, row.height}, dpi));
        if (row.caption != nullptr) {
            QCOMPARE(CaptionOf(widget), QString::fromUtf8(row.caption));
        }
    }
    // The window's own table lists exactly these controls with these tab positions.
    QCOMPARE(kForm1Controls.size(), std::size(kLayout));
    for (const ControlRow& row : kForm1Controls) {
        const auto* const found = std::find_if(std::begin(kLayout), std::end(kLayout),
                                               [&row](const LayoutRow& d) { return qstrcmp(d.name, row.name) == 0; });
        QVERIFY2(found != std::end(kLayout), row.name);
        QCOMPARE(row.tabPosition, found->tab);
    }
}

void TestForm1::captionsFitTheirControls() {
    Form1 form(std::make_unique<MemoryStore>());
    for (const LayoutRow& row : kLayout) {
        const QString overflow = caption_fit::Overflow(Control(form, row.name));
        QVERIFY2(overflow.isEmpty(), qPrintable(overflow));
    }
    // The hint beside the level field wraps over three lines at the most.
    auto* hint = Control<QLabel>(form, "Label3");
    const QFontMetrics metrics(hint->font());
    const QRect needed = metrics.boundingRect(hint->contentsRect(), Qt::TextWordWrap, hint->text());
    QVERIFY(needed.height() <= metrics.boundingRect(QRect(), 0, QStringLiteral("E\nE\nE")).height());
}

void TestForm1::facesSuitTheScale() {
    Form1 form(std::make_unique<MemoryStore>());
    QVERIFY(caption_fit::FaceProblem(&form).isEmpty());
    for (const LayoutRow& row : kLayout) {
        const QString problem = caption_fit::FaceProblem(Control(form, row.name));
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
    }
}

void TestForm1::withoutTheBitmapFaceCaptionsChooseTheFace_data() {
    QTest::addColumn<double>("room"); // the caption's width in the first scalable face, times this
    QTest::newRow("room to spare: the first face, unnarrowed") << 3.0;
    QTest::newRow("tight: narrowed no further than it must") << 0.9;
    QTest::newRow("no room: the first face, never squeezed past reading") << 0.1;
}

void TestForm1::withoutTheBitmapFaceCaptionsChooseTheFace() {
    QFETCH(double, room);
    const QString caption = QStringLiteral("Rebuild and compress BLOCKMAP");
    QWidget window;
    auto* label = new QLabel(caption, &window);
    auto* field = new QLineEdit(&window);
    const auto fit = [&](int width) {
        label->setFont(QFont());
        label->setGeometry(0, 0, width, 40);
        FitFontsToCaptions(&window, {label, field});
        return label->font();
    };
    const QFont first = fit(10000);
    const QFont chosen = fit(int(room * QFontMetrics(first).horizontalAdvance(caption)));

    QCOMPARE(field->font(), chosen); // fields and lists take the captions' face
    QCOMPARE(window.font(), chosen);
    if (room < 0.5) {
        QCOMPARE(chosen, first);
        return;
    }
    QVERIFY2(caption_fit::Overflow(label).isEmpty(), qPrintable(caption_fit::Overflow(label)));
    if (room > 1.0) {
        QCOMPARE(chosen, first);
    } else if (chosen.stretch() < QFont::Unstretched) {
        QFont wider = chosen;
        wider.setStretch(chosen.stretch() + 1);
        label->setFont(wider);
        QVERIFY(!caption_fit::Overflow(label).isEmpty());
    }
}

void TestForm1::boldOnlyForBuildAndCredit() {
    Form1 form(std::make_unique<MemoryStore>());
    for (const LayoutRow& row : kLayout) {
        const QWidget* widget = Control(form, row.name);
        const bool bold = qstrcmp(row.name, "Command2") == 0 || qstrcmp(row.name, "Label5") == 0;
        QVERIFY2(QFontInfo(widget->font()).bold() == bold, row.name);
    }
}

void TestForm1::boldCaptionsReadBold_data() {
    QTest::addColumn<QString>("bold");
    QTest::addColumn<QString>("regular");
    QTest::newRow("BUILD beside Browse, both buttons") << "Command2"
                                                       << "Command1";
    QTest::newRow("the credit line beside the input file's label") << "Label5"
                                                                   << "Label1";
}

void TestForm1::boldCaptionsReadBold() {
    QFETCH(QString, bold);
    QFETCH(QString, regular);
    Form1 form(std::make_unique<MemoryStore>());
    const qreal boldStroke = caption_fit::CaptionStroke(form.findChild<QWidget*>(bold));
    const qreal regularStroke = caption_fit::CaptionStroke(form.findChild<QWidget*>(regular));
    QVERIFY(regularStroke > 0);
    QVERIFY2(boldStroke >= kBoldStrokeRatio * regularStroke, qPrintable(QString::number(boldStroke / regularStroke)));
}

void TestForm1::initialStateBeforeLoading() {
    MemoryStore* store = nullptr;
    auto owned = std::make_unique<MemoryStore>();
    store = owned.get();
    store->Set("N3", "True");
    Form1 form(std::move(owned));
    // Not shown yet: the stored options have not been read.
    QVERIFY(store->reads.empty());
    QCOMPARE(form.Options(), MakeOptions(0, -1, "010", "0011", 0, 0));
    for (const char* name : {"Text1", "Text2", "Text3", "Text4"}) {
        QVERIFY(Control<QLineEdit>(form, name)->text().isEmpty());
    }
}

void TestForm1::loadsOptionsBeforeShowing() {
    auto owned = std::make_unique<MemoryStore>();
    owned->Set("N3", "True");
    owned->Set("B1", "True");
    owned->Set("B2", "False");
    owned->Set("Option1", "2");
    owned->Set("Option9", "1");
    Form1 form(std::move(owned));
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QCOMPARE(form.Options(), MakeOptions(2, 0, "010", "2011", 0, 1));
    QCOMPARE(Control<QCheckBox>(form, "Check2_0")->checkState(), Qt::PartiallyChecked);
    // Restoring "Input File = Output File" meets an empty input field and changes nothing.
    QVERIFY(Control<QLineEdit>(form, "Text2")->text().isEmpty());
}

void TestForm1::groupsAreExclusiveWithinTheirFrameOnly() {
    Form1 form(std::make_unique<MemoryStore>());
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QTest::mouseClick(Control(form, "nodes_2"), Qt::LeftButton);
    QCOMPARE(form.Options().nodes, (std::array<bool, 3>{false, false, true}));
    QCOMPARE(form.Options().blockmap, (std::array<bool, 3>{false, true, false}));
    QTest::mouseClick(Control(form, "blockmap_2"), Qt::LeftButton);
    QCOMPARE(form.Options().nodes, (std::array<bool, 3>{false, false, true}));
    QCOMPARE(form.Options().blockmap, (std::array<bool, 3>{false, false, true}));
    // A click anywhere on a wrapped caption takes the click, as the classic controls do.
    QWidget* wrapped = Control(form, "blockmap_0");
    QTest::mouseClick(wrapped, Qt::LeftButton, {}, QPoint(wrapped->width() - 3, wrapped->height() - 3));
    QCOMPARE(form.Options().blockmap, (std::array<bool, 3>{true, false, false}));
}

void TestForm1::check1IsOneArrayAcrossTwoFrames() {
    Form1 form(std::make_unique<MemoryStore>());
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QCOMPARE(Control(form, "Check1_0")->parentWidget()->objectName(), QStringLiteral("Frame2"));
    QTest::mouseClick(Control(form, "Check1_0"), Qt::LeftButton);
    QCOMPARE(form.Options().Check1, (std::array<int, 3>{1, 1, 0}));
    // A click on a grey box checks it; the window never makes a box grey itself.
    auto* grey = Control<QCheckBox>(form, "Check3");
    SetCheckValue(grey, kGrey);
    QTest::mouseClick(grey, Qt::LeftButton);
    QCOMPARE(form.Options().Check3, kChecked);
    QTest::mouseClick(grey, Qt::LeftButton);
    QCOMPARE(form.Options().Check3, kUnchecked);
    QTest::mouseClick(grey, Qt::LeftButton);
    QCOMPARE(form.Options().Check3, kChecked);
}

void TestForm1::tabChainFollowsTheTabPositions() {
    Form1 form(std::make_unique<MemoryStore>()); // defaults: nodes 0 and blockmap 1 selected
    form.show();
    QApplication::setActiveWindow(&form);
    QVERIFY(QTest::qWaitForWindowActive(&form));
    Control(form, "nodes_0")->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), Control(form, "nodes_0"));
    const QStringList expected{"Check2_0", "Check2_2",   "Check2_3", "Check2_1", "Text1",    "Text2",
                               "Command1", "blockmap_1", "Text3",    "Check1_1", "Check1_2", "Check4",
                               "Command2", "Check3",     "Check1_0", "nodes_0"};
    QStringList visited;
    for (int i = 0; i < expected.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visited << QApplication::focusWidget()->objectName();
    }
    QCOMPARE(visited, expected);

    // Selecting another member moves the group's stop to it, at that member's own position.
    QTest::mouseClick(Control(form, "blockmap_2"), Qt::LeftButton);
    Control(form, "Command1")->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("Text3"));
    Control(form, "Check3")->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("blockmap_2"));
}

void TestForm1::resizingMovesNothing() {
    Form1 form(std::make_unique<MemoryStore>());
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QMap<QString, QRect> before;
    for (const LayoutRow& row : kLayout) {
        before[QString::fromLatin1(row.name)] = Control(form, row.name)->geometry();
    }
    const QSize enlarged = form.size() * 2;
    form.resize(enlarged);
    QTRY_COMPARE(form.size(), enlarged);
    for (const LayoutRow& row : kLayout) {
        QCOMPARE(Control(form, row.name)->geometry(), before.value(QString::fromLatin1(row.name)));
    }
}

void TestForm1::commandLineFieldIsNeverATabStop() {
    Form1 form(std::make_unique<MemoryStore>());
    QCOMPARE(Control(form, "Text4")->focusPolicy(), Qt::NoFocus);
    QVERIFY(Control(form, "Text4")->geometry().top() > form.height());
    QVERIFY(Control(form, "Text1")->acceptDrops());
}

void TestForm1::buildComposesAndRuns() {
    StandIn standIn;
    PathPrefix path(standIn.Folder());
    MessageRecorder captured;
    Form1 form(std::make_unique<MemoryStore>());
    form.show();
    Control<QLineEdit>(form, "Text1")->setText(QStringLiteral("/maps/my maps/e1.wad"));
    Control<QLineEdit>(form, "Text2")->setText(QStringLiteral("/maps/my maps/e1_vtl.wad"));
    Control<QLineEdit>(form, "Text3")->setText(QStringLiteral("E1M1"));
    QTest::mouseClick(Control(form, "Command2"), Qt::LeftButton);

    QCOMPARE(
        Control<QLineEdit>(form, "Text4")->text(),
        QStringLiteral(
            R"(vantrel.exe -n1 -b -bc -nu -ni- -rc -rg "/maps/my maps/e1.wad" E1M1 -o "/maps/my maps/e1_vtl.wad")"));
    const auto runs = standIn.Runs();
    QCOMPARE(runs.size(), 1);
    QCOMPARE(runs.first().arguments, QStringList({"-n1", "-b", "-bc", "-nu", "-ni-", "-rc", "-rg",
                                                  "/maps/my maps/e1.wad", "E1M1", "-o", "/maps/my maps/e1_vtl.wad"}));
    QVERIFY(captured.messages.isEmpty());
    QVERIFY(form.isEnabled());
}

void TestForm1::buildRefuses_data() {
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("output");
    QTest::addColumn<QString>("level");
    QTest::addColumn<QString>("title");

    QTest::newRow("empty input") << ""
                                 << "b.wad"
                                 << "E1M1"
                                 << "WAKE UP ;-)";
    QTest::newRow("empty output") << "a.wad"
                                  << ""
                                  << "E1M1"
                                  << "WAKE UP ;-)";
    QTest::newRow("both empty") << ""
                                << ""
                                << ""
                                << "WAKE UP ;-)";
    QTest::newRow("quote in the level would inject a switch") << "a.wad"
                                                              << "b.wad"
                                                              << "E1M1\" -t \""
                                                              << "Vantrel Frontend";
    QTest::newRow("quote in a path") << "a\".wad"
                                     << "b.wad"
                                     << "E1M1"
                                     << "Vantrel Frontend";
}

void TestForm1::buildRefuses() {
    QFETCH(QString, input);
    QFETCH(QString, output);
    QFETCH(QString, level);
    QFETCH(QString, title);
    MessageRecorder captured;
    int runs = 0;
    Form1 form(std::make_unique<MemoryStore>());
    form.SetRunner([&runs](const BuildRequest&) {
        ++runs;
        RunOutcome outcome;
        outcome.kind = RunOutcome::Kind::Exited;
        return outcome;
    });
    auto* commandLine = Control<QLineEdit>(form, "Text4");
    commandLine->setText(QStringLiteral("earlier line"));
    Control<QLineEdit>(form, "Text1")->setText(input);
    Control<QLineEdit>(form, "Text2")->setText(output);
    Control<QLineEdit>(form, "Text3")->setText(level);
    form.show();
    QTest::mouseClick(Control(form, "Command2"), Qt::LeftButton);

    QCOMPARE(runs, 0);
    QCOMPARE(commandLine->text(), QStringLiteral("earlier line"));
    QCOMPARE(captured.messages.size(), 1);
    QCOMPARE(captured.messages.first().title, title);
    QCOMPARE(int(captured.messages.first().icon), int(MessageIcon::Critical));
    if (title == u"WAKE UP ;-)") {
        QCOMPARE(captured.messages.first().text,
                 QStringLiteral("Hey, you have to specify a WAD file to make this baby work !"));
    }
}

void TestForm1::buildReportsTheOutcome_data() {
    QTest::addColumn<QByteArray>("variable");
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<bool>("onPath");
    QTest::addColumn<QString>("mentions"); // empty: no message at all

    QTest::newRow("zero status stays silent") << QByteArray("VANTREL_STANDIN_EXIT") << QByteArray("0") << true << "";
    QTest::newRow("non-zero status is reported")
        << QByteArray("VANTREL_STANDIN_EXIT") << QByteArray("7") << true << "exit status 7";
    QTest::newRow("a crash is reported") << QByteArray("VANTREL_STANDIN_CRASH") << QByteArray("1") << true << "crashed";
    QTest::newRow("not found is reported, with where it was looked for")
        << QByteArray("VANTREL_STANDIN_EXIT") << QByteArray("0") << false << "Looked for it in";
}

void TestForm1::buildReportsTheOutcome() {
    QFETCH(QByteArray, variable);
    QFETCH(QByteArray, value);
    QFETCH(bool, onPath);
    QFETCH(QString, mentions);
    StandIn standIn;
    QTemporaryDir empty;
    PathPrefix path(onPath ? standIn.Folder() : empty.path());
    const QByteArray savedPath = qgetenv("PATH");
    if (!onPath) {
        qputenv("PATH", empty.path().toLocal8Bit());
    }
    const Variables variables{{variable.constData(), value}};
    int shownUnderBusyPointer = 0;
    MessageRecorder captured(
        [&shownUnderBusyPointer](const Message&) { shownUnderBusyPointer += PointerIsBusy() ? 1 : 0; });
    Form1 form(std::make_unique<MemoryStore>());
    // The real run, watched: the busy pointer must be up while it lasts, and gone once it has ended,
    // before any message about it.
    bool busyDuringRun = false;
    form.SetRunner([&busyDuringRun](const BuildRequest& request) {
        busyDuringRun = PointerIsBusy();
        return RunAndWait(request.commandLine);
    });
    Control<QLineEdit>(form, "Text1")->setText(QStringLiteral("a.wad"));
    Control<QLineEdit>(form, "Text2")->setText(QStringLiteral("b.wad"));
    form.show();
    QTest::mouseClick(Control(form, "Command2"), Qt::LeftButton);
    qputenv("PATH", savedPath);

    QVERIFY(busyDuringRun);
    QVERIFY(QGuiApplication::overrideCursor() == nullptr);
    QCOMPARE(shownUnderBusyPointer, 0);
    if (mentions.isEmpty()) {
        QVERIFY(captured.messages.isEmpty());
        return;
    }
    QCOMPARE(captured.messages.size(), 1);
    QVERIFY2(captured.messages.first().text.contains(mentions), qPrintable(captured.messages.first().text));
    QVERIFY(captured.messages.first().text.contains(QStringLiteral("vantrel.exe")));
    QVERIFY(captured.messages.first().icon != MessageIcon::None);
}

void TestForm1::windowTakesNoInputDuringTheRun() {
    StandIn standIn;
    PathPrefix path(standIn.Folder());
    Form1 form(std::make_unique<MemoryStore>());
    Control<QLineEdit>(form, "Text1")->setText(QStringLiteral("a.wad"));
    Control<QLineEdit>(form, "Text2")->setText(QStringLiteral("b.wad"));
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));

    // NodeBuilder runs until this test lets it end; meanwhile events still flow, so the timer fires
    // during the run, tries the window, then lets NodeBuilder end.
    const QString release = QDir(standIn.Folder()).filePath(QStringLiteral("release"));
    const Variables variables{{"VANTREL_STANDIN_WAIT_FOR", release.toLocal8Bit()}};
    bool firedDuringRun = false;
    bool enabledDuringRun = true;
    bool closedDuringRun = true;
    bool busyDuringRun = false;
    QTimer::singleShot(0, &form, [&] {
        firedDuringRun = true;
        enabledDuringRun = form.isEnabled();
        busyDuringRun = PointerIsBusy();
        QTest::mouseClick(Control(form, "Command2"), Qt::LeftButton);
        closedDuringRun = form.close();
        QFile(release).open(QIODevice::WriteOnly);
    });
    QTest::mouseClick(Control(form, "Command2"), Qt::LeftButton);

    QVERIFY(firedDuringRun);
    QVERIFY(QFile::exists(release)); // the run ended only after the timer had tried the window
    QVERIFY(!enabledDuringRun);
    QVERIFY(!closedDuringRun);
    QVERIFY(form.isVisible());
    QVERIFY(form.isEnabled());
    QVERIFY(busyDuringRun);
    QVERIFY(QGuiApplication::overrideCursor() == nullptr);
    QCOMPARE(standIn.Runs().size(), 1); // the click made during the run started nothing
}

void TestForm1::optionsAreSavedOnClose() {
    auto owned = std::make_unique<MemoryStore>();
    MemoryStore* store = owned.get();
    Form1 form(std::move(owned));
    form.show();
    QTest::mouseClick(Control(form, "nodes_1"), Qt::LeftButton);
    QTest::mouseClick(Control(form, "Check3"), Qt::LeftButton);
    QVERIFY(store->writes.empty());
    QVERIFY(form.close());
    QCOMPARE(store->writes.size(), kSettingsKeys.size());
    MemoryStore reread;
    reread.values = store->values;
    QCOMPARE(LoadOptions(reread, InitialOptions()), MakeOptions(1, 1, "010", "0011", 1, 0));
}

void TestForm1::boxClickDerivesTheOutput_data() {
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("typedOutput");
    QTest::addColumn<QString>("afterCheck");
    QTest::addColumn<QString>("afterUncheck");

    QTest::newRow("empty input keeps typed output") << ""
                                                    << "typed"
                                                    << "typed"
                                                    << "typed";
    QTest::newRow("empty input keeps empty output") << ""
                                                    << ""
                                                    << ""
                                                    << "";
    QTest::newRow("normal input") << "C:\\maps\\e1.wad"
                                  << "typed"
                                  << "C:\\maps\\e1.wad"
                                  << "C:\\maps\\e1_vtl.wad";
    QTest::newRow("short input gives the suffix alone") << "ab"
                                                        << ""
                                                        << "ab"
                                                        << "_vtl.wad";
}

void TestForm1::boxClickDerivesTheOutput() {
    QFETCH(QString, input);
    QFETCH(QString, typedOutput);
    QFETCH(QString, afterCheck);
    QFETCH(QString, afterUncheck);
    Form1 form(std::make_unique<MemoryStore>());
    form.show();
    Control<QLineEdit>(form, "Text1")->setText(input);
    auto* output = Control<QLineEdit>(form, "Text2");
    output->setText(typedOutput);
    QTest::mouseClick(Control(form, "Check4"), Qt::LeftButton);
    QCOMPARE(output->text(), afterCheck);
    QTest::mouseClick(Control(form, "Check4"), Qt::LeftButton);
    QCOMPARE(output->text(), afterUncheck);
}

void TestForm1::dropTakesTheFirstWadFile_data() {
    QTest::addColumn<QStringList>("urls"); // empty: the drag carries text only
    QTest::addColumn<int>("check4");
    QTest::addColumn<QString>("input"); // what the fields hold afterwards; they start as "old in"/"old out"
    QTest::addColumn<QString>("output");

    QTest::newRow("upper-case WAD, box unchecked") << QStringList{"file:///maps/E1M1.WAD"} << 0 << "/maps/E1M1.WAD"
                                                   << "/maps/E1M1_vtl.wad";
    QTest::newRow("box checked copies the path") << QStringList{"file:///maps/E1M1.WAD"} << 1 << "/maps/E1M1.WAD"
                                                 << "/maps/E1M1.WAD";
    QTest::newRow("grey box derives the name") << QStringList{"file:///maps/e1.wad"} << 2 << "/maps/e1.wad"
                                               << "/maps/e1_vtl.wad";
    QTest::newRow("blanks and accents come out whole")
        << QStringList{"file:///home/zo%C3%AB/my%20maps/%C3%A9lan.wad"} << 0 << "/home/zoë/my maps/élan.wad"
        << "/home/zoë/my maps/élan_vtl.wad";
    QTest::newRow("a text file is ignored") << QStringList{"file:///maps/readme.txt"} << 0 << "old in"
                                            << "old out";
    QTest::newRow("no dot before wad is ignored") << QStringList{"file:///maps/mywad"} << 0 << "old in"
                                                  << "old out";
    QTest::newRow("text first, WAD second: ignored")
        << QStringList{"file:///maps/readme.txt", "file:///maps/e1.wad"} << 0 << "old in"
        << "old out";
    QTest::newRow("WAD first: only it is used")
        << QStringList{"file:///maps/e1.wad", "file:///maps/e2.wad"} << 0 << "/maps/e1.wad"
        << "/maps/e1_vtl.wad";
    QTest::newRow("a web link is no file") << QStringList{"https://example.invalid/e1.wad"} << 0 << "old in"
                                           << "old out";
    QTest::newRow("dragged text changes nothing") << QStringList{} << 0 << "old in"
                                                  << "old out";
}

void TestForm1::dropTakesTheFirstWadFile() {
    QFETCH(QStringList, urls);
    QFETCH(int, check4);
    QFETCH(QString, input);
    QFETCH(QString, output);
    Form1 form(std::make_unique<MemoryStore>());
    auto [text1, text2] = ShowWithOldFields(form, check4);

    QMimeData data;
    if (urls.isEmpty()) {
        data.setText(QStringLiteral("/maps/e1.wad"));
    } else {
        QList<QUrl> list;
        for (const QString& url : urls) {
            list << QUrl(url);
        }
        data.setUrls(list);
    }
    const QPoint at = text1->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(text1, &enter);
    QCOMPARE(enter.isAccepted(), !urls.isEmpty());
    QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(text1, &drop);

    QCOMPARE(text1->text(), QDir::toNativeSeparators(input));
    QCOMPARE(text2->text(), QDir::toNativeSeparators(output));
}

void TestForm1::browseFillsBothFields_data() {
    QTest::addColumn<bool>("confirm");
    QTest::addColumn<int>("check4");
    QTest::addColumn<bool>("doubleClick");

    QTest::newRow("OK, box unchecked: the output name is derived") << true << 0 << false;
    QTest::newRow("OK, box checked: both fields hold the path") << true << 1 << false;
    QTest::newRow("OK, box grey: derived, since only checked copies") << true << 2 << false;
    QTest::newRow("double-click confirms like OK") << true << 0 << true;
    QTest::newRow("Cancel after a selection changes nothing") << false << 0 << false;
    QTest::newRow("Cancel with the box checked changes nothing") << false << 1 << false;
}

void TestForm1::browseFillsBothFields() {
    QFETCH(bool, confirm);
    QFETCH(int, check4);
    QFETCH(bool, doubleClick);
    QTemporaryDir maps;
    QVERIFY(QFile(maps.filePath("E1M1.WAD")).open(QIODevice::WriteOnly));
    QVERIFY(QFile(maps.filePath("readme.txt")).open(QIODevice::WriteOnly));
    const QString saved = QDir::currentPath();
    QVERIFY(QDir::setCurrent(maps.path())); // a new dialog opens at the current folder

    Form1 form(std::make_unique<MemoryStore>());
    auto [text1, text2] = ShowWithOldFields(form, check4);

    bool sawDialog = false;
    browse_driver::WhenModal([&](BrowseFile* dialog) {
        sawDialog = dialog->parentWidget() == &form;
        browse_driver::ClickFile(*dialog, QStringLiteral("E1M1.WAD"));
        if (doubleClick) {
            const QModelIndex index = browse_driver::FileIndex(*dialog, QStringLiteral("E1M1.WAD"));
            const QPoint centre = browse_driver::File1(*dialog)->visualRect(index).center();
            QTest::mouseDClick(browse_driver::File1(*dialog)->viewport(), Qt::LeftButton, {}, centre);
        } else if (confirm) {
            QTest::mouseClick(browse_driver::OkButton(*dialog), Qt::LeftButton);
        } else {
            QTest::mouseClick(browse_driver::CancelButton(*dialog), Qt::LeftButton);
        }
    });
    QTest::mouseClick(Control(form, "Command1"), Qt::LeftButton);
    QDir::setCurrent(saved);

    QVERIFY(sawDialog);
    QVERIFY(!form.findChild<BrowseFile*>()); // every Browse unloads its dialog
    const QString chosen = QDir::toNativeSeparators(maps.filePath("E1M1.WAD"));
    QCOMPARE(text1->text(), confirm ? chosen : QStringLiteral("old in"));
    const QString derived = QDir::toNativeSeparators(maps.filePath("E1M1_vtl.wad"));
    QCOMPARE(text2->text(), !confirm ? QStringLiteral("old out") : check4 == 1 ? chosen : derived);
}

void TestForm1::onlyTheInputFieldTakesDrops() {
    Form1 form(std::make_unique<MemoryStore>());
    // A file dragged a little off the input field must not be typed into the output or level field.
    for (const LayoutRow& row : kLayout) {
        QCOMPARE(Control(form, row.name)->acceptDrops(), qstrcmp(row.name, "Text1") == 0);
    }
}

void TestForm1::aDropIsACopyAndAnIgnoredDropSaysSo() {
    Form1 form(std::make_unique<MemoryStore>());
    form.show();
    auto* text1 = Control<QLineEdit>(form, "Text1");
#ifdef Q_OS_WIN
    constexpr bool kHostsAreShares = true;
#else
    constexpr bool kHostsAreShares = false;
#endif
    for (const auto& [url, taken] : {std::pair{QStringLiteral("file://server/maps/e0.wad"), kHostsAreShares},
                                     std::pair{QStringLiteral("file:///maps/e1.wad"), true},
                                     std::pair{QStringLiteral("file:///maps/readme.txt"), false},
                                     std::pair{QStringLiteral("file:///maps/%FF%FE.wad"), false}}) {
        QMimeData data;
        data.setUrls({QUrl(url)});
        const QPoint at = text1->rect().center();
        QDragEnterEvent enter(at, Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, Qt::ShiftModifier);
        QCoreApplication::sendEvent(text1, &enter);
        QDropEvent drop(QPointF(at), Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, Qt::ShiftModifier);
        drop.setDropAction(Qt::MoveAction);
        QCoreApplication::sendEvent(text1, &drop);
        QVERIFY2(drop.isAccepted() == taken, qPrintable(url));
        QCOMPARE(drop.dropAction(), Qt::CopyAction);
    }
    // A name that is not valid UTF-8 would reach NodeBuilder as another name: it is not taken.
    QCOMPARE(text1->text(), QDir::toNativeSeparators(QStringLiteral("/maps/e1.wad")));
}

void TestForm1::longPathsReachNodeBuilderWhole() {
    QString ran;
    Form1 form(std::make_unique<MemoryStore>());
    BuildRequest handed;
    form.SetRunner([&ran, &handed](const BuildRequest& request) {
        ran = request.commandLine;
        handed = request;
        RunOutcome outcome;
        outcome.kind = RunOutcome::Kind::Exited;
        return outcome;
    });
    const QString input = QStringLiteral("/maps/") + QString(40'000, u'x') + QStringLiteral(".wad");
    Control<QLineEdit>(form, "Text1")->setText(input);
    QCOMPARE(Control<QLineEdit>(form, "Text1")->text(), input);
    Control<QLineEdit>(form, "Text2")->setText(QStringLiteral("/maps/out.wad"));
    form.show();
    QTest::mouseClick(Control(form, "Command2"), Qt::LeftButton);
    QVERIFY(ran.endsWith(QStringLiteral(" -o \"/maps/out.wad\"")));
    QVERIFY(ran.contains(input));
    // Whoever runs it is told the file at stake, so that stopping the run can name it.
    QCOMPARE(handed.outputFile, QStringLiteral("/maps/out.wad"));
    QVERIFY(!handed.outputIsInput);
}

void TestForm1::brokenCharactersAreRefusedOrCopiedExactly() {
    MessageRecorder captured;
    int runs = 0;
    Form1 form(std::make_unique<MemoryStore>());
    form.SetRunner([&runs](const BuildRequest&) {
        ++runs;
        return RunOutcome{};
    });
    form.show();
    // Half a surrogate pair, as a careless paste can leave it: it has no UTF-8 form.
    const QString broken = QStringLiteral("/maps/e1") + QChar(0xD800) + QStringLiteral(".wad");
    Control<QLineEdit>(form, "Text1")->setText(broken);
    QTest::mouseClick(Control(form, "Check4"), Qt::LeftButton);
    QCOMPARE(Control<QLineEdit>(form, "Text2")->text(), broken);
    QTest::mouseClick(Control(form, "Command2"), Qt::LeftButton);
    QCOMPARE(runs, 0);
    QCOMPARE(captured.messages.size(), 1);
    QVERIFY(Control<QLineEdit>(form, "Text4")->text().isEmpty());
}

QTEST_MAIN(TestForm1)
#include "tst_form1.moc"
