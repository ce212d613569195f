#include "TerminalModel.h"
#include "TerminalText.h"

#include <QFile>
#include <QTest>

using namespace vantrel;

namespace {

QString ScreenOf(const TerminalModel& model) {
    const std::u32string text = TextOfScreen(model);
    return QString::fromUcs4(text.data(), static_cast<qsizetype>(text.size()));
}

void Feed(TerminalModel& model, const QByteArray& bytes) {
    model.Feed(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

QByteArray Lines(int from, int to) {
    QByteArray bytes;
    for (int line = from; line <= to; ++line) {
        bytes += QByteArray::number(line) + "\r\n";
    }
    return bytes;
}

QString LinesText(int from, int to) {
    return QString::fromLatin1(Lines(from, to)).trimmed().replace(QStringLiteral("\r"), QString());
}

} // namespace

class TestTerminalModel final : public QObject {
    Q_OBJECT

private slots:
    void showsWhatATerminalShows_data();
    void showsWhatATerminalShows();
    void keepsTheLinesScrolledOff();
    void boundsTheScrollback();
    void resizeKeepsTheCursorsLineAndTheScrollback_data();
    void resizeKeepsTheCursorsLineAndTheScrollback();
    void resetEmptiesEverything();
    void keepsColoursInABoundedTable();
    void takesWhatOnceBrokeIt_data();
    void takesWhatOnceBrokeIt();
    void freesColoursNoCellUses();
    void encodesKeys_data();
    void encodesKeys();
};

void TestTerminalModel::showsWhatATerminalShows_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("screen");

    QFile capture(QStringLiteral(VANTREL_FIXTURES_DIR "/wine-console.bin"));
    QVERIFY(capture.open(QIODevice::ReadOnly));
    QTest::newRow("a Windows program's console calls, as wine writes them")
        << capture.readAll() << "Working...\nProgress 100%\nDone.\n          X";
    QTest::newRow("carriage returns redraw one line")
        << QByteArray("Progress   0%\rProgress  50%\rProgress 100%\r\n") << "Progress 100%";
    QTest::newRow("backspaces overwrite") << QByteArray("Progress  25%\b\b\b\b 50%") << "Progress  50%";
    QTest::newRow("cursor moves and erase to the end of the line")
        << QByteArray("hello world\x1b[5D\x1b[Kthere") << "hello there";
    QTest::newRow("cursor placement") << QByteArray("\x1b[3;5Hx") << "\n\n    x";
    QTest::newRow("a long line wraps at 80 columns")
        << QByteArray(85, 'a') << QString(80, u'a') + u'\n' + QString(5, u'a');
    QTest::newRow("UTF-8 and double-width characters")
        << QByteArray("zo\xc3\xab \xe4\xb8\xad\xe6\x96\x87|") << QString::fromUtf8("zoë 中文|");
    QTest::newRow("erasing the screen") << QByteArray("a\r\nb\x1b[2J") << "";
    QTest::newRow("inserted characters shift the rest") << QByteArray("abcdef\x1b[4G\x1b[2@XY") << "abcXYdef";
    QTest::newRow("a scroll region keeps the lines outside it")
        << QByteArray("top\x1b[2;4r\x1b[2;1Ha\r\nb\r\nc\r\nd\x1b[r") << "top\nb\nc\nd";
    QTest::newRow("the alternate screen gives the normal one back")
        << QByteArray("kept\x1b[?1049hgone\x1b[?1049l") << "kept";
}

void TestTerminalModel::showsWhatATerminalShows() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, screen);
    TerminalModel model(25, 80, 100);
    Feed(model, bytes);
    QCOMPARE(ScreenOf(model), screen);
    QCOMPARE(model.ScrollbackSize(), std::size_t{0});
}

void TestTerminalModel::keepsTheLinesScrolledOff() {
    TerminalModel model(25, 80, 100);
    Feed(model, Lines(1, 30));
    // 30 lines and the cursor's empty row: 6 lines went up into the scrollback, oldest first.
    QCOMPARE(model.ScrollbackSize(), std::size_t{6});
    QCOMPARE(TextOfLine(model, 0), std::u32string(U"1"));
    QCOMPARE(TextOfLine(model, 5), std::u32string(U"6"));
    QCOMPARE(TextOfLine(model, 6), std::u32string(U"7"));
    QCOMPARE(model.Dropped(), std::uint64_t{0});
}

