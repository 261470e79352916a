// Printing draws each face with fontconfig's search for its rendering settings skipped: the
// pages must be the very pages drawn with that search. The test runs on the system's font
// configuration alone (no user's one), which on Debian hints slightly: a configuration asking
// for full hinting makes Qt round each advance to a device pixel, 1/1200 inch, when the search
// runs, and a page then differs by those roundings, which paper cannot show.
#include "fonts/FaceLoading.h"

#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <fontconfig/fontconfig.h>

#include <optional>

using namespace Qt::StringLiterals;

namespace {

// One page of sample text at a printer's resolution, as poppler paints it at 150 dpi. Qt's
// font cache is emptied first, so that the face is loaded anew for this page.
QImage drawnPage(const QString &directory, const QString &name, const QFont &font, bool skipSearch)
{
    QFont::cleanup();
    const QString pdf = directory + u'/' + name + u".pdf"_s;
    {
        QPdfWriter writer(pdf);
        writer.setResolution(1200);
        QPainter painter(&writer);
        painter.setFont(font);
        std::optional<FaceLoadingWithoutMatch> skipping;
        if (skipSearch)
            skipping.emplace();
        painter.drawText(QPointF(100, 400), u"Portez ce vieux whisky au juge blond qui fume"_s);
        painter.drawText(QPointF(100, 800), u"ABCDEFGHIJKLMNOP 0123456789 éèçàâäù%"_s);
    }
    const QString png = directory + u'/' + name;
    QProcess::execute(u"pdftoppm"_s, { u"-r"_s, u"150"_s, u"-singlefile"_s, u"-png"_s, pdf, png });
    return QImage(png + u".png"_s);
}

} // namespace

class TestFaceLoading : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void pageAsDrawnWithTheSearch_data();
    void pageAsDrawnWithTheSearch();
    void theProgramsConfigurationComesBackAfterDrawing();
};

void TestFaceLoading::pageAsDrawnWithTheSearch_data()
{
    QTest::addColumn<QString>("family");
    QTest::addColumn<double>("points");
    QTest::newRow("a sans serif face at the sample size") << u"Liberation Sans"_s << 12.0;
    QTest::newRow("a serif face small") << u"Liberation Serif"_s << 6.0;
    QTest::newRow("another foundry's face large") << u"Carlito"_s << 36.0;
}

void TestFaceLoading::pageAsDrawnWithTheSearch()
{
    QFETCH(QString, family);
    QFETCH(double, points);
    QFont font(family);
    font.setStyleStrategy(QFont::NoFontMerging);
    font.setPointSizeF(points);
    QTemporaryDir dir;
    const QImage searched = drawnPage(dir.path(), u"searched"_s, font, false);
    const QImage skipped = drawnPage(dir.path(), u"skipped"_s, font, true);
    QVERIFY(!searched.isNull());
    QImage blank(searched.size(), searched.format());
    blank.fill(Qt::white);
    QVERIFY(searched != blank);
    QCOMPARE(skipped, searched);
}

// Measuring, the census and the sample panes need every font again once a line is drawn.
void TestFaceLoading::theProgramsConfigurationComesBackAfterDrawing()
{
    QGuiApplication::font(); // Qt reads its fonts before the first swap, as when printing
    FcConfig *const programs = FcConfigGetCurrent();
    FcPattern *const pattern = FcNameParse(reinterpret_cast<const FcChar8 *>("Liberation Sans"));
    FcObjectSet *const files = FcObjectSetBuild(FC_FILE, nullptr);
    int whileDrawing = -1;
    {
        const FaceLoadingWithoutMatch drawing;
        FcFontSet *const found = FcFontList(nullptr, pattern, files);
        whileDrawing = found ? found->nfont : 0;
        FcFontSetDestroy(found);
    }
    FcFontSet *const afterwards = FcFontList(nullptr, pattern, files);
    const int foundAfterwards = afterwards ? afterwards->nfont : 0;
    FcFontSetDestroy(afterwards);
    FcObjectSetDestroy(files);
    FcPatternDestroy(pattern);

    QCOMPARE(whileDrawing, 0);
    QVERIFY(foundAfterwards > 0);
    QCOMPARE(FcConfigGetCurrent(), programs);
}

QTEST_MAIN(TestFaceLoading)
#include "tst_faceloading.moc"
