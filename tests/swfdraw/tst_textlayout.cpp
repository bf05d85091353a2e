// Text field layout as players do it: whole-twip advances, kerning and
// letter spacing, justified lines, words broken when wider than the field,
// the frame of bordered fields, text colours, and fonts of the system.
#include "character/DeviceFont.h"
#include "character/EditTextCharacter.h"
#include "character/FontCharacter.h"
#include "SwfWriter.h"
#include "TestSupport.h"
#include "decode/TextDecoder.h"

#include <QFile>
#include <QTest>

using testsupport::decode;
using testsupport::render;

namespace {

using testsupport::renderAliased;

const QColor ink(0, 0, 0);

// A glyph: a square `size` font units wide standing on the baseline.
QByteArray squareGlyph(int size)
{
    SwfWriter w;
    w.ub(4, 1).ub(4, 0);
    w.styleChange(-1, 1, -1, true, 0, -size, 1, 0);
    w.lineTo(size, 0).lineTo(0, size).lineTo(-size, 0).lineTo(0, -size);
    w.endShape();
    return w.data();
}

struct Kern
{
    char left, right;
    int adjustment;                  // font units of 1024 per em
};

// DefineFont2 5, "Test": a glyph for each of `codes`, a square of 512 units
// (a space is empty), each advancing `advance` units; ascent 1024, descent 0.
QByteArray defineFont(const QByteArray &codes, int advance, const QVector<Kern> &kerning = {})
{
    QVector<QByteArray> glyphs;
    for (char c : codes)
        glyphs.append(squareGlyph(c == ' ' ? 0 : 512));
    SwfWriter w;
    w.u16(5).u8(0x80).u8(0).u8(4).bytes("Test").u16(int(codes.size()));
    int offset = 2 * int(codes.size()) + 2;
    for (const QByteArray &g : glyphs) {
        w.u16(offset);
        offset += int(g.size());
    }
    w.u16(offset);                   // the code table
    for (const QByteArray &g : glyphs)
        w.bytes(g);
    for (char c : codes)
        w.u8(c);
    w.u16(1024).u16(0).u16(0);
    for (int i = 0; i < codes.size(); ++i)
        w.u16(advance);
    for (int i = 0; i < codes.size(); ++i)
        w.rect(0, 0, 0, 0);
    w.u16(int(kerning.size()));
    for (const Kern &k : kerning)
        w.u8(k.left).u8(k.right).u16(k.adjustment);
    return w.data();
}

// DefineEditText 11 using outlines of font 5, `height` twips high, black,
// `width` twips wide; flags1 adds to "has text, colour, font".
QByteArray defineField(const QByteArray &text, int width, int height, int flags1 = 0, int flags2 = 0x01,
                       int align = 0)
{
    SwfWriter w;
    w.u16(11).rect(0, width, 0, 2000);
    w.u8(0x80 | 0x04 | 0x01 | flags1).u8(flags2 | 0x20);
    w.u16(5).u16(height);
    w.rgba(ink);
    w.u8(align).u16(0).u16(0).u16(0).u16(0);
    w.string("").bytes(text).u8(0);
    return w.data();
}

std::shared_ptr<const swf::Character> field(const QByteArray &font, const QByteArray &definition)
{
    swf::Dictionary dictionary;
    dictionary.insert(5, decode(48, font, &dictionary));
    return decode(37, definition, &dictionary);
}

bool inked(const QImage &image, int x, int y) { return qGray(image.pixel(x, y)) < 128; }

// The columns of row `y` that hold ink, as "from-to" runs.
QString inkRuns(const QImage &image, int y)
{
    QStringList runs;
    int start = -1;
    for (int x = 0; x <= image.width(); ++x) {
        const bool on = x < image.width() && inked(image, x, y);
        if (on && start < 0)
            start = x;
        if (!on && start >= 0) {
            runs.append(QString::number(start) + QLatin1Char('-') + QString::number(x - 1));
            start = -1;
        }
    }
    return runs.join(QLatin1Char(' '));
}

} // namespace

