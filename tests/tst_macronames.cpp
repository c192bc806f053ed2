#include "device/macronames.h"
#include "helpers/testenv.h"

#include <QTextCodec>
#include <QtTest>

namespace {

const QString chinese16 = QString::fromUtf8("一二三四五六七八九十百千万亿兆京");
const QString emoji = QString::fromUtf8("\xF0\x9F\x98\x80"); // U+1F600, a surrogate pair

QString repeated(const char* text, int times)
{
    return QString::fromUtf8(text).repeated(times);
}

} // namespace

class TestMacroNames : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void codecFollowsTheLocale();
    void cut_data();
    void cut();
    void decode_data();
    void decode();
    void encode_data();
    void encode();
    void usableNames_data();
    void usableNames();

private:
    void useCodec(const QByteArray& name);

    QTextCodec* m_savedCodec = nullptr;
};

void TestMacroNames::init()
{
    m_savedCodec = QTextCodec::codecForLocale();
}

void TestMacroNames::cleanup()
{
    QTextCodec::setCodecForLocale(m_savedCodec);
}

void TestMacroNames::useCodec(const QByteArray& name)
{
    QTextCodec* codec = QTextCodec::codecForName(name);
    QVERIFY2(codec, name.constData());
    QTextCodec::setCodecForLocale(codec);
}

void TestMacroNames::codecFollowsTheLocale()
{
    useCodec("GBK");
    QCOMPARE(MacroNameCodec(), QTextCodec::codecForLocale());
    QCOMPARE(MacroNameToLocal8Bit(QString::fromUtf8("中文")), QByteArray::fromHex("d6d0cec4"));
    QCOMPARE(MacroNameFromLocal8Bit(QByteArray::fromHex("d6d0cec4")), QString::fromUtf8("中文"));

    useCodec("UTF-8");
    QCOMPARE(MacroNameCodec(), QTextCodec::codecForLocale());
    QCOMPARE(MacroNameToLocal8Bit(QString::fromUtf8("中文")), QByteArray::fromHex("e4b8ade69687"));
}

void TestMacroNames::cut_data()
{
    QTest::addColumn<QByteArray>("codec");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("maxBytes");
    QTest::addColumn<QString>("expected");

    QTest::newRow("GBK: 16 Chinese keep 15") << QByteArray("GBK") << chinese16 << 30 << chinese16.left(15);
    QTest::newRow("GBK: 14 Chinese and 3 letters keep 14 and 2")
        << QByteArray("GBK") << chinese16.left(14) + "abc" << 30 << chinese16.left(14) + "ab";
    QTest::newRow("GBK: 15 Chinese fit") << QByteArray("GBK") << chinese16.left(15) << 30 << chinese16.left(15);
    QTest::newRow("UTF-8: a and 15 e-acute keep 14")
        << QByteArray("UTF-8") << "a" + repeated("é", 15) << 30 << "a" + repeated("é", 14);
    QTest::newRow("UTF-8: 31 letters keep 30")
        << QByteArray("UTF-8") << repeated("x", 31) << 30 << repeated("x", 30);
    QTest::newRow("UTF-8: emoji that does not fit is dropped whole")
        << QByteArray("UTF-8") << repeated("a", 27) + emoji << 30 << repeated("a", 27);
    QTest::newRow("UTF-8: emoji that fits exactly stays")
        << QByteArray("UTF-8") << repeated("a", 26) + emoji + "b" << 30 << repeated("a", 26) + emoji;
    QTest::newRow("UTF-8: second emoji of two") << QByteArray("UTF-8") << emoji + emoji << 6 << emoji;
    QTest::newRow("GB18030: emoji that does not fit is dropped whole")
        << QByteArray("GB18030") << repeated("a", 28) + emoji << 30 << repeated("a", 28);
    QTest::newRow("Latin-1: e-acute is one byte")
        << QByteArray("ISO-8859-1") << "a" + repeated("é", 15) << 30 << "a" + repeated("é", 15);
    QTest::newRow("UTF-8: empty") << QByteArray("UTF-8") << QString() << 30 << QString();
    QTest::newRow("UTF-8: no room") << QByteArray("UTF-8") << QString("abc") << 0 << QString();
}

void TestMacroNames::cut()
{
    QFETCH(QByteArray, codec);
    QFETCH(QString, name);
    QFETCH(int, maxBytes);
    QFETCH(QString, expected);

    useCodec(codec);
    const QString kept = CutMacroName(name, maxBytes);
    QCOMPARE(kept, expected);
    QVERIFY(MacroNameToLocal8Bit(kept).size() <= maxBytes);
}

