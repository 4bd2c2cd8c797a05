#include "LanguageTables.h"
#include "NumberText.h"
#include "SwitchBits.h"
#include "SwitchMeanings.h"

#include <QTest>

#include <cmath>
#include <limits>

Q_DECLARE_METATYPE(SwitchByte)
Q_DECLARE_METATYPE(SwitchPairs)

namespace {

template<std::size_t N> QByteArray bytesOf(const std::array<quint8, N> &codes)
{
    QByteArray bytes;
    for (quint8 code : codes)
        bytes.append(char(code));
    return bytes;
}

template<std::size_t N> QByteArray bytesOf(const std::optional<std::array<quint8, N>> &codes)
{
    return codes ? bytesOf(*codes) : QByteArray();
}

// Switch states written as eight characters for switches 1 to 8: '1' OFF, '0' ON, '-' neither.
SwitchPairs pairsOf(const char *states)
{
    SwitchPairs pairs{};
    for (std::size_t i = 0; i < pairs.size(); ++i) {
        const char c = states[i];
        pairs[i] = c == '1' ? PairState::Off : c == '0' ? PairState::On : PairState::None;
    }
    return pairs;
}

// The pairs a byte read from the printer selects.
SwitchPairs pairsOfValue(int value)
{
    const std::array<bool, 8> off = SwitchBits::offStates(value);
    SwitchPairs pairs{};
    for (std::size_t i = 0; i < pairs.size(); ++i)
        pairs[i] = off[i] ? PairState::Off : PairState::On;
    return pairs;
}

// What refreshing switches 1 to 8 in turn writes: "label=text" per switch, "-" for none.
QStringList refreshAll(SwitchByte sw, const QString &model, const SwitchPairs &pairs)
{
    QStringList written;
    for (int index = 0; index < 8; ++index) {
        const std::optional<MeaningUpdate> update =
            SwitchMeanings::meaning(sw, model, index, pairs);
        written.append(update ? QString::number(update->labelIndex) + u'=' + update->text
                              : QStringLiteral("-"));
    }
    return written;
}

QString l(const char *text)
{
    return QString::fromLatin1(text);
}

} // namespace

class TestSwitches : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void bitMapping_data();
    void bitMapping();
    void meanings_data();
    void meanings();
    void meaningIndexOutOfRange_data();
    void meaningIndexOutOfRange();
    void entrySearch_data();
    void entrySearch();
    void everyEntryFindsItself();
    void interCharsReset_data();
    void interCharsReset();
    void fieldCuts_data();
    void fieldCuts();
    void nameCutAgreesWithFixedColumns();
    void leadingNumber_data();
    void leadingNumber();
};

void TestSwitches::bitMapping_data()
{
    QTest::addColumn<int>("value");
    QTest::addColumn<QByteArray>("offStates"); // switches 1 to 8, '1' = OFF
    QTest::addColumn<int>("backValue");
    QTest::addColumn<QByteArray>("digits");

    QTest::newRow("0") << 0 << QByteArray("00000000") << 0 << QByteArray("0\0\0", 3);
    QTest::newRow("1") << 1 << QByteArray("10000000") << 1 << QByteArray("1\0\0", 3);
    QTest::newRow("37") << 37 << QByteArray("10100100") << 37 << QByteArray("37\0", 3);
    QTest::newRow("128") << 128 << QByteArray("00000001") << 128 << QByteArray("128");
    QTest::newRow("129") << 129 << QByteArray("10000001") << 129 << QByteArray("129");
    QTest::newRow("200") << 200 << QByteArray("00010011") << 200 << QByteArray("200");
    QTest::newRow("255") << 255 << QByteArray("11111111") << 255 << QByteArray("255");
    // Outside a byte: held to its ends, never a sign or a fourth digit.
    QTest::newRow("-1") << -1 << QByteArray("00000000") << 0 << QByteArray("0\0\0", 3);
    QTest::newRow("256") << 256 << QByteArray("11111111") << 255 << QByteArray("255");
    QTest::newRow("1000") << 1000 << QByteArray("11111111") << 255 << QByteArray("255");
}