class TextLayoutTest : public QObject
{
    Q_OBJECT

private slots:
    void advancesAreWholeTwips();
    void kerningAndLetterSpacing_data();
    void kerningAndLetterSpacing();
    void justifiedLinesFillTheField();
    void longWordsBreakBetweenCharacters();
    void borderFramesTheBoundsAndThePixelsPast_data();
    void borderFramesTheBoundsAndThePixelsPast();
    void textColoursAreTintedInFixedPoint();
    void overlappingGlyphsBothShow();
    void overlappingStaticGlyphsBothShow();
    void kerningTableIsReadAndChecked();
    void textFormatSetsParagraphLayout();
    void htmlEntities_data();
    void htmlEntities();
    void onlyTheLinesInsideTheFieldAreLaidOut();
    void deviceFontsDrawFromSystemOutlines();
    void openTypeFontsLoadFromData();
};

void TextLayoutTest::advancesAreWholeTwips()
{
    // 1020 units at 400 twips are 398.4375 twips, laid out as 398: the
    // fifth glyph starts 4 * 398 twips after the first, 1.75 twips before
    // where exact advances would put it. One twip per pixel here.
    const auto text = field(defineFont("A", 1020), defineField("AAAAA", 3000, 400));
    QVERIFY(text);
    const QImage image = renderAliased(*text, {2000, 400}, QTransform());
    const int y = 40 + 400 - 100;    // gutter, ascent of a whole em, then half a glyph up
    QCOMPARE(inkRuns(image, y), QStringLiteral("40-239 438-637 836-1035 1234-1433 1632-1831"));
}

void TextLayoutTest::kerningAndLetterSpacing_data()
{
    QTest::addColumn<QByteArray>("html");
    QTest::addColumn<int>("height");        // twips
    QTest::addColumn<int>("secondGlyph");   // twips
    // Advance 600 units at 1024 twips: 600 twips; the pair AB kerns by
    // -50 units (-50 twips) when the run asks for kerning.
    QTest::newRow("plain") << QByteArray("<font face='Test'>AB</font>") << 1024 << 40 + 600;
    QTest::newRow("kerning") << QByteArray("<font face='Test' kerning='1'>AB</font>") << 1024 << 40 + 550;
    QTest::newRow("kerning off") << QByteArray("<font face='Test' kerning='0'>AB</font>") << 1024 << 40 + 600;
    QTest::newRow("letter spacing") << QByteArray("<font face='Test' letterSpacing='2.5'>AB</font>") << 1024
                                    << 40 + 600 + 50;
    // At 1100 twips the advance is 644.53 twips and the kerning -53.71:
    // their sum is cut once, to 590, not each on its own (644 - 53).
    QTest::newRow("kerning at a fractional scale") << QByteArray("<font face='Test' kerning='1'>AB</font>")
                                                    << 1100 << 40 + 590;
    QTest::newRow("both") << QByteArray("<font face='Test' kerning='1' letterSpacing='-1'>AB</font>") << 1024
                          << 40 + 550 - 20;
}

void TextLayoutTest::kerningAndLetterSpacing()
{
    QFETCH(QByteArray, html);
    QFETCH(int, height);
    QFETCH(int, secondGlyph);
    const auto text = field(defineFont("AB", 600, {{'A', 'B', -50}}), defineField(html, 3000, height, 0, 0x03));
    QVERIFY(text);
    const QImage image = renderAliased(*text, {1500, 1300}, QTransform());
    const int y = 40 + height - 100;
    const int glyph = height / 2;    // a square of half an em
    QCOMPARE(inkRuns(image, y), QStringLiteral("40-%1 %2-%3").arg(40 + glyph - 1).arg(secondGlyph).arg(secondGlyph + glyph - 1));
}

void TextLayoutTest::justifiedLinesFillTheField()
{
    // Glyphs 100 twips wide advancing 200 (a square of 512 units advancing
    // 1024 at 200 twips). Inner width 1400 - 80 = 1320; "AA AA AA" wraps
    // after the second word.
    const QByteArray html = "<p align='justify'><font face='Test'>AA AA AA</font></p>";
    const auto text = field(defineFont("A ", 1024), defineField(html, 1400, 200, 0x40 | 0x20, 0x03, 3));
    QVERIFY(text);
    const QImage image = renderAliased(*text, {1400, 600}, QTransform());
    // "AA AA" is 1000 twips of advances: the 320 left over widen its one
    // space. The last line of the paragraph keeps its spaces as they are.
    QCOMPARE(inkRuns(image, 40 + 200 - 40), QStringLiteral("40-139 240-339 960-1059 1160-1259"));
    QCOMPARE(inkRuns(image, 40 + 400 - 40), QStringLiteral("40-139 240-339"));
}

