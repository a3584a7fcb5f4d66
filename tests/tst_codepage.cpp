#include "files/codepage.h"

#include <QStringDecoder>
#include <QTest>

using namespace Puckdex;

class TstCodePage : public QObject
{
    Q_OBJECT

private slots:
    void everyByteRoundTrips()
    {
        QByteArray all;
        for (int b = 0; b < 256; ++b)
            all.append(char(b));
        const QString text = CodePage::decode(all);
        QCOMPARE(text.size(), 256);
        QCOMPARE(CodePage::encode(text), std::optional<QByteArray>(all));
    }

    void decodesWindows1252_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("ascii") << QByteArray("Gretzky") << QStringLiteral("Gretzky");
        QTest::newRow("latin-1 range")
            << QByteArray("Jos\xe9 Stra\xdf") << QStringLiteral("José Straß");
        QTest::newRow("euro and quotes")
            << QByteArray("\x80\x93\x94\x9f") << QStringLiteral("€“”Ÿ");
        QTest::newRow("s and z caron") << QByteArray("\x8a\x9a\x8e\x9e")
                                       << QStringLiteral("ŠšŽž");
        QTest::newRow("undefined bytes keep their value")
            << QByteArray("\x81\x8d\x8f\x90\x9d")
            << QString::fromUtf16(u"\u0081\u008d\u008f\u0090\u009d");
    }
    void decodesWindows1252()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        QCOMPARE(CodePage::decode(bytes), text);
        QCOMPARE(CodePage::encode(text), std::optional<QByteArray>(bytes));
    }

    void refusesWhatTheCodePageCannotHold_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("firstBad");
        QTest::newRow("cyrillic") << QStringLiteral("Ovechkin Овечкин") << 9;
        QTest::newRow("c caron") << QStringLiteral("Hašek Čech") << 6;
        QTest::newRow("emoji") << QStringLiteral("Puck 🏒") << 5;
        QTest::newRow("latin-1 control stand-in") << QString::fromUtf16(u"A\u0080") << 1;
    }
    void refusesWhatTheCodePageCannotHold()
    {
        QFETCH(QString, text);
        QFETCH(int, firstBad);
        QCOMPARE(CodePage::encode(text), std::nullopt);
        QCOMPARE(CodePage::firstUnencodable(text), firstBad);
    }

    void agreesWithQtWhereQtKnowsTheCodePage()
    {
        QStringDecoder qtDecoder("windows-1252");
        if (!qtDecoder.isValid())
            QSKIP("this Qt has no windows-1252 converter to compare with");
        for (int b = 0; b < 256; ++b) {
            const QByteArray one(1, char(b));
            const QString ours = CodePage::decode(one);
            const QString qts = qtDecoder.decode(one);
            // Qt maps the five undefined bytes to U+FFFD; ours keep their value.
            if (qts == QString(QChar::ReplacementCharacter))
                continue;
            QCOMPARE(ours, qts);
        }
    }
};

QTEST_GUILESS_MAIN(TstCodePage)
#include "tst_codepage.moc"