void TestSwitches::bitMapping()
{
    QFETCH(int, value);
    QFETCH(QByteArray, offStates);
    QFETCH(int, backValue);
    QFETCH(QByteArray, digits);

    const std::array<bool, 8> off = SwitchBits::offStates(value);
    QByteArray shown;
    for (bool isOff : off)
        shown.append(isOff ? '1' : '0');
    QCOMPARE(shown, offStates);
    QCOMPARE(SwitchBits::valueFromOffStates(off), backValue);
    QCOMPARE(bytesOf(SwitchBits::digitCodes(value)), digits);
    QCOMPARE(bytesOf(SwitchBits::digitCodes(SwitchBits::valueFromOffStates(off))), digits);
}

void TestSwitches::meanings_data()
{
    QTest::addColumn<SwitchByte>("sw");
    QTest::addColumn<QString>("model");
    QTest::addColumn<SwitchPairs>("pairs");
    QTest::addColumn<QStringList>("written");

    const QString kv = l("KV-4100");
    const QString zephyr = l("ZEPHYR-550");

    const QStringList sw1AllOff{l("0=Baud Rate = 19200 "),
                                l("0=Baud Rate = 19200 "),
                                l("2=Don't cut paper when cover closed."),
                                l("3=Partial cut paper."),
                                l("4=Busy condition = When buffer full or off line"),
                                l("5=Paper Feed before cut paper = Enabled"),
                                l("6=With Auto Cutter"),
                                l("7=Paper Feed Backward before print = Enabled")};
    QTest::newRow("SW1 255") << SwitchByte::SW1 << zephyr << pairsOfValue(255) << sw1AllOff;
    QTest::newRow("SW1 255 foreign model")
        << SwitchByte::SW1 << l("") << pairsOfValue(255) << sw1AllOff;
    QTest::newRow("SW1 0") << SwitchByte::SW1 << zephyr << pairsOfValue(0)
                           << QStringList{l("0=Baud Rate = 38400 "),
                                          l("0=Baud Rate = 38400 "),
                                          l("2=Cut Paper When cover closed."),
                                          l("3=Full cut paper"),
                                          l("4=Busy condition = When buffer full"),
                                          l("5=Paper Feed before cut paper = Disabled"),
                                          l("6=Without Auto Cutter"),
                                          l("7=Paper Feed Backward before print = Disabled")};

    const QStringList sw1Tail{l("2=Cut Paper When cover closed."),
                              l("3=Full cut paper"),
                              l("4=Busy condition = When buffer full"),
                              l("5=Paper Feed before cut paper = Disabled"),
                              l("6=Without Auto Cutter"),
                              l("7=Paper Feed Backward before print = Disabled")};
    QTest::newRow("SW1 1 OFF 2 ON")
        << SwitchByte::SW1 << zephyr << pairsOfValue(1)
        << QStringList{l("0=Baud Rate = 115200"), l("0=Baud Rate = 115200")} + sw1Tail;
    QTest::newRow("SW1 1 ON 2 OFF")
        << SwitchByte::SW1 << zephyr << pairsOfValue(2)
        << QStringList{l("0=Baud Rate = 9600  "), l("0=Baud Rate = 9600  ")} + sw1Tail;
    QTest::newRow("SW1 switch 1 unselected")
        << SwitchByte::SW1 << zephyr << pairsOf("-0000000")
        << QStringList{l("0=Unknown "), l("0=Unknown ")} + sw1Tail;
    QTest::newRow("SW1 switch 2 unselected")
        << SwitchByte::SW1 << zephyr << pairsOf("1-000000")
        << QStringList{l("0=Unknown "), l("0=Unknown ")} + sw1Tail;
    // A pair with neither button selected shows the ON text.
    QTest::newRow("SW1 switch 5 unselected")
        << SwitchByte::SW1 << zephyr << pairsOf("0000-000")
        << QStringList{l("0=Baud Rate = 38400 "), l("0=Baud Rate = 38400 ")} + sw1Tail;

    const QStringList sw2TailOn{l("4=Raster bitmap print mode = Line printing"),
                                l("5=Parity check = EVEN"), l("6=Handshaking = XON/XOFF"),
                                l("7=<CR> Valid")};
    const QStringList sw2TailOff{l("4=Raster bitmap print mode = Batch printing"),
                                 l("5=Parity check = NONE"), l("6=Handshaking = DTR/DSR"),
                                 l("7=<CR> Invalid")};
    QTest::newRow("SW2 KV 0") << SwitchByte::SW2 << kv << pairsOfValue(0)
                              << QStringList{l("0=Print Density = LIGHT"),
                                             l("0=Print Density = LIGHT"),
                                             l("2=Cut Paper When cover closed."),
                                             l("3=Full cut paper")} +
                                     sw2TailOn;
    QTest::newRow("SW2 KV 2") << SwitchByte::SW2 << kv << pairsOfValue(2)
                              << QStringList{l("0=Print Density =HIGH QUALITY"),
                                             l("0=Print Density =HIGH QUALITY"),
                                             l("2=Cut Paper When cover closed."),
                                             l("3=Full cut paper")} +
                                     sw2TailOn;
    QTest::newRow("SW2 KV 1") << SwitchByte::SW2 << kv << pairsOfValue(1)
                              << QStringList{l("0=Unknown"), l("0=Unknown"),
                                             l("2=Cut Paper When cover closed."),
                                             l("3=Full cut paper")} +
                                     sw2TailOn;
    QTest::newRow("SW2 KV 255") << SwitchByte::SW2 << kv << pairsOfValue(255)
                                << QStringList{l("0=Print Density = NORMAL"),
                                               l("0=Print Density = NORMAL"),
                                               l("2=Don't cut paper when cover closed."),
                                               l("3=Partial cut paper.")} +
                                       sw2TailOff;
    QTest::newRow("SW2 KV switch 2 unselected")
        << SwitchByte::SW2 << kv << pairsOf("1-110000")
        << QStringList{l("-"), l("-"), l("2=Don't cut paper when cover closed."),
                       l("3=Partial cut paper.")} +
               sw2TailOn;
    QTest::newRow("SW2 ZEPHYR 255")
        << SwitchByte::SW2 << zephyr << pairsOfValue(255)
        << QStringList{l("0=Hardware Switch1 = Valid"), l("1=Fixed to OFF"), l("2=Fixed to OFF"),
                       l("3=Fixed to OFF")} +
               sw2TailOff;
    QTest::newRow("SW2 ZEPHYR 254")
        << SwitchByte::SW2 << zephyr << pairsOfValue(254)
        << QStringList{l("0=Hardware Switch1 = Invalid\r\n"
                         "(Software switch instead of hardware switch)"),
                       l("1=Fixed to OFF"), l("2=Fixed to OFF"), l("3=Fixed to OFF")} +
               sw2TailOff;
    QTest::newRow("SW2 ZEPHYR 0") << SwitchByte::SW2 << zephyr << pairsOfValue(0)
                                  << QStringList{l("0=Hardware Switch1 = Invalid\r\n"
                                                   "(Software switch instead of hardware switch)"),
                                                 l("1=Unknown"), l("2=Unknown"), l("3=Unknown")} +
                                         sw2TailOn;
    const QStringList foreign = QStringList{l("-"), l("-"), l("-"), l("-")} + sw2TailOff;
    QTest::newRow("SW2 lower-case model")
        << SwitchByte::SW2 << l("kv-4100") << pairsOfValue(255) << foreign;
    QTest::newRow("SW2 model with trailing blank")
        << SwitchByte::SW2 << l("KV-4100 ") << pairsOfValue(255) << foreign;
    QTest::newRow("SW2 model with leading blank")
        << SwitchByte::SW2 << l(" ZEPHYR-550") << pairsOfValue(255) << foreign;
    QTest::newRow("SW2 empty model") << SwitchByte::SW2 << l("") << pairsOfValue(255) << foreign;

    const QStringList sw3Rest{l("-"), l("-"), l("-"), l("-"), l("-"), l("-"), l("-")};
    QTest::newRow("SW3 1") << SwitchByte::SW3 << kv << pairsOfValue(1)
                           << QStringList{l("0=Paper Feed Backward before print = Enabled")} +
                                  sw3Rest;
    QTest::newRow("SW3 254") << SwitchByte::SW3 << kv << pairsOfValue(254)
                             << QStringList{l("0=Paper Feed Backward before print = Disabled")} +
                                    sw3Rest;
    QTest::newRow("SW3 switch 1 unselected")
        << SwitchByte::SW3 << kv << pairsOf("-1111111")
        << QStringList{l("0=Paper Feed Backward before print = Disabled")} + sw3Rest;
}

