// The switch bytes and their meanings, the language lists and the reading of numbers, with no
// device and no window.

#include "LanguageTables.h"
#include "NumberText.h"
#include "SwitchBits.h"
#include "SwitchMeanings.h"

#include <QRegularExpression>
#include <QTest>

#include <algorithm>
#include <functional>
#include <limits>

Q_DECLARE_METATYPE(SwitchByte)

using namespace Qt::StringLiterals;

class TestSwitches : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void bitMapping_data();
    void bitMapping();
    void meaning_data();
    void meaning();
    void languageLists();
    void numbers_data();
    void numbers();
};

void TestSwitches::bitMapping_data()
{
    QTest::addColumn<int>("value");
    QTest::addColumn<QByteArray>("offStates"); // switches 1 to 8, '1' = OFF
    QTest::addColumn<QByteArray>("digits");

    QTest::newRow("37") << 37 << QByteArray("10100100") << QByteArray("37\0", 3);
    QTest::newRow("200") << 200 << QByteArray("00010011") << QByteArray("200");
    // Outside a byte: held to its ends, never a sign or a fourth digit.
    QTest::newRow("-1") << -1 << QByteArray("00000000") << QByteArray("0\0\0", 3);
    QTest::newRow("256") << 256 << QByteArray("11111111") << QByteArray("255");
}

void TestSwitches::bitMapping()
{
    QFETCH(int, value);
    QFETCH(QByteArray, offStates);
    QFETCH(QByteArray, digits);

    const std::array<bool, 8> off = SwitchBits::offStates(value);
    QByteArray shown;
    for (const bool isOff : off)
        shown.append(isOff ? '1' : '0');
    QCOMPARE(shown, offStates);
    const std::array<quint8, 3> codes = SwitchBits::digitCodes(value);
    QCOMPARE(QByteArray(reinterpret_cast<const char *>(codes.data()), 3), digits);
    QCOMPARE(SwitchBits::valueFromOffStates(off), std::clamp(value, 0, 255));
}

void TestSwitches::meaning_data()
{
    QTest::addColumn<SwitchByte>("sw");
    QTest::addColumn<QString>("model");
    QTest::addColumn<QString>("states"); // switches 1 to 8: '1' OFF, '0' ON, '-' neither
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("written"); // "label=text", empty: nothing written

    const auto row = [](const char *name, SwitchByte sw, const char *model, const char *states,
                        int index, const char *written) {
        QTest::newRow(name) << sw << QString::fromLatin1(model) << QString::fromLatin1(states)
                            << index << QString::fromLatin1(written);
    };
    const SwitchByte sw1 = SwitchByte::SW1, sw2 = SwitchByte::SW2;
    // Switches 1 and 2 decide label 0 together; SW1 means the same on every model. (Whole bytes
    // and their meanings are seen in printer-switch's info.)
    row("baud any model", sw1, "", "01000000", 0, "0=Baud Rate = 9600  ");
    row("baud unselected", sw1, "ZEPHYR-550", "1-000000", 0, "0=Unknown ");
    // A pair with neither button selected shows the ON text.
    row("SW1 switch 5 unselected", sw1, "ZEPHYR-550", "0000-000", 4,
        "4=Busy condition = When buffer full");
    row("density unselected", sw2, "KV-4100", "-1000000", 0, "");
    row("ZEPHYR hardware switch", sw2, "ZEPHYR-550", "00000000", 0,
        "0=Hardware Switch1 = Invalid\r\n(Software switch instead of hardware switch)");
    // Model names are compared whole and case-sensitively.
    row("lower-case model", sw2, "kv-4100", "11111111", 0, "");
    row("foreign parity", sw2, "kv-4100", "00000100", 5, "5=Parity check = NONE");
    row("index 8", sw1, "ZEPHYR-550", "11111111", 8, "");
}