void TextLayoutTest::longWordsBreakBetweenCharacters()
{
    // Ten glyphs of 200 twips advancing 400 in a field whose lines take
    // two and a bit: the word goes on over five lines.
    const auto text = field(defineFont("A", 1024), defineField("AAAAAAAAAA", 1000, 400, 0x40 | 0x20));
    QVERIFY(text);
    const QImage image = renderAliased(*text, {1000, 2500}, QTransform());
    // Lines 400 twips apart (ascent 400, no descent or leading).
    const QString fullLine = QStringLiteral("40-239 440-639");
    QCOMPARE(inkRuns(image, 40 + 400 - 50), fullLine);
    QCOMPARE(inkRuns(image, 40 + 2000 - 50), fullLine);
    QCOMPARE(inkRuns(image, 40 + 2400 - 50), QString());
}

void TextLayoutTest::borderFramesTheBoundsAndThePixelsPast_data()
{
    QTest::addColumn<bool>("antialias");
    QTest::newRow("low quality") << false;
    QTest::newRow("high quality") << true;
}

void TextLayoutTest::borderFramesTheBoundsAndThePixelsPast()
{
    QFETCH(bool, antialias);
    // A field 100 twips square with a border (0x08), placed at (3, 2) px.
    SwfWriter w;
    w.u16(11).rect(0, 100, 0, 100).u8(0).u8(0x08).string("");
    const auto box = decode(37, w.data());
    QVERIFY(box);
    QImage image(12, 12, QImage::Format_ARGB32_Premultiplied);
    image.fill(QColor(0, 0, 255));
    QPainter painter(&image);
    swf::RenderContext context;
    context.painter = &painter;
    context.matrix = QTransform(0.05, 0, 0, 0.05, 3, 2);
    context.antialias = antialias;
    box->draw(context);
    painter.end();
    QStringList rows;
    for (int y = 1; y < 9; ++y) {
        QString row;
        for (int x = 2; x < 10; ++x) {
            const QRgb p = image.pixel(x, y);
            row += p == qRgb(0, 0, 0) ? QLatin1Char('#') : p == qRgb(255, 255, 255) ? QLatin1Char('.')
                 : p == qRgb(0, 0, 255) ? QLatin1Char('~') : QLatin1Char('?');
        }
        rows.append(row);
    }
    // Pixels 3..8 by 2..7: the right and bottom lines lie past the 5 pixels
    // of the bounds, and the corner between them is left out.
    const QStringList expected{
        QStringLiteral("~~~~~~~~"),
        QStringLiteral("~######~"),
        QStringLiteral("~#....#~"),
        QStringLiteral("~#....#~"),
        QStringLiteral("~#....#~"),
        QStringLiteral("~#....#~"),
        QStringLiteral("~#####~~"),
        QStringLiteral("~~~~~~~~"),
    };
    QCOMPARE(rows, expected);
}

void TextLayoutTest::textColoursAreTintedInFixedPoint()
{
    const QByteArray html = "<font face='Test' color='#ff99cc'>A</font><font face='Test' color='#00ff80'>A</font>";
    const auto text = field(defineFont("A", 1024), defineField(html, 3000, 400, 0, 0x03));
    QVERIFY(text);
    const QImage image = renderAliased(*text, {200, 40}, QTransform::fromScale(0.05, 0.05));
    QCOMPARE(image.pixel(4, 18), qRgb(255, 152, 203));
    QCOMPARE(image.pixel(24, 18), qRgb(0, 255, 127));
}

void TextLayoutTest::overlappingGlyphsBothShow()
{
    // Kerned into each other, the two squares overlap by 200 twips: the
    // overlap is ink, not a hole cut by an even-odd fill of both.
    const QByteArray html = "<font face='Test' kerning='1'>AA</font>";
    const auto text = field(defineFont("A", 512, {{'A', 'A', -300}}), defineField(html, 3000, 1024, 0, 0x03));
    QVERIFY(text);
    const QImage image = renderAliased(*text, {1500, 1200}, QTransform());
    QCOMPARE(inkRuns(image, 40 + 1024 - 100), QStringLiteral("40-763"));
}