void TestSwitches::meanings()
{
    QFETCH(SwitchByte, sw);
    QFETCH(QString, model);
    QFETCH(SwitchPairs, pairs);
    QFETCH(QStringList, written);

    QCOMPARE(refreshAll(sw, model, pairs), written);
}

void TestSwitches::meaningIndexOutOfRange_data()
{
    QTest::addColumn<SwitchByte>("sw");
    QTest::addColumn<int>("index");

    for (SwitchByte sw : {SwitchByte::SW1, SwitchByte::SW2, SwitchByte::SW3}) {
        for (int index : {-1, 8, 14}) {
            QTest::addRow("SW%d index %d", int(sw) + 1, index) << sw << index;
        }
    }
}

void TestSwitches::meaningIndexOutOfRange()
{
    QFETCH(SwitchByte, sw);
    QFETCH(int, index);

    QVERIFY(!SwitchMeanings::meaning(sw, l("KV-4100"), index, pairsOfValue(0)));
    QVERIFY(!SwitchMeanings::meaning(sw, l("ZEPHYR-550"), index, pairsOfValue(255)));
}

void TestSwitches::entrySearch_data()
{
    QTest::addColumn<bool>("codePage"); // false: character set
    QTest::addColumn<QString>("numberText");
    QTest::addColumn<QString>("entry"); // empty: not found

    QTest::newRow("code page 25") << true << l("25") << l("25 - 1254 Windows Turkish");
    QTest::newRow("code page 250") << true << l("250") << l("250-LITHUANIA");
    QTest::newRow("code page 1") << true << l("1") << l("1  - Katakana Japanese");
    QTest::newRow("code page 0") << true << l("0") << l("0  - 437 Standard");
    QTest::newRow("code page blank 25") << true << l(" 25") << QString();
    QTest::newRow("code page 25 blank") << true << l("25 ") << QString();
    QTest::newRow("code page 6") << true << l("6") << QString();
    QTest::newRow("code page 30") << true << l("30") << QString();
    QTest::newRow("code page 2500") << true << l("2500") << QString();
    QTest::newRow("code page empty") << true << l("") << QString();
    QTest::newRow("charset 15") << false << l("15") << l("15- Ex-Yugoslavia");
    QTest::newRow("charset 10") << false << l("10") << l("10- Denmark II");
    QTest::newRow("charset 0") << false << l("0") << l("0 - U.S.A.");
    QTest::newRow("charset 14") << false << l("14") << QString();
    QTest::newRow("charset 16") << false << l("16") << QString();
    QTest::newRow("charset empty") << false << l("") << QString();
}