void TestTerminalModel::boundsTheScrollback() {
    TerminalModel model(25, 80, 3);
    Feed(model, Lines(1, 1000));
    // 976 lines scrolled off; the three newest stay, every line has its 80 cells and no more.
    QCOMPARE(model.ScrollbackSize(), std::size_t{3});
    QCOMPARE(model.Dropped(), std::uint64_t{973});
    QCOMPARE(TextOfLine(model, 0), std::u32string(U"974"));
    QCOMPARE(TextOfLine(model, 2), std::u32string(U"976"));
    QCOMPARE(TextOfLine(model, 3), std::u32string(U"977"));
    for (std::size_t index = 0; index < model.LineCount(); ++index) {
        QCOMPARE(model.Line(index).size(), std::size_t{80});
    }
}

void TestTerminalModel::resizeKeepsTheCursorsLineAndTheScrollback_data() {
    // Fed to 10 rows of 20 columns, then resized.
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("columns");
    QTest::addColumn<QString>("scrollback");
    QTest::addColumn<QString>("screen");
    QTest::addColumn<int>("cursorRow");
    QTest::addColumn<int>("firstLineWidth");

    QTest::newRow("fewer rows: the rows above the cursor go to the scrollback")
        << Lines(1, 8) << 5 << 20 << LinesText(1, 4) << LinesText(5, 8) << 4 << 20;
    QTest::newRow("fewer rows: blank rows below the cursor go first") << QByteArray("a\r\nb") << 4 << 20 << ""
                                                                      << "a\nb" << 1 << 20;
    QTest::newRow("more rows: blank ones below, nothing pulled back")
        << Lines(1, 12) << 15 << 20 << LinesText(1, 3) << LinesText(4, 12) << 9 << 20;
    QTest::newRow("fewer columns: the screen is cut, the scrollback keeps its width")
        << QByteArray("abcdefghij\r\n") + Lines(2, 10) + "klmnopqrst" << 10 << 5 << "abcdefghij"
        << LinesText(2, 10) + "\nklmno" << 9 << 20;
    QTest::newRow("more columns: blanks at the right") << Lines(1, 3) << 10 << 30 << "" << LinesText(1, 3) << 3 << 30;
    QTest::newRow("fewer rows than a scroll region's top: the margins are the screen's again")
        << QByteArray("a\x1b[4;8r\x1b[?6h") << 2 << 20 << "a"
        << "" << 1 << 20;
}

void TestTerminalModel::resizeKeepsTheCursorsLineAndTheScrollback() {
    QFETCH(QByteArray, bytes);
    QFETCH(int, rows);
    QFETCH(int, columns);
    QFETCH(QString, scrollback);
    QFETCH(QString, screen);
    QFETCH(int, cursorRow);
    QFETCH(int, firstLineWidth);
    TerminalModel model(10, 20, 100);
    Feed(model, bytes);
    model.Resize(rows, columns);
    QCOMPARE(model.Rows(), rows);
    QCOMPARE(model.Columns(), columns);
    const std::u32string kept = TextOfLines(model, 0, model.ScrollbackSize());
    QCOMPARE(QString::fromUcs4(kept.data(), static_cast<qsizetype>(kept.size())), scrollback);
    QCOMPARE(ScreenOf(model), screen);
    QCOMPARE(model.CursorRow(), cursorRow);
    QCOMPARE(model.Line(0).size(), static_cast<std::size_t>(firstLineWidth));
    // The model goes on at its new size: the next line lands below the cursor's.
    Feed(model, "\r\nnext");
    QCOMPARE(TextOfLine(model, model.ScrollbackSize() + static_cast<std::size_t>(model.CursorRow())),
             std::u32string(U"next"));
}

