#include "Text.h"

#include <QTest>

using namespace vantrel;

class TestText final : public QObject {
    Q_OBJECT

private slots:
    void readsUtf8_data();
    void readsUtf8();
    void writesUtf8_data();
    void writesUtf8();
    void findsCharactersByTheirBytes_data();
    void findsCharactersByTheirBytes();
    void ignoresAsciiCase_data();
    void ignoresAsciiCase();
    void readsWindows1252_data();
    void readsWindows1252();
};

void TestText::readsUtf8_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<Utf8Read>("read"); // of the first character
    QTest::addColumn<int>("length");
    QTest::addColumn<uint>("codePoint");
    QTest::addColumn<bool>("valid"); // all of the bytes

    const uint replacement = kReplacementCharacter;
    QTest::newRow("ASCII") << QByteArray("A") << Utf8Read::Character << 1 << 0x41U << true;
    QTest::newRow("two bytes") << QByteArray("\xc3\xa9") << Utf8Read::Character << 2 << 0xE9U << true;
    QTest::newRow("three bytes") << QByteArray("\xe4\xb8\xad") << Utf8Read::Character << 3 << 0x4E2DU << true;
    QTest::newRow("beyond the basic plane")
        << QByteArray("\xf0\x9f\x98\x80") << Utf8Read::Character << 4 << 0x1F600U << true;
    QTest::newRow("the last code point") << QByteArray("\xf4\x8f\xbf\xbf") << Utf8Read::Character << 4 << 0x10FFFFU
                                         << true;
    QTest::newRow("a byte order mark is a character like any other")
        << QByteArray("\xef\xbb\xbf") << Utf8Read::Character << 3 << 0xFEFFU << true;
    QTest::newRow("a continuation byte alone")
        << QByteArray("\x80") << Utf8Read::Malformed << 1 << replacement << false;
    QTest::newRow("a byte no UTF-8 holds") << QByteArray("\xff") << Utf8Read::Malformed << 1 << replacement << false;
    QTest::newRow("an overlong two-byte form")
        << QByteArray("\xc0\xaf") << Utf8Read::Malformed << 1 << replacement << false;
    QTest::newRow("an overlong three-byte form")
        << QByteArray("\xe0\x80\x80") << Utf8Read::Malformed << 1 << replacement << false;
    QTest::newRow("a surrogate") << QByteArray("\xed\xa0\x80") << Utf8Read::Malformed << 1 << replacement << false;
    QTest::newRow("past U+10FFFF") << QByteArray("\xf4\x90\x80\x80") << Utf8Read::Malformed << 1 << replacement
                                   << false;
    QTest::newRow("a broken character ends before the byte that breaks it")
        << QByteArray("\xe4\xb8_") << Utf8Read::Malformed << 2 << replacement << false;
    QTest::newRow("an unfinished character")
        << QByteArray("\xe4\xb8") << Utf8Read::Unfinished << 2 << replacement << false;
    QTest::newRow("a whole character before a broken one")
        << QByteArray("\xc3\xa9\xc3") << Utf8Read::Character << 2 << 0xE9U << false;
    QTest::newRow("empty") << QByteArray() << Utf8Read::Unfinished << 0 << replacement << true;
}

void TestText::readsUtf8() {
    QFETCH(QByteArray, bytes);
    QFETCH(Utf8Read, read);
    QFETCH(int, length);
    QFETCH(uint, codePoint);
    QFETCH(bool, valid);
    const Utf8Character character = DecodeUtf8(bytes.toStdString());
    QCOMPARE(character.read, read);
    QCOMPARE(character.length, static_cast<std::size_t>(length));
    QCOMPARE(static_cast<uint>(character.codePoint), codePoint);
    QCOMPARE(IsValidUtf8(bytes.toStdString()), valid);
}

void TestText::writesUtf8_data() {
    QTest::addColumn<uint>("codePoint");
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("the largest of one byte") << 0x7FU << QByteArray("\x7f");
    QTest::newRow("the smallest of two bytes") << 0x80U << QByteArray("\xc2\x80");
    QTest::newRow("the largest of two bytes") << 0x7FFU << QByteArray("\xdf\xbf");
    QTest::newRow("the smallest of three bytes") << 0x800U << QByteArray("\xe0\xa0\x80");
    QTest::newRow("the largest of three bytes") << 0xFFFFU << QByteArray("\xef\xbf\xbf");
    QTest::newRow("the smallest of four bytes") << 0x10000U << QByteArray("\xf0\x90\x80\x80");
    QTest::newRow("the last code point") << 0x10FFFFU << QByteArray("\xf4\x8f\xbf\xbf");
}