void TestSwitches::entrySearch()
{
    QFETCH(bool, codePage);
    QFETCH(QString, numberText);
    QFETCH(QString, entry);

    const QStringList entries =
        codePage ? LanguageTables::codePageEntries() : LanguageTables::interCharsEntries();
    const int index = codePage ? LanguageTables::findCodePage(numberText)
                               : LanguageTables::findInterChars(numberText);
    QCOMPARE(index >= 0 ? entries.at(index) : QString(), entry);
}

void TestSwitches::everyEntryFindsItself()
{
    // Index and number are tied only through the number text: every entry must be found again
    // by its own number, and both code-page lists must carry the same number on each index.
    const QStringList codePages = LanguageTables::codePageEntries();
    const QStringList names = LanguageTables::codePageNameEntries();
    QCOMPARE(codePages.size(), 23);
    QCOMPARE(names.size(), codePages.size());
    for (int i = 0; i < codePages.size(); ++i) {
        const QString number = LanguageTables::codePageNumberText(codePages.at(i));
        QCOMPARE(LanguageTables::findCodePage(number), i);
        QCOMPARE(LanguageTables::codePageNumberText(names.at(i)), number);
    }
    const QStringList interChars = LanguageTables::interCharsEntries();
    QCOMPARE(interChars.size(), 15);
    for (int i = 0; i < interChars.size(); ++i)
        QCOMPARE(
            LanguageTables::findInterChars(LanguageTables::interCharsNumberText(interChars.at(i))),
            i);
}