void TextLayoutTest::overlappingStaticGlyphsBothShow()
{
    // DefineText 9: glyph 0 of font 5 (512 twips square at 1024 twips) twice,
    // the first advancing 312 twips, at (40, 1064): the squares share 200.
    swf::Dictionary dictionary;
    dictionary.insert(5, decode(48, defineFont("A", 512), &dictionary));
    SwfWriter w;
    w.u16(9).rect(0, 2000, 0, 2000).matrix();
    w.u8(1).u8(11);
    w.u8(0x80 | 0x08 | 0x04 | 0x02 | 0x01).u16(5).rgb(ink).u16(40).u16(1064).u16(1024);
    w.u8(2).ub(1, 0).sb(11, 312).ub(1, 0).sb(11, 0).flush();
    w.u8(0);
    const auto text = decode(11, w.data(), &dictionary);
    QVERIFY(text);
    const QImage image = renderAliased(*text, {1500, 1200}, QTransform());
    QCOMPARE(inkRuns(image, 1000), QStringLiteral("40-863"));
    QVERIFY(text->clipPath().contains(QPointF(400, 1000)));
}

void TextLayoutTest::kerningTableIsReadAndChecked()
{
    const QByteArray body = defineFont("AB", 512, {{'A', 'B', -100}, {'B', 'A', 37}});
    const auto font = std::dynamic_pointer_cast<const swf::FontCharacter>(decode(48, body));
    QVERIFY(font);
    QCOMPARE(font->kerning(u'A', u'B'), -100.0);
    QCOMPARE(font->kerning(u'B', u'A'), 37.0);
    QCOMPARE(font->kerning(u'A', u'A'), 0.0);
    // A table that claims more pairs than the tag holds is an error.
    QByteArray cut = body.left(body.size() - 4);
    QVERIFY_THROWS_EXCEPTION(swf::DecodeError, decode(48, cut));
}

void TextLayoutTest::onlyTheLinesInsideTheFieldAreLaidOut()
{
    // A field 2000 twips high holds five lines of 400: of a thousand
    // paragraphs, and of lines far wider than the field, only what shows
    // is placed.
    QByteArray text;
    for (int i = 0; i < 1000; ++i)
        text += QByteArray(200, 'A') + '\r';
    const auto shown = field(defineFont("A", 1024), defineField(text, 2000, 400, 0x20));
    QVERIFY(shown);
    const auto &glyphs = static_cast<const swf::EditTextCharacter &>(*shown).glyphs();
    // Five lines of glyphs starting left of x = 2000: 40, 440, ..., 1640.
    QCOMPARE(glyphs.size(), 5 * 5);
    for (const auto &glyph : glyphs)
        QVERIFY(glyph.path.boundingRect().top() < 2000);
}

void TextLayoutTest::textFormatSetsParagraphLayout()
{
    // Glyphs 200 twips square, lines 400 apart without leading.
    const QByteArray html = "<textformat leading='10' leftmargin='5' indent='-2'><p>A</p><p>AA</p></textformat>"
                            "<p>A</p><textformat blockindent='3'><p>A</p></textformat>";
    const auto text = field(defineFont("A", 1024), defineField(html, 3000, 400, 0x20, 0x03));
    QVERIFY(text);
    QStringList placed;
    for (const auto &glyph : static_cast<const swf::EditTextCharacter &>(*text).glyphs()) {
        const QRectF r = glyph.path.boundingRect();
        placed.append(QStringLiteral("%1,%2").arg(r.left()).arg(r.bottom()));
    }
    // Left margin 100 and indent -40 in the first two paragraphs, 200 of
    // leading after their lines; then the field's own layout, then a block
    // indent of 60.
    const QStringList expected{QStringLiteral("100,440"), QStringLiteral("100,1040"), QStringLiteral("500,1040"),
                               QStringLiteral("40,1640"), QStringLiteral("100,2040")};
    QCOMPARE(placed, expected);
}