void TestMacroNames::decode_data()
{
    QTest::addColumn<QByteArray>("codec");
    QTest::addColumn<QByteArray>("bytes"); // followed in memory by bytes that are not the name's
    QTest::addColumn<int>("size");
    QTest::addColumn<QString>("expected");

    const QByteArray zeros(30, '\0');
    QTest::newRow("one letter") << QByteArray("UTF-8") << ("M" + zeros).left(30) << 30 << "M";
    QTest::newRow("stops at the first zero")
        << QByteArray("UTF-8") << QByteArray("Ma\0junk", 7) + zeros.left(23) << 30 << "Ma";
    QTest::newRow("all 30 bytes, no zero")
        << QByteArray("UTF-8") << QByteArray(30, 'a') << 30 << QString(30, QLatin1Char('a'));
    QTest::newRow("GBK") << QByteArray("GBK") << QByteArray::fromHex("d6d0cec400") + zeros.left(25) << 30
                         << QString::fromUtf8("中文");
    QTest::newRow("only zeros") << QByteArray("UTF-8") << zeros << 30 << QString();
    QTest::newRow("shorter size") << QByteArray("UTF-8") << QByteArray("abcdef") << 3 << "abc";
    QTest::newRow("no size") << QByteArray("UTF-8") << QByteArray("abc") << 0 << QString();
}

void TestMacroNames::decode()
{
    QFETCH(QByteArray, codec);
    QFETCH(QByteArray, bytes);
    QFETCH(int, size);
    QFETCH(QString, expected);

    useCodec(codec);
    const QByteArray memory = bytes + QByteArray(8, 'X');
    QCOMPARE(DecodeMacroName(reinterpret_cast<const quint8*>(memory.constData()), size), expected);
}

void TestMacroNames::encode_data()
{
    QTest::addColumn<QByteArray>("codec");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("expected"); // the 30 name bytes

    const QByteArray zeros(30, '\0');
    QTest::newRow("one letter") << QByteArray("UTF-8") << QString("M") << ("M" + zeros).left(30);
    QTest::newRow("GBK, cut") << QByteArray("GBK") << chinese16
        << QByteArray::fromHex("d2bbb6fec8fdcbc4cee5c1f9c6dfb0cbbec5caaeb0d9c7a7cdf2d2dad5d7");
    QTest::newRow("UTF-8, cut")
        << QByteArray("UTF-8") << "a" + repeated("é", 15) << ("a" + repeated("é", 14)).toUtf8() + '\0';
    QTest::newRow("empty") << QByteArray("UTF-8") << QString() << zeros;
}

// The name bytes of a record: the cut name, zeros after it, nothing written past the field.
void TestMacroNames::encode()
{
    QFETCH(QByteArray, codec);
    QFETCH(QString, name);
    QFETCH(QByteArray, expected);

    useCodec(codec);
    QByteArray memory(MacroNameBytes + 8, 'X');
    const int length = EncodeMacroName(name, reinterpret_cast<quint8*>(memory.data()));
    QCOMPARE(memory, expected + QByteArray(8, 'X'));
    QCOMPARE(length, int(qstrnlen(expected.constData(), uint(expected.size()))));
    QCOMPARE(DecodeMacroName(reinterpret_cast<const quint8*>(memory.constData())), CutMacroName(name));
}

void TestMacroNames::usableNames_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("usable");

    QTest::newRow("plain") << QString("Macro 1") << true;
    QTest::newRow("Chinese") << QString::fromUtf8("宏一") << true;
    QTest::newRow("dot first") << QString(".a") << true;
    QTest::newRow("three dots") << QString("...") << true;
    QTest::newRow("blank only") << QString(" ") << true;
    QTest::newRow("colon") << QString("a:b") << true;
    QTest::newRow("empty") << QString() << false;
    QTest::newRow("dot") << QString(".") << false;
    QTest::newRow("two dots") << QString("..") << false;
    QTest::newRow("slash") << QString("a/b") << false;
    QTest::newRow("backslash") << QString("a\\b") << false;
    QTest::newRow("tab") << QString("a\tb") << false;
    QTest::newRow("line break") << QString("a\n") << false;
    QTest::newRow("NUL") << QString(QChar(0)) + "a" << false;
    QTest::newRow("DEL") << QString("a\x7f") << false;
    QTest::newRow("C1 control") << "a" + QString(QChar(0x85)) << false;
}

void TestMacroNames::usableNames()
{
    QFETCH(QString, name);
    QFETCH(bool, usable);
    QCOMPARE(IsUsableMacroName(name), usable);
}

VEXO_TEST_CORE_MAIN(TestMacroNames)
#include "tst_macronames.moc"