void TestSwitches::interCharsReset_data()
{
    QTest::addColumn<QString>("codePage");
    QTest::addColumn<QString>("interChars");

    QTest::newRow("Japanese") << l("1  - Katakana Japanese") << l("8 - Japan");
    QTest::newRow("Cyrillic") << l("17 - 866 Cyrillic") << l("0 - U.S.A.");
    QTest::newRow("Standard") << l("0  - 437 Standard") << l("0 - U.S.A.");
    QTest::newRow("Lithuania") << l("250-LITHUANIA") << l("0 - U.S.A.");
    QTest::newRow("empty") << l("") << l("0 - U.S.A.");
}

void TestSwitches::interCharsReset()
{
    QFETCH(QString, codePage);
    QFETCH(QString, interChars);

    QCOMPARE(LanguageTables::interCharsEntries().at(LanguageTables::interCharsResetIndex(codePage)),
             interChars);
}

void TestSwitches::fieldCuts_data()
{
    QTest::addColumn<int>("field"); // 0 code page digits, 1 name codes, 2 character-set digits
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("codes"); // empty: no codes

    QTest::newRow("digits 17") << 0 << l("17 - 866 Cyrillic") << QByteArray("17\0", 3);
    QTest::newRow("digits 0") << 0 << l("0  - 437 Standard") << QByteArray("0\0\0", 3);
    QTest::newRow("digits 250") << 0 << l("250-LITHUANIA") << QByteArray("250");
    QTest::newRow("digits empty") << 0 << l("") << QByteArray();
    QTest::newRow("digits blank") << 0 << l("   - 437") << QByteArray();

    QTest::newRow("name Lithuania")
        << 1 << l("250-LITHUANIA") << QByteArray("LITHUANIA").append(11, '\0');
    QTest::newRow("name exactly 20")
        << 1 << l("2  - Multilingual(LatinI)") << QByteArray("MULTILINGUAL(LATINI)");
    QTest::newRow("name 18") << 1 << l("19 - Multilingual(Euro)")
                             << QByteArray("MULTILINGUAL(EURO)").append(2, '\0');
    QTest::newRow("name Nordic") << 1 << l("5  - Nordic") << QByteArray("NORDIC").append(14, '\0');
    QTest::newRow("name with hyphen")
        << 1 << l("4  - Canadian-French") << QByteArray("CANADIAN-FRENCH").append(5, '\0');
    QTest::newRow("name longer than 20")
        << 1 << l("1  - abcdefghijklmnopqrstuvwxyz") << QByteArray("ABCDEFGHIJKLMNOPQRST");
    QTest::newRow("name cut before a blank")
        << 1 << l("1  - abcdefghijklmnopqrs uvw") << QByteArray("ABCDEFGHIJKLMNOPQRS").append('\0');
    QTest::newRow("name empty") << 1 << l("") << QByteArray();
    QTest::newRow("name blank") << 1 << l("17 -   ") << QByteArray();

    QTest::newRow("charset 12") << 2 << l("12- Latin America") << QByteArray("12");
    QTest::newRow("charset 4") << 2 << l("4 - Denmark I") << QByteArray("4\0", 2);
    QTest::newRow("charset 0") << 2 << l("0 - U.S.A.") << QByteArray("0\0", 2);
    QTest::newRow("charset empty") << 2 << l("") << QByteArray();
    QTest::newRow("charset blank") << 2 << l(" ") << QByteArray();
}