void TextLayoutTest::htmlEntities_data()
{
    QTest::addColumn<QString>("html");
    QTest::addColumn<QString>("text");
    QTest::newRow("named") << "&lt;a&gt; &quot;b&quot; &apos;c&apos;" << "<a> \"b\" 'c'";
    QTest::newRow("decoded once") << "&amp;lt; &amp;amp;" << "&lt; &amp;";
    QTest::newRow("decimal and hexadecimal") << "&#65;&#x42;&#X63;&#8364;" << QStringLiteral("ABc\u20ac");
    QTest::newRow("past the basic plane") << "&#x1F600;" << QString::fromUcs4(U"\U0001F600", 1);
    QTest::newRow("not characters") << "&#0;&#xd800;&#x110000;&#;&#xZZ;" << "&#0;&#xd800;&#x110000;&#;&#xZZ;";
    QTest::newRow("unknown and unfinished") << "&copy; & &amp" << "&copy; & &amp";
}

void TextLayoutTest::htmlEntities()
{
    QFETCH(QString, html);
    QFETCH(QString, text);
    const auto paragraphs = swf::parseHtmlText(html, swf::TextStyle(), swf::TextAlign::Left);
    QCOMPARE(paragraphs.size(), 1);
    QString joined;
    for (const auto &span : paragraphs.first().spans)
        joined += span.text;
    QCOMPARE(joined, text);
}

void TextLayoutTest::deviceFontsDrawFromSystemOutlines()
{
    const auto font = swf::DeviceFont::system(QStringLiteral("_sans"), false, false, QStringLiteral("Hi"));
    if (!font)
        QSKIP("no sans-serif font installed");
    QCOMPARE(font->glyphCount(), 2);
    const int h = font->glyphForCode(u'H');
    QVERIFY(h >= 0);
    QVERIFY(font->glyph(h).advance > 0);
    QVERIFY(!font->glyph(h).outline.isEmpty());
    QVERIFY(font->ascent() > 0);
    // Generic names choose a family of their kind.
    QVERIFY(swf::DeviceFont::familyFor(QStringLiteral("_serif")) != swf::DeviceFont::familyFor(QStringLiteral("_sans")));
    QVERIFY(swf::DeviceFont::familyFor(QStringLiteral("_typewriter")).contains(QLatin1String("Mono")));

    // A field without an embedded font draws its text from those outlines.
    SwfWriter w;
    w.u16(11).rect(0, 2000, 0, 600).u8(0x80 | 0x04).u8(0x80).string("_sans").u16(400).rgba(ink);
    w.string("").string("Hi");
    const auto text = decode(37, w.data());
    QVERIFY(text);
    const QImage image = renderAliased(*text, {100, 30}, QTransform::fromScale(0.05, 0.05));
    int inkedPixels = 0;
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 100; ++x)
            inkedPixels += inked(image, x, y) ? 1 : 0;
    QVERIFY2(inkedPixels > 20, QByteArray::number(inkedPixels));
    QVERIFY(!inked(image, 60, 10));
}

void TextLayoutTest::openTypeFontsLoadFromData()
{
    const QString path = QStringLiteral("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf");
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        QSKIP("no font file to load");
    // DefineFont4 5 with its data (flag 4).
    SwfWriter w;
    w.u16(5).u8(0x04).string("Loaded").bytes(file.readAll());
    swf::Dictionary dictionary;
    dictionary.insert(5, decode(91, w.data(), &dictionary));
    const auto decoded = std::dynamic_pointer_cast<const swf::FontCharacter>(dictionary.value(5));
    QVERIFY(decoded);
    QCOMPARE(decoded->name(), QStringLiteral("Loaded"));
    QVERIFY(!decoded->openTypeData().isEmpty());
    const auto font = swf::DeviceFont::fromData(decoded->openTypeData(), decoded->name(), QStringLiteral("xx"));
    QVERIFY(font);
    QCOMPARE(font->glyphCount(), 1);
    QVERIFY(!font->glyph(0).outline.isEmpty());
    // Data that is no font loads nothing.
    QVERIFY(!swf::DeviceFont::fromData(QByteArray("not a font"), QString(), QStringLiteral("x")));

    // A field drawing with the font's outlines: an 'l' 20 px high leaves
    // ink in its stem, and nothing far to its right.
    const auto text = decode(37, defineField("l", 2000, 400), &dictionary);
    QVERIFY(text);
    const QImage image = renderAliased(*text, {100, 40}, QTransform::fromScale(0.05, 0.05));
    QVERIFY2(!inkRuns(image, 14).isEmpty(), qPrintable(inkRuns(image, 14)));
    QVERIFY(inkRuns(image, 14).length() < 8);
}

QTEST_MAIN(TextLayoutTest)
#include "tst_textlayout.moc"