void TestTerminalModel::resetEmptiesEverything() {
    TerminalModel model(25, 80, 10);
    Feed(model, Lines(1, 40) + "\x1b[31m\x1b[?25lred");
    model.Reset();
    QCOMPARE(model.ScrollbackSize(), std::size_t{0});
    QCOMPARE(ScreenOf(model), QString());
    QVERIFY(model.CursorVisible());
    QCOMPARE(model.CursorRow(), 0);
    Feed(model, "plain");
    QCOMPARE(model.Line(0).front().fg, TerminalCell::kDefaultColour);
}

void TestTerminalModel::keepsColoursInABoundedTable() {
    TerminalModel model(25, 80, 10);
    // 300 shades of red, one a cell, over four rows: more than the table holds.
    QByteArray bytes;
    for (int shade = 0; shade < 300; ++shade) {
        bytes += QByteArray("\x1b[38;2;") + QByteArray::number(shade * 255 / 299) + ";0;0mx";
    }
    Feed(model, bytes + "\x1b[0m");
    for (int shade = 0; shade < 300; ++shade) {
        const TerminalCell& cell = model.Line(static_cast<std::size_t>(shade / 80)).at(shade % 80);
        QVERIFY(cell.fg != TerminalCell::kDefaultColour);
        const int red = static_cast<int>(model.Colour(cell.fg) >> 16U);
        // Exact while the table has room, the nearest one there once it is full.
        QVERIFY2(std::abs(red - shade * 255 / 299) <= (shade < 255 ? 0 : 2), qPrintable(QString::number(shade)));
        QCOMPARE(model.Colour(cell.fg) & 0xFFFFU, 0U);
    }
}

void TestTerminalModel::takesWhatOnceBrokeIt_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text"); // the scrollback and the screen

    const QString acute(QChar(0x301));
    QTest::newRow("a colour with 17 parameters is dropped whole")
        << QByteArray("\x1b[38:2:59:66:97;48:2:36:40:59;58:2:224:175:104;4:3mcoloured\n") << "coloured";
    QTest::newRow("16 parameters are all kept") << QByteArray("\x1b[3;5;0;0;0;0;0;0;0;0;0;0;0;0;0;0Hx") << "\n\n    x";
    QTest::newRow("an erase of nearly INT_MAX cells ends at the line's end")
        << QByteArray("abcdef\x1b[3G\x1b[2147483646X\n") << "ab";
    QTest::newRow("C1 code points take a column each")
        << QByteArray("\xc2\x93\xc2\x94\xc2\x96\x1b[X\n") << QString::fromUtf8("“”–");
    QTest::newRow("combining marks stay on their character") << QByteArray("cafe\xcc\x81") << "cafe" + acute;
    QTest::newRow("a flood of combining marks keeps four")
        << QByteArray("a") + QByteArray(20000, '\0').replace(QByteArray(2, '\0'), "\xcc\x81")
        << "a" + acute.repeated(4);
    QTest::newRow("a full reset leaves the alternate screen") << QByteArray("kept\x1b[?1049hgone\x1b"
                                                                            "c") +
                                                                     Lines(1, 30)
                                                              << LinesText(1, 30);
    QTest::newRow("a soft reset leaves the alternate screen")
        << QByteArray("kept\r\n\x1b[?1049hgone\x1b[!p\r") + Lines(1, 30) << "kept\n" + LinesText(1, 30);
    QTest::newRow("writing over the right half of a double-width character blanks it whole")
        << QByteArray("\xe4\xb8\xad\xe6\x96\x87\x1b[2Gx") << QString::fromUtf8(" x文");
    QTest::newRow("writing over the left half of a double-width character blanks it whole")
        << QByteArray("\xe4\xb8\xad\xe6\x96\x87\x1b[3Gx") << QString::fromUtf8("中x");
    QTest::newRow("deleting half of a double-width character blanks it whole")
        << QByteArray("\xe4\xb8\xad\xe6\x96\x87|\x1b[2G\x1b[P") << QString::fromUtf8(" 文|");
    QTest::newRow("a repeat with nothing before it is dropped") << QByteArray("\x1b[5bz") << "z";
    QTest::newRow("a repeat after marks without a character is dropped") << QByteArray("a\r\xcc\x81\x1b[5bz") << "z";
    QTest::newRow("a repeat repeats the character before it") << QByteArray("ab\x1b[3b") << "abbbb";
    QTest::newRow("a request for a setting libvterm does not know gets no answer")
        << QByteArray("\x1bP$qx\x1b\\ok") << "ok";
}

