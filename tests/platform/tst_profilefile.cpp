#include "platform/ProfileFile.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <climits>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

// Keeps embedded NUL bytes, which a plain const char * would end at.
template <qsizetype N> QByteArray raw(const char (&s)[N])
{
    return QByteArray(s, N - 1);
}

void putFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    QCOMPARE(f.write(bytes), bytes.size());
}

QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class TestProfileFile : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_path;

private Q_SLOTS:
    void init()
    {
        QVERIFY(m_dir.isValid());
        m_path = m_dir.filePath(u"Typovise.ini"_s);
        QDir(m_path).removeRecursively();
        QFile::remove(m_path);
    }

    void readString_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("expected");
        const QString none = u"<default>"_s;
        QTest::newRow("case ignored") << raw("[Options]\r\nTaillePolice=12\r\n") << u"OPTIONS"_s
                                      << u"taillepolice"_s << u"12"_s;
        QTest::newRow("accented case ignored")
            << raw("[EN-T\xCATE]\r\nTEXTE=x\r\n") << u"En-Tête"_s << u"texte"_s << u"x"_s;
        QTest::newRow("blanks around")
            << raw("  [ S ] \t\r\n \t k \t=  \t 12 \t \r\n") << u"S"_s << u"k"_s << u"12"_s;
        QTest::newRow("double quotes") << raw("[S]\nk=\" a \"\n") << u"S"_s << u"k"_s << u" a "_s;
        QTest::newRow("single quotes") << raw("[S]\nk= 'x' \n") << u"S"_s << u"k"_s << u"x"_s;
        QTest::newRow("unmatched quotes") << raw("[S]\nk=\"x'\n") << u"S"_s << u"k"_s << u"\"x'"_s;
        QTest::newRow("first equals") << raw("[S]\nk=a=b\n") << u"S"_s << u"k"_s << u"a=b"_s;
        QTest::newRow("empty value") << raw("[S]\nk=\n") << u"S"_s << u"k"_s << QString();
        QTest::newRow("no last line end") << raw("[S]\nk=v") << u"S"_s << u"k"_s << u"v"_s;
        QTest::newRow("first section wins")
            << raw("[S]\nk=1\n[T]\nk=2\n[s]\nk=3\nj=4\n") << u"S"_s << u"k"_s << u"1"_s;
        QTest::newRow("later duplicate section ignored")
            << raw("[S]\nk=1\n[s]\nj=4\n") << u"S"_s << u"j"_s << none;
        QTest::newRow("first key wins") << raw("[S]\nk=1\nK=2\n") << u"S"_s << u"k"_s << u"1"_s;
        QTest::newRow("key before sections") << raw("k=1\n[S]\nj=2\n") << u"S"_s << u"k"_s << none;
        QTest::newRow("comment") << raw("[S]\n;k=1\n") << u"S"_s << u"k"_s << none;
        QTest::newRow("key of next section") << raw("[S]\n[T]\nk=1\n") << u"S"_s << u"k"_s << none;
        QTest::newRow("broken header ends section")
            << raw("[S]\n[T\nk=1\n") << u"S"_s << u"k"_s << none;
        QTest::newRow("missing section") << raw("[T]\nk=1\n") << u"S"_s << u"k"_s << none;
        QTest::newRow("missing key") << raw("[S]\nj=1\n") << u"S"_s << u"k"_s << none;
        QTest::newRow("NUL byte") << raw("[S]\nk=a\0b\n") << u"S"_s << u"k"_s
                                  << QStringView(u"a\0b", 3).toString();
        QTest::newRow("UTF-8") << raw("[S]\nk=T\xC3\xAAte \xE2\x82\xAC\n") << u"S"_s << u"k"_s
                               << u"Tête €"_s;
        QTest::newRow("Windows-1252")
            << raw("[S]\r\nk=T\xEAte \x80\r\n") << u"S"_s << u"k"_s << u"Tête €"_s;
        QTest::newRow("BOM") << raw("\xEF\xBB\xBF[S]\nk=v\n") << u"S"_s << u"k"_s << u"v"_s;
        QTest::newRow("overlong is not UTF-8")
            << raw("[S]\nk=\xE0\x80\xAF\n") << u"S"_s << u"k"_s << u"\u00E0\u20AC\u00AF"_s;
        QTest::newRow("surrogate is not UTF-8")
            << raw("[S]\nk=\xED\xA0\x80\n") << u"S"_s << u"k"_s << u"í\u00A0€"_s;
        QTest::newRow("past U+10FFFF is not UTF-8")
            << raw("[S]\nk=\xF4\x90\x80\x80\n") << u"S"_s << u"k"_s << u"ô\u0090€€"_s;
        QTest::newRow("truncated is not UTF-8")
            << raw("[S]\nk=\xE2\x82\n") << u"S"_s << u"k"_s << u"\u00E2\u201A"_s;
    }

    void readString()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, expected);
        putFile(m_path, content);
        QCOMPARE(ProfileFile::readString(m_path, section, key, u"<default>"_s), expected);
    }

    void maxChars_data()
    {
        QTest::addColumn<bool>("stored");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("maxChars");
        QTest::addColumn<QString>("expected");
        const QString a254(254, u'a');
        QTest::newRow("short") << true << u"abc"_s << 254 << u"abc"_s;
        QTest::newRow("255 cut") << true << a254 + u'b' << 254 << a254;
        QTest::newRow("3") << true << u"abcdef"_s << 3 << u"abc"_s;
        QTest::newRow("negative") << true << u"abc"_s << -1 << QString();
        QTest::newRow("pair not split") << true << u"ab😀"_s << 3 << u"ab"_s;
        QTest::newRow("default cut") << false << u"abcdef"_s << 2 << u"ab"_s;
    }

    void maxChars()
    {
        QFETCH(bool, stored);
        QFETCH(QString, text);
        QFETCH(int, maxChars);
        QFETCH(QString, expected);
        if (stored)
            QVERIFY(ProfileFile::writeString(m_path, u"S", u"k", text));
        const QString fallback = stored ? QString() : text;
        QCOMPARE(ProfileFile::readString(m_path, u"S", u"k", fallback, maxChars), expected);
        if (maxChars == 254)
            QCOMPARE(ProfileFile::readString(m_path, u"S", u"k", fallback), expected);
    }

    void readInt_data()
    {
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<int>("expected");
        QTest::newRow("24") << raw("24") << 24;
        QTest::newRow("10.5") << raw("10.5") << 10;
        QTest::newRow("blanks") << raw(" \t7 ") << 7;
        QTest::newRow("digits then text") << raw("12abc") << 12;
        QTest::newRow("quoted") << raw("\" 24 \"") << 24;
        QTest::newRow("text") << raw("abc") << 0;
        QTest::newRow("empty") << raw("") << 0;
        QTest::newRow("minus") << raw("-5") << 0;
        QTest::newRow("Arabic-Indic digit") << raw("\xD9\xA3") << 0;
        QTest::newRow("INT_MAX + 1") << raw("2147483648") << INT_MAX;
        QTest::newRow("huge") << raw("99999999999999999999999999999") << INT_MAX;
    }

    void readInt()
    {
        QFETCH(QByteArray, value);
        QFETCH(int, expected);
        putFile(m_path, "[S]\r\nk=" + value + "\r\n");
        QCOMPARE(ProfileFile::readInt(m_path, u"S", u"k", 42), expected);
    }

    void missing_data()
    {
        QTest::addColumn<QString>("setup");
        QTest::newRow("no file") << u"none"_s;
        QTest::newRow("no section") << u"[T]\r\nk=1\r\n"_s;
        QTest::newRow("no key") << u"[S]\r\nj=1\r\n"_s;
        QTest::newRow("directory at path") << u"dir"_s;
        QTest::newRow("parent is a file") << u"parent"_s;
    }

    void missing()
    {
        QFETCH(QString, setup);
        QString path = m_path;
        if (setup == u"dir") {
            QVERIFY(QDir().mkpath(m_path));
        } else if (setup == u"parent") {
            putFile(m_path, "[S]\r\nk=1\r\n");
            path = m_path + u"/x.ini"_s;
        } else if (setup != u"none") {
            putFile(m_path, setup.toLatin1());
        }
        QCOMPARE(ProfileFile::readInt(path, u"S", u"k", 42), 42);
        QCOMPARE(ProfileFile::readString(path, u"S", u"k", u"fallback"_s), u"fallback"_s);
        QCOMPARE(ProfileFile::readString(path, u"S", u"k", u"fallback"_s, 2), u"fa"_s);
    }

    void writeString_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QByteArray>("after");
        const QByteArray noFile;
        QTest::newRow("new file") << noFile << u"En-Tête"_s << u"Texte"_s << u"Catalogue"_s
                                  << raw("[En-T\xEAte]\r\nTexte=Catalogue\r\n");
        QTest::newRow("replace, LF")
            << raw("; head\n[A]\nk=1\n\n[S]\n  Key = old \n; note\nj=\xE9\nrubbish\n") << u"s"_s
            << u"key"_s << u"new"_s
            << raw("; head\n[A]\nk=1\n\n[S]\nkey=new\n; note\nj=\xE9\nrubbish\n");
        QTest::newRow("replace, CRLF")
            << raw("[A]\r\nk=\xE9t\xE9\r\n\r\n[S]\r\nk=1\r\n;c\r\n[B]\r\nk=2") << u"S"_s << u"k"_s
            << u"9"_s << raw("[A]\r\nk=\xE9t\xE9\r\n\r\n[S]\r\nk=9\r\n;c\r\n[B]\r\nk=2");
        QTest::newRow("insert before trailing blanks")
            << raw("[S]\r\na=1\r\n; c\r\nb=2\r\n\r\n\r\n[T]\r\nc=3\r\n") << u"S"_s << u"n"_s
            << u"v"_s << raw("[S]\r\na=1\r\n; c\r\nb=2\r\nn=v\r\n\r\n\r\n[T]\r\nc=3\r\n");
        QTest::newRow("insert before next comment")
            << raw("[S]\na=1\n; about T\n[T]\n") << u"S"_s << u"n"_s << u"v"_s
            << raw("[S]\na=1\nn=v\n; about T\n[T]\n");
        QTest::newRow("insert into empty section") << raw("[S]\r\n\r\n[T]\r\n") << u"S"_s << u"n"_s
                                                   << u"v"_s << raw("[S]\r\nn=v\r\n\r\n[T]\r\n");
        QTest::newRow("insert after unended line")
            << raw("[S]\na=1") << u"S"_s << u"n"_s << u"v"_s << raw("[S]\na=1\nn=v\n");
        QTest::newRow("append section, CRLF") << raw("[A]\r\nx=1\r\n") << u"S"_s << u"k"_s << u"v"_s
                                              << raw("[A]\r\nx=1\r\n[S]\r\nk=v\r\n");
        QTest::newRow("empty file")
            << raw("") << u"S"_s << u"k"_s << u"v"_s << raw("[S]\r\nk=v\r\n");
        QTest::newRow("mixed ends kept")
            << raw("[S]\nk=1\r\nj=2\n") << u"S"_s << u"k"_s << u"9"_s << raw("[S]\nk=9\r\nj=2\n");
        QTest::newRow("first section replaced") << raw("[S]\nk=1\n[S]\nk=2\n") << u"S"_s << u"k"_s
                                                << u"9"_s << raw("[S]\nk=9\n[S]\nk=2\n");
        QTest::newRow("first section extended") << raw("[S]\nk=1\n[S]\nj=2\n") << u"S"_s << u"j"_s
                                                << u"9"_s << raw("[S]\nk=1\nj=9\n[S]\nj=2\n");
        QTest::newRow("caller's spelling")
            << raw("[s]\nKEY=1\n") << u"S"_s << u"Key"_s << u"9"_s << raw("[s]\nKey=9\n");
        QTest::newRow("BOM kept") << raw("\xEF\xBB\xBF[S]\nk=1\n") << u"S"_s << u"k"_s << u"é"_s
                                  << raw("\xEF\xBB\xBF[S]\nk=\xC3\xA9\n");
        QTest::newRow("UTF-8 stays UTF-8") << raw("[S]\nk=\xC3\xA9\n") << u"S"_s << u"j"_s << u"ê"_s
                                           << raw("[S]\nk=\xC3\xA9\nj=\xC3\xAA\n");
        QTest::newRow("1252 stays 1252") << raw("[S]\r\nk=\xE9\r\n") << u"S"_s << u"j"_s << u"€"_s
                                         << raw("[S]\r\nk=\xE9\r\nj=\x80\r\n");
        QTest::newRow("outside 1252 makes UTF-8")
            << raw("[S]\r\nk=\xE9\r\n") << u"S"_s << u"j"_s << u"Ω"_s
            << raw("[S]\r\nk=\xC3\xA9\r\nj=\xCE\xA9\r\n");
        QTest::newRow("1252 looking like UTF-8")
            << noFile << u"S"_s << u"k"_s << u"Ã©"_s << raw("[S]\r\nk=\xC3\x83\xC2\xA9\r\n");
        QTest::newRow("line breaks")
            << noFile << u"S"_s << u"k"_s << u"a\r\nb\nc\rd"_s << raw("[S]\r\nk=a  b c d\r\n");
        QTest::newRow("lone surrogate")
            << noFile << u"S"_s << u"k"_s << QString(QChar(0xD800)) + u"x"_s
            << raw("[S]\r\nk=\xEF\xBF\xBDx\r\n");
        QTest::newRow("NUL bytes kept") << raw("[S]\nk=\0\n[T]\0\nj=\0\n") << u"S"_s << u"k"_s
                                        << u"a"_s << raw("[S]\nk=a\n[T]\0\nj=\0\n");
    }

    void writeString()
    {
        QFETCH(QByteArray, before);
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, value);
        QFETCH(QByteArray, after);
        if (!before.isNull())
            putFile(m_path, before);
        QVERIFY(ProfileFile::writeString(m_path, section, key, value));
        QCOMPARE(fileBytes(m_path), after);
    }

    void roundTrip_data()
    {
        QTest::addColumn<QString>("value");
        QTest::newRow("1252 letters") << u"Tête 1°_Ligne €ŸŠ"_s;
        QTest::newRow("C1 outside 1252") << u"\u0080\u009F"_s;
        QTest::newRow("Omega") << u"Ω"_s;
        QTest::newRow("emoji") << u"😀"_s;
        QTest::newRow("1252 looking like UTF-8") << u"Ã©"_s;
        QTest::newRow("long line") << QString(3'000'000, u'x');
    }

    void roundTrip()
    {
        QFETCH(QString, value);
        putFile(m_path, "[A]\r\nk=\xE9\r\n");
        QVERIFY(ProfileFile::writeString(m_path, u"S", u"k", value));
        QCOMPARE(ProfileFile::readString(m_path, u"S", u"k", QString(), INT_MAX), value);
        QCOMPARE(ProfileFile::readString(m_path, u"A", u"k", QString()), u"é"_s);
    }

    void windows1252Byte_data()
    {
        QTest::addColumn<int>("byte");
        QTest::addColumn<int>("expected");
        QTest::newRow("80") << 0x80 << 0x20AC;
        QTest::newRow("8A") << 0x8A << 0x0160;
        QTest::newRow("8D") << 0x8D << 0x008D;
        QTest::newRow("89") << 0x89 << 0x2030;
        QTest::newRow("9F") << 0x9F << 0x0178;
        QTest::newRow("B0") << 0xB0 << 0x00B0;
        QTest::newRow("FF") << 0xFF << 0x00FF;
    }

    void windows1252Byte()
    {
        QFETCH(int, byte);
        QFETCH(int, expected);
        putFile(m_path, "[S]\r\nk=<" + QByteArray(1, char(byte)) + ">\r\n");
        const QString expectedText = u'<' + QString(QChar(expected)) + u'>';
        QCOMPARE(ProfileFile::readString(m_path, u"S", u"k", QString()), expectedText);
    }

    void everyByteSurvives()
    {
        QByteArray all;
        for (int b = 0; b < 256; ++b) {
            if (b != '\r' && b != '\n')
                all += char(b);
        }
        const QByteArray before = "[S]\r\nk=<" + all + ">\r\n";
        putFile(m_path, before);
        QCOMPARE(
            ProfileFile::readString(m_path, u"S", u"k", QString(), INT_MAX).size(), all.size() + 2);
        QVERIFY(ProfileFile::writeString(m_path, u"S", u"j", u"v"_s));
        QCOMPARE(fileBytes(m_path), before + "j=v\r\n");
    }

    void rejectedNames_data()
    {
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::newRow("empty key") << u"S"_s << QString();
        QTest::newRow("blank key") << u"S"_s << u" \t"_s;
        QTest::newRow("key with =") << u"S"_s << u"a=b"_s;
        QTest::newRow("comment key") << u"S"_s << u";k"_s;
        QTest::newRow("section-like key") << u"S"_s << u"[k"_s;
        QTest::newRow("key with LF") << u"S"_s << u"a\nb"_s;
        QTest::newRow("section with CR") << u"S\rT"_s << u"k"_s;
        QTest::newRow("empty section") << u" "_s << u"k"_s;
    }

    void rejectedNames()
    {
        QFETCH(QString, section);
        QFETCH(QString, key);
        const QByteArray before = "[S]\nk=1\n";
        ProfileDocument doc = ProfileDocument::fromBytes(before);
        QVERIFY(!doc.setValue(section, key, u"v"));
        QCOMPARE(doc.toBytes(), before);
        QVERIFY(!ProfileFile::writeString(m_path, section, key, u"v"_s));
        QVERIFY(!QFile::exists(m_path));
    }

    void writeFailure_data()
    {
        QTest::addColumn<QString>("setup");
        QTest::newRow("directory at path") << u"dir"_s;
        QTest::newRow("parent is a file") << u"parent"_s;
        QTest::newRow("oversized file") << u"oversized"_s;
    }

    void writeFailure()
    {
        QFETCH(QString, setup);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QString target = dir.filePath(u"p.ini"_s);
        QString kept = target;
        QByteArray before = "[S]\r\nk=old\r\n";
        if (setup == u"dir") {
            QVERIFY(QDir().mkdir(target));
            kept = target + u"/inside"_s;
        } else if (setup == u"parent") {
            target += u"/x.ini"_s;
        } else if (setup == u"oversized") {
            before += QByteArray(64 * 1024 * 1024, 'x');
        }
        putFile(kept, before);
        const QStringList entries = QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden);

        QVERIFY(!ProfileFile::writeString(target, u"S", u"k", u"new"_s));
        QCOMPARE(fileBytes(kept), before);
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden), entries);
    }

    // A hard link still names the old inode once the file is replaced by a rename; a write in
    // place would change what both names show, and a crash could leave it half written.
    void replacesByRename()
    {
        const QByteArray before = "[S]\r\nk=old\r\n";
        putFile(m_path, before);
        const QString link = m_dir.filePath(u"link.ini"_s);
        QFile::remove(link);
        QCOMPARE(
            ::link(QFile::encodeName(m_path).constData(), QFile::encodeName(link).constData()), 0);
        QVERIFY(ProfileFile::writeString(m_path, u"S", u"k", u"new"_s));
        QCOMPARE(fileBytes(m_path), QByteArray("[S]\r\nk=new\r\n"));
        QCOMPARE(fileBytes(link), before);
        QStringList names = QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden);
        names.sort();
        QCOMPARE(names, QStringList({ u"Typovise.ini"_s, u"link.ini"_s }));
        QFile::remove(link);
    }

    void randomBytes()
    {
        QByteArray noise(50 * 1000 * 1000, Qt::Uninitialized);
        QRandomGenerator generator(20240611);
        generator.fillRange(reinterpret_cast<quint32 *>(noise.data()), noise.size() / 4);
        noise += '\0';
        putFile(m_path, noise);
        QCOMPARE(ProfileFile::readInt(m_path, u"Typovise options", u"k", 42), 42);
        QVERIFY(ProfileFile::writeString(m_path, u"Typovise options", u"k", u"7"_s));
        const QByteArray after = fileBytes(m_path);
        QVERIFY(after.startsWith(noise));
        const QByteArray tail = after.sliced(noise.size());
        QVERIFY2(
            tail == "\n[Typovise options]\nk=7\n" || tail == "\r\n[Typovise options]\r\nk=7\r\n",
            tail.constData());
        QCOMPARE(ProfileFile::readInt(m_path, u"Typovise options", u"k", 42), 7);
    }
};

QTEST_GUILESS_MAIN(TestProfileFile)
#include "tst_profilefile.moc"