void TestSwitches::fieldCuts()
{
    QFETCH(int, field);
    QFETCH(QString, text);
    QFETCH(QByteArray, codes);

    QByteArray cut;
    switch (field) {
    case 0:
        cut = bytesOf(LanguageTables::codePageDigits(text));
        break;
    case 1:
        cut = bytesOf(LanguageTables::codePageNameCodes(text));
        break;
    default:
        cut = bytesOf(LanguageTables::interCharsDigits(text));
        break;
    }
    QCOMPARE(cut, codes);
}

void TestSwitches::nameCutAgreesWithFixedColumns()
{
    // Apart from the entry with a three-digit number, every name starts at the sixth character.
    for (const QString &entry : LanguageTables::codePageNameEntries()) {
        if (LanguageTables::codePageNumberText(entry).size() == 3)
            continue;
        QByteArray expected = entry.mid(5, 20).trimmed().toUpper().toLatin1();
        expected.append(20 - expected.size(), '\0');
        QCOMPARE(bytesOf(LanguageTables::codePageNameCodes(entry)), expected);
    }
}

void TestSwitches::leadingNumber_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("isNumber");
    QTest::addColumn<double>("value");

    const double inf = std::numeric_limits<double>::infinity();
    QTest::newRow("fraction") << l("12.5") << true << 12.5;
    QTest::newRow("trailing letters") << l("37abc") << true << 37.0;
    QTest::newRow("negative") << l("-1") << true << -1.0;
    QTest::newRow("plus") << l("+5") << true << 5.0;
    QTest::newRow("empty") << l("") << false << 0.0;
    QTest::newRow("letters") << l("abc") << false << 0.0;
    QTest::newRow("blank inside") << l(" 2 55") << true << 255.0;
    QTest::newRow("line feed inside") << l("1\n2") << true << 12.0;
    QTest::newRow("tab in front") << l("\t7") << true << 7.0;
    QTest::newRow("blank after sign") << l("- 3") << true << -3.0;
    QTest::newRow("carriage return stops") << l("12\r\n3") << true << 12.0;
    QTest::newRow("leading point") << l(".5") << true << 0.5;
    QTest::newRow("trailing point") << l("5.") << true << 5.0;
    QTest::newRow("second point stops") << l("1.2.3") << true << 1.2;
    QTest::newRow("second sign stops") << l("5-3") << true << 5.0;
    QTest::newRow("sign only") << l("-") << false << 0.0;
    QTest::newRow("point only") << l(".") << false << 0.0;
    QTest::newRow("double sign") << l("--1") << false << 0.0;
    QTest::newRow("blanks only") << l(" \t\n") << false << 0.0;
    QTest::newRow("baud text") << l("Baud Rate = 9600  ").right(6) << true << 9600.0;
    QTest::newRow("settings text") << l("115200,N,8,1") << true << 115200.0;
    QTest::newRow("too large") << QString(400, u'9') << true << inf;
    QTest::newRow("too large negative") << u'-' + QString(400, u'9') << true << -inf;
    QTest::newRow("too small") << l("0.") + QString(400, u'0') + u'1' << true << 0.0;
}

void TestSwitches::leadingNumber()
{
    QFETCH(QString, text);
    QFETCH(bool, isNumber);
    QFETCH(double, value);

    const std::optional<double> number = NumberText::leadingNumber(text);
    QCOMPARE(number.has_value(), isNumber);
    QCOMPARE(NumberText::valueOf(text), value);
    if (number)
        QCOMPARE(*number, value);
}

QTEST_GUILESS_MAIN(TestSwitches)
#include "tst_switches.moc"