// Each row once as one read and once a byte a read: a sequence cut between reads is judged whole.
void TestTerminalModel::takesWhatOnceBrokeIt() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    for (const bool bytewise : {false, true}) {
        TerminalModel model(25, 80, 100);
        for (qsizetype at = 0; at < bytes.size(); at += bytewise ? 1 : bytes.size()) {
            model.Feed(bytes.constData() + at, static_cast<std::size_t>(bytewise ? 1 : bytes.size()));
        }
        const std::u32string all = TextOfLines(model, 0, model.LineCount());
        QCOMPARE(QString::fromUcs4(all.data(), static_cast<qsizetype>(all.size())), text);
    }
}

void TestTerminalModel::freesColoursNoCellUses() {
    TerminalModel model(25, 80, 10);
    // As many shades of near-black as the table holds, erased, then red.
    QByteArray bytes;
    for (int blue = 1; blue <= 255; ++blue) {
        bytes += "\x1b[38;2;0;0;" + QByteArray::number(blue) + "mx";
    }
    Feed(model, bytes + "\x1b[2J\x1b[H\x1b[38;2;255;0;0mred");
    QCOMPARE(model.Colour(model.Line(0).front().fg), 0xFF0000U);
}

void TestTerminalModel::encodesKeys_data() {
    QTest::addColumn<QByteArray>("modes"); // what the program sent before
    QTest::addColumn<int>("key");          // a TerminalKey, or None for the character
    QTest::addColumn<uint>("character");
    QTest::addColumn<uint>("modifiers");
    QTest::addColumn<QByteArray>("sent");

    QTest::newRow("a letter") << QByteArray() << int(TerminalKey::None) << uint('q') << uint(kNoModifier)
                              << QByteArray("q");
    QTest::newRow("a letter beyond ASCII")
        << QByteArray() << int(TerminalKey::None) << uint(0xEB) << uint(kNoModifier) << QByteArray("\xc3\xab");
    QTest::newRow("Ctrl+C is the interrupt character")
        << QByteArray() << int(TerminalKey::None) << uint('c') << uint(kControl) << QByteArray("\x03");
    QTest::newRow("Enter") << QByteArray() << int(TerminalKey::Enter) << 0U << uint(kNoModifier) << QByteArray("\r");
    QTest::newRow("Backspace") << QByteArray() << int(TerminalKey::Backspace) << 0U << uint(kNoModifier)
                               << QByteArray("\x7f");
    QTest::newRow("cursor up") << QByteArray() << int(TerminalKey::Up) << 0U << uint(kNoModifier)
                               << QByteArray("\x1b[A");
    QTest::newRow("cursor up in the program's application mode")
        << QByteArray("\x1b[?1h") << int(TerminalKey::Up) << 0U << uint(kNoModifier) << QByteArray("\x1bOA");
    QTest::newRow("a function key") << QByteArray() << int(FunctionKey(5)) << 0U << uint(kNoModifier)
                                    << QByteArray("\x1b[15~");
}

void TestTerminalModel::encodesKeys() {
    QFETCH(QByteArray, modes);
    QFETCH(int, key);
    QFETCH(uint, character);
    QFETCH(uint, modifiers);
    QFETCH(QByteArray, sent);
    TerminalModel model(25, 80, 10);
    QByteArray output;
    model.SetOutput(
        [&output](const char* bytes, std::size_t size) { output.append(bytes, static_cast<qsizetype>(size)); });
    Feed(model, modes);
    if (static_cast<TerminalKey>(key) != TerminalKey::None) {
        model.TypeKey(static_cast<TerminalKey>(key), modifiers);
    } else {
        model.TypeCharacter(character, modifiers);
    }
    QCOMPARE(output, sent);
}

QTEST_APPLESS_MAIN(TestTerminalModel)
#include "tst_terminalmodel.moc"