// Written, and read back.
void TestText::writesUtf8() {
    QFETCH(uint, codePoint);
    QFETCH(QByteArray, bytes);
    std::string written = "a";
    AppendUtf8(written, codePoint);
    QCOMPARE(QByteArray::fromStdString(written), "a" + bytes);
    const Utf8Character read = DecodeUtf8(bytes.toStdString());
    QCOMPARE(read.read, Utf8Read::Character);
    QCOMPARE(static_cast<uint>(read.codePoint), codePoint);
}

void TestText::findsCharactersByTheirBytes_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("start"); // of the last `count` characters
    QTest::addColumn<int>("position");
    QTest::addColumn<int>("end"); // of the character at `position`

    QTest::newRow("ASCII") << QByteArray("e1.wad") << 4 << 2 << 2 << 3;
    QTest::newRow("multi-byte letters count as one each") << QByteArray("/maps/éèêë") << 4 << 6 << 6 << 8;
    QTest::newRow("letters outside the basic plane count as one") << QByteArray("/maps/x😀😀😀😀") << 4 << 7 << 7 << 11;
    QTest::newRow("fewer characters than asked for") << QByteArray("ab") << 4 << 0 << 1 << 2;
    QTest::newRow("a stray continuation byte joins the character before it")
        << QByteArray("ab\x80_d") << 3 << 1 << 1 << 3;
    QTest::newRow("stray continuation bytes at the start") << QByteArray("\x80\x80_b") << 3 << 0 << 0 << 2;
}

void TestText::findsCharactersByTheirBytes() {
    QFETCH(QByteArray, text);
    QFETCH(int, count);
    QFETCH(int, start);
    QFETCH(int, position);
    QFETCH(int, end);
    QCOMPARE(StartOfLastCharacters(text.toStdString(), static_cast<std::size_t>(count)),
             static_cast<std::size_t>(start));
    QCOMPARE(EndOfCharacter(text.toStdString(), static_cast<std::size_t>(position)), static_cast<std::size_t>(end));
}

void TestText::ignoresAsciiCase_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("other");
    QTest::addColumn<bool>("equals");
    QTest::addColumn<bool>("endsWith");

    QTest::newRow("the same letters in another case") << "TrUe"
                                                      << "true" << true << true;
    QTest::newRow("mixed case") << "/maps/e1.WaD"
                                << ".wad" << false << true;
    QTest::newRow("a letter beyond ASCII is not its ASCII look-alike") << "/maps/e1.wäd"
                                                                       << ".wad" << false << false;
    QTest::newRow("letters beyond ASCII keep their case") << "É"
                                                          << "é" << false << false;
    QTest::newRow("only letters fold") << "["
                                       << "{" << false << false;
    QTest::newRow("an end longer than the text") << "wad"
                                                 << ".wad" << false << false;
    QTest::newRow("every text ends with nothing") << "abc"
                                                  << "" << false << true;
}

void TestText::ignoresAsciiCase() {
    QFETCH(QString, text);
    QFETCH(QString, other);
    QFETCH(bool, equals);
    QFETCH(bool, endsWith);
    QCOMPARE(EqualsIgnoringAsciiCase(text.toStdString(), other.toStdString()), equals);
    QCOMPARE(EndsWithIgnoringAsciiCase(text.toStdString(), other.toStdString()), endsWith);
}

void TestText::readsWindows1252_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");

    QTest::newRow("its characters where C1 controls would be")
        << QByteArray("\x80\x82\x83\x84\x85\x86\x87\x88\x89\x8a\x8b\x8c\x8e\x91\x92\x93\x94\x95\x96\x97\x98\x99\x9a\x9b"
                      "\x9c\x9e\x9f")
        << QString::fromUtf8("€‚ƒ„…†‡ˆ‰Š‹ŒŽ‘’“”•–—˜™š›œžŸ");
    QTest::newRow("the five bytes it has no character for")
        << QByteArray("\x81\x8d\x8f\x90\x9d") << QString(5, QChar(kReplacementCharacter));
    QTest::newRow("elsewhere it is Latin-1") << QByteArray("A\xa0\xe9\xff") << QString::fromUtf8("A\u00a0éÿ");
}

void TestText::readsWindows1252() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    std::u32string read;
    for (const char byte : bytes) {
        read += FromWindows1252(static_cast<unsigned char>(byte));
    }
    QCOMPARE(QString::fromUcs4(read.data(), static_cast<qsizetype>(read.size())), text);
}

QTEST_APPLESS_MAIN(TestText)
#include "tst_text.moc"
