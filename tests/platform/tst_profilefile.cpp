#include "platform/ProfileFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <climits>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

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
        auto row = [](const char *name, const QByteArray &content, const QString &expected,
                       const QString &section = u"S"_s, const QString &key = u"k"_s) {
            QTest::newRow(name) << content << section << key << expected;
        };
        const QString none = u"<default>"_s;
        row("case ignored", "[Options]\r\nTaillePolice=12\r\n"_ba, u"12"_s, u"OPTIONS"_s,
            u"taillepolice"_s);
        row("accented case ignored", "[EN-T\xCATE]\r\nTEXTE=x\r\n"_ba, u"x"_s, u"En-Tête"_s,
            u"texte"_s);
        row("blanks around", "  [ S ] \t\r\n \t k \t=  \t 12 \t \r\n"_ba, u"12"_s);
        row("double quotes", "[S]\nk=\" a \"\n"_ba, u" a "_s);
        row("single quotes", "[S]\nk= 'x' \n"_ba, u"x"_s);
        row("unmatched quotes", "[S]\nk=\"x'\n"_ba, u"\"x'"_s);
        row("first equals", "[S]\nk=a=b\n"_ba, u"a=b"_s);
        row("empty value", "[S]\nk=\n"_ba, QString());
        row("no last line end", "[S]\nk=v"_ba, u"v"_s);
        row("first section wins", "[S]\nk=1\n[T]\nk=2\n[s]\nk=3\nj=4\n"_ba, u"1"_s);
        row("later duplicate section ignored", "[S]\nk=1\n[s]\nj=4\n"_ba, none, u"S"_s, u"j"_s);
        row("first key wins", "[S]\nk=1\nK=2\n"_ba, u"1"_s);
        row("key before sections", "k=1\n[S]\nj=2\n"_ba, none);
        row("comment", "[S]\n;k=1\n"_ba, none);
        row("key of next section", "[S]\n[T]\nk=1\n"_ba, none);
        row("broken header ends section", "[S]\n[T\nk=1\n"_ba, none);
        row("missing section", "[T]\nk=1\n"_ba, none);
        row("missing key", "[S]\nj=1\n"_ba, none);
        row("NUL byte", "[S]\nk=a\0b\n"_ba, QStringView(u"a\0b", 3).toString());
        row("UTF-8", "[S]\nk=T\xC3\xAAte \xE2\x82\xAC\n"_ba, u"Tête €"_s);
        row("Windows-1252", "[S]\r\nk=T\xEAte \x80\r\n"_ba, u"Tête €"_s);
        // Undefined bytes such as 8D stand for the control character of that code.
        row("Windows-1252 upper half", "[S]\r\nk=\x80\x89\x8A\x8D\x9F\xB0\xFF\r\n"_ba,
            u"€‰Š\u008DŸ°ÿ"_s);
        row("BOM", "\xEF\xBB\xBF[S]\nk=v\n"_ba, u"v"_s);
        row("overlong is not UTF-8", "[S]\nk=\xE0\x80\xAF\n"_ba, u"\u00E0\u20AC\u00AF"_s);
        row("surrogate is not UTF-8", "[S]\nk=\xED\xA0\x80\n"_ba, u"í\u00A0€"_s);
        row("past U+10FFFF is not UTF-8", "[S]\nk=\xF4\x90\x80\x80\n"_ba, u"ô\u0090€€"_s);
        row("truncated is not UTF-8", "[S]\nk=\xE2\x82\n"_ba, u"\u00E2\u201A"_s);
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
        QTest::newRow("24") << "24"_ba << 24;
        QTest::newRow("10.5") << "10.5"_ba << 10;
        QTest::newRow("blanks") << " \t7 "_ba << 7;
        QTest::newRow("digits then text") << "12abc"_ba << 12;
        QTest::newRow("quoted") << "\" 24 \""_ba << 24;
        QTest::newRow("text") << "abc"_ba << 0;
        QTest::newRow("empty") << ""_ba << 0;
        QTest::newRow("minus") << "-5"_ba << 0;
        QTest::newRow("Arabic-Indic digit") << "\xD9\xA3"_ba << 0;
        QTest::newRow("INT_MAX + 1") << "2147483648"_ba << INT_MAX;
        QTest::newRow("huge") << "99999999999999999999999999999"_ba << INT_MAX;
    }

    void readInt()
    {
        QFETCH(QByteArray, value);
        QFETCH(int, expected);
        putFile(m_path, "[S]\r\nk=" + value + "\r\n");
        QCOMPARE(ProfileFile::readInt(m_path, u"S", u"k", 42), expected);
    }

    void unusableFile_data()
    {
        QTest::addColumn<QString>("setup");
        QTest::newRow("no file") << u"none"_s;
        QTest::newRow("directory at path") << u"dir"_s;
        QTest::newRow("parent is a file") << u"parent"_s;
        QTest::newRow("oversized file") << u"oversized"_s;
    }

    // Reads give the defaults; a write fails and leaves the directory exactly as it was.
    void unusableFile()
    {
        QFETCH(QString, setup);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QString target = dir.filePath(u"p.ini"_s);
        QString kept = target;
        QByteArray before = "[S]\r\nk=1\r\n";
        if (setup == u"dir") {
            QVERIFY(QDir().mkdir(target));
            kept = target + u"/inside"_s;
        } else if (setup == u"parent") {
            target += u"/x.ini"_s;
        } else if (setup == u"oversized") {
            before += QByteArray(64 * 1024 * 1024, 'x');
        }
        if (setup != u"none")
            putFile(kept, before);
        QCOMPARE(ProfileFile::readInt(target, u"S", u"k", 42), 42);
        QCOMPARE(ProfileFile::readString(target, u"S", u"k", u"fallback"_s), u"fallback"_s);
        QCOMPARE(ProfileFile::readString(target, u"S", u"k", u"fallback"_s, 2), u"fa"_s);
        if (setup == u"none")
            return;
        const QStringList entries = QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden);
        QVERIFY(!ProfileFile::writeString(target, u"S", u"k", u"new"_s));
        QCOMPARE(fileBytes(kept), before);
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden), entries);
    }

    void writeString_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QByteArray>("after");
        auto row
            = [](const char *name, const QByteArray &before, const QString &key,
                  const QString &value, const QByteArray &after, const QString &section = u"S"_s) {
                  QTest::newRow(name) << before << section << key << value << after;
              };
        row("new file", QByteArray(), u"Texte"_s, u"Catalogue"_s,
            "[En-T\xEAte]\r\nTexte=Catalogue\r\n"_ba, u"En-Tête"_s);
        row("replace, LF", "; head\n[A]\nk=1\n\n[S]\n  Key = old \n; note\nj=\xE9\nrubbish\n"_ba,
            u"key"_s, u"new"_s, "; head\n[A]\nk=1\n\n[S]\nkey=new\n; note\nj=\xE9\nrubbish\n"_ba,
            u"s"_s);
        row("replace, CRLF", "[A]\r\nk=\xE9t\xE9\r\n\r\n[S]\r\nk=1\r\n;c\r\n[B]\r\nk=2"_ba, u"k"_s,
            u"9"_s, "[A]\r\nk=\xE9t\xE9\r\n\r\n[S]\r\nk=9\r\n;c\r\n[B]\r\nk=2"_ba);
        row("insert before trailing blanks",
            "[S]\r\na=1\r\n; c\r\nb=2\r\n\r\n\r\n[T]\r\nc=3\r\n"_ba, u"n"_s, u"v"_s,
            "[S]\r\na=1\r\n; c\r\nb=2\r\nn=v\r\n\r\n\r\n[T]\r\nc=3\r\n"_ba);
        row("insert before next comment", "[S]\na=1\n; about T\n[T]\n"_ba, u"n"_s, u"v"_s,
            "[S]\na=1\nn=v\n; about T\n[T]\n"_ba);
        row("insert into empty section", "[S]\r\n\r\n[T]\r\n"_ba, u"n"_s, u"v"_s,
            "[S]\r\nn=v\r\n\r\n[T]\r\n"_ba);
        row("insert after unended line", "[S]\na=1"_ba, u"n"_s, u"v"_s, "[S]\na=1\nn=v\n"_ba);
        row("append section, CRLF", "[A]\r\nx=1\r\n"_ba, u"k"_s, u"v"_s,
            "[A]\r\nx=1\r\n[S]\r\nk=v\r\n"_ba);
        row("empty file", ""_ba, u"k"_s, u"v"_s, "[S]\r\nk=v\r\n"_ba);
        row("mixed ends kept", "[S]\nk=1\r\nj=2\n"_ba, u"k"_s, u"9"_s, "[S]\nk=9\r\nj=2\n"_ba);
        row("first section replaced", "[S]\nk=1\n[S]\nk=2\n"_ba, u"k"_s, u"9"_s,
            "[S]\nk=9\n[S]\nk=2\n"_ba);
        row("first section extended", "[S]\nk=1\n[S]\nj=2\n"_ba, u"j"_s, u"9"_s,
            "[S]\nk=1\nj=9\n[S]\nj=2\n"_ba);
        row("caller's spelling", "[s]\nKEY=1\n"_ba, u"Key"_s, u"9"_s, "[s]\nKey=9\n"_ba);
        row("BOM kept", "\xEF\xBB\xBF[S]\nk=1\n"_ba, u"k"_s, u"é"_s,
            "\xEF\xBB\xBF[S]\nk=\xC3\xA9\n"_ba);
        row("UTF-8 stays UTF-8", "[S]\nk=\xC3\xA9\n"_ba, u"j"_s, u"ê"_s,
            "[S]\nk=\xC3\xA9\nj=\xC3\xAA\n"_ba);
        row("1252 stays 1252", "[S]\r\nk=\xE9\r\n"_ba, u"j"_s, u"€"_s,
            "[S]\r\nk=\xE9\r\nj=\x80\r\n"_ba);
        row("outside 1252 makes UTF-8", "[S]\r\nk=\xE9\r\n"_ba, u"j"_s, u"Ω"_s,
            "[S]\r\nk=\xC3\xA9\r\nj=\xCE\xA9\r\n"_ba);
        row("1252 looking like UTF-8", QByteArray(), u"k"_s, u"Ã©"_s,
            "[S]\r\nk=\xC3\x83\xC2\xA9\r\n"_ba);
        row("line breaks", QByteArray(), u"k"_s, u"a\r\nb\nc\rd"_s, "[S]\r\nk=a  b c d\r\n"_ba);
        row("lone surrogate", QByteArray(), u"k"_s, QString(QChar(0xD800)) + u"x"_s,
            "[S]\r\nk=\xEF\xBF\xBDx\r\n"_ba);
        row("NUL bytes kept", "[S]\nk=\0\n[T]\0\nj=\0\n"_ba, u"k"_s, u"a"_s,
            "[S]\nk=a\n[T]\0\nj=\0\n"_ba);
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
};

QTEST_GUILESS_MAIN(TestProfileFile)
#include "tst_profilefile.moc"