void TestSwitches::meaning()
{
    QFETCH(SwitchByte, sw);
    QFETCH(QString, model);
    QFETCH(QString, states);
    QFETCH(int, index);
    QFETCH(QString, written);

    SwitchPairs pairs{};
    for (std::size_t i = 0; i < pairs.size(); ++i)
        pairs[i] = states[i] == u'1'   ? PairState::Off
                   : states[i] == u'0' ? PairState::On
                                       : PairState::None;
    const auto update = SwitchMeanings::meaning(sw, model, index, pairs);
    QCOMPARE(update ? QString::number(update->labelIndex) + u'=' + update->text : QString(),
             written);
}

void TestSwitches::languageLists()
{
    // Each entry carries the number its text begins with, the numbers rise from entry to entry,
    // and both code-page lists carry the same number on each index.
    static const QRegularExpression leadingDigits(u"^\\d+"_s);
    const auto numbersOf = [](const QStringList &entries) {
        QList<int> numbers;
        for (const QString &entry : entries)
            numbers.append(leadingDigits.match(entry).captured().toInt());
        return numbers;
    };
    const QList<int> codePages = LanguageTables::codePageNumbers();
    QCOMPARE(codePages, numbersOf(LanguageTables::codePageEntries()));
    QCOMPARE(codePages, numbersOf(LanguageTables::codePageNameEntries()));
    QCOMPARE(LanguageTables::interCharsNumbers(), numbersOf(LanguageTables::interCharsEntries()));
    for (const QList<int> &numbers : {codePages, LanguageTables::interCharsNumbers()})
        QVERIFY(std::ranges::adjacent_find(numbers, std::greater_equal<>()) == numbers.end());
    // A character set without an entry is none. (A code page without one, and the character set a
    // code page brings with it: printer-switch's and the window's rows.)
    QCOMPARE(LanguageTables::findInterChars(14), -1);
}

// A number as the printer writes it: the language lists' entry it stands for (-1: none), and the
// value the reply is read as wherever a number is taken from its leading characters.
void TestSwitches::numbers_data()
{
    QTest::addColumn<QString>("reply");
    QTest::addColumn<int>("entry");
    QTest::addColumn<bool>("isNumber");
    QTest::addColumn<double>("value");

    QTest::newRow("17") << u"17"_s << 17 << true << 17.0;
    QTest::newRow("blanks around: 25") << u" 25 "_s << 25 << true << 25.0;
    QTest::newRow("0") << u"0"_s << 0 << true << 0.0;
    // The window finds no entry for a number written otherwise than the lists write it, and
    // printer-switch reports none; its leading number is still read.
    QTest::newRow("leading zero") << u"017"_s << -1 << true << 17.0;
    QTest::newRow("blank inside") << u"1 7"_s << -1 << true << 17.0;
    QTest::newRow("sign") << u"+1"_s << -1 << true << 1.0;
    QTest::newRow("line end") << u"17\r\n"_s << -1 << true << 17.0;
    QTest::newRow("carriage return stops") << u"12\r\n3"_s << -1 << true << 12.0;
    QTest::newRow("empty") << u""_s << -1 << false << 0.0;
    QTest::newRow("trailing letters") << u"37abc"_s << -1 << true << 37.0;
    QTest::newRow("blanks and line feed inside") << u" -2 5\t\n5"_s << -1 << true << -255.0;
    QTest::newRow("second point stops") << u"1.2.3"_s << -1 << true << 1.2;
    QTest::newRow("double sign") << u"--1"_s << -1 << false << 0.0;
    QTest::newRow("too large") << QString(400, u'9') << -1 << true
                               << std::numeric_limits<double>::infinity();
}

void TestSwitches::numbers()
{
    QFETCH(QString, reply);
    QFETCH(int, entry);
    QFETCH(bool, isNumber);
    QFETCH(double, value);

    QCOMPARE(LanguageTables::reportedNumber(reply).value_or(-1), entry);
    QCOMPARE(NumberText::leadingNumber(reply).has_value(), isNumber);
    QCOMPARE(NumberText::valueOf(reply), value);
}

QTEST_GUILESS_MAIN(TestSwitches)
#include "tst_switches.moc"
