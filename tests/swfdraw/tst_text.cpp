#include "character/EditTextCharacter.h"
#include "character/FontCharacter.h"
#include "SwfWriter.h"
#include "TestSupport.h"

#include <QTest>

using testsupport::decode;
using testsupport::render;

namespace {

const QColor red(255, 0, 0), blue(0, 0, 255);

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

// DefineFont 5: glyph 0 a square half an em wide, glyph 1 empty.
QByteArray defineFont()
{
    const QByteArray glyph = squareGlyph(512);
    SwfWriter w;
    w.u16(5).u16(4).u16(4 + int(glyph.size()));
    w.bytes(glyph).bytes(squareGlyph(0));
    return w.data();
}

// DefineFont2 or 3 (id 5): one square glyph for 'A', advance 600 of 1024
// (both scaled 20 times in DefineFont3), ascent 512 and descent 128.
QByteArray defineFont2(bool font3, char code = 'A', int id = 5, const char *name = "Test")
{
    const int unit = font3 ? 20 : 1;
    const QByteArray glyph = squareGlyph(512 * unit);
    SwfWriter w;
    w.u16(id).u8(0x80 | (font3 ? 0x04 : 0)).u8(0).u8(int(qstrlen(name))).bytes(name).u16(1);
    w.u16(4).u16(4 + int(glyph.size()));
    w.bytes(glyph);
    font3 ? w.u16(code) : w.u8(code);
    w.u16(512 * unit).u16(128 * unit).u16(0).u16(600 * unit);
    w.rect(0, 512 * unit, -512 * unit, 0).u16(0);
    return w.data();
}

// DefineText(2) 9: two glyphs 0 of font 5, 400 twips high, red, starting
// at (200, 600) with the first advancing 600 twips.
QByteArray defineText(bool text2)
{
    SwfWriter w;
    w.u16(9).rect(0, 2000, 0, 1000).matrix();
    w.u8(1).u8(11);                  // glyph bits, advance bits
    w.u8(0x80 | 0x08 | 0x04 | 0x02 | 0x01).u16(5);
    text2 ? w.rgba(red) : w.rgb(red);
    w.u16(200).u16(600).u16(400);
    w.u8(2).ub(1, 0).sb(11, 600).ub(1, 0).sb(11, 0).flush();
    w.u8(0);
    return w.data();
}

QByteArray defineEditText(const char *text, int flags2, int fontId = 5, int align = 0,
                          int extraFlags1 = 0, int width = 2000)
{
    SwfWriter w;
    w.u16(11).rect(0, width, 0, 1000);
    w.u8(0x80 | 0x04 | (fontId ? 0x01 : 0) | extraFlags1).u8(flags2 | 0x20);
    if (fontId)
        w.u16(fontId).u16(400);
    w.rgba(red);
    w.u8(align).u16(0).u16(0).u16(0).u16(0);
    w.string("field").string(text);
    return w.data();
}

int countPixels(const QImage &image, const QColor &color, const QRect &area)
{
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            n += testsupport::near(image.pixel(x, y), color, 60) ? 1 : 0;
    return n;
}

} // namespace

class TextTest : public QObject
{
    Q_OBJECT

private slots:
    void staticText_data();
    void staticText();
    void fontInfoAmendsCodes();
    void editTextWithOutlines_data();
    void editTextWithOutlines();
    void wordWrap_data();
    void wordWrap();
    void editTextWithSystemFont();
    void html_data();
    void html();
    void htmlRunsUseTheirFonts();
    void truncatedTagsThrow_data();
    void truncatedTagsThrow();
};

void TextTest::staticText_data()
{
    QTest::addColumn<int>("fontTag");
    QTest::addColumn<QByteArray>("font");
    QTest::addColumn<bool>("text2");
    QTest::newRow("DefineFont, DefineText") << 10 << defineFont() << false;
    QTest::newRow("DefineFont2, DefineText2") << 48 << defineFont2(false) << true;
    QTest::newRow("DefineFont3, DefineText") << 75 << defineFont2(true) << false;
}

void TextTest::staticText()
{
    QFETCH(int, fontTag);
    QFETCH(QByteArray, font);
    QFETCH(bool, text2);
    swf::Dictionary dictionary;
    dictionary.insert(5, decode(fontTag, font, &dictionary));
    QVERIFY(dictionary.value(5));
    QCOMPARE(dictionary.value(5)->type(), swf::Character::Type::Font);
    const auto text = decode(text2 ? 33 : 11, defineText(text2), &dictionary);
    QVERIFY(text);
    QCOMPARE(text->type(), swf::Character::Type::Text);
    // Each glyph: 200 twips square, its bottom on the baseline y = 600.
    const QImage image = render(*text, {100, 50});
    COMPARE_PIXEL(image, 15, 25, red);
    COMPARE_PIXEL(image, 15, 35, Qt::white);
    COMPARE_PIXEL(image, 15, 15, Qt::white);
    COMPARE_PIXEL(image, 25, 25, Qt::white);
    COMPARE_PIXEL(image, 45, 25, red);        // the second glyph, 600 twips on
    COMPARE_PIXEL(image, 55, 25, Qt::white);
    QVERIFY(text->clipPath().contains(QPointF(300, 500)));
    QVERIFY(!text->clipPath().contains(QPointF(600, 500)));
}

void TextTest::fontInfoAmendsCodes()
{
    swf::Dictionary dictionary;
    dictionary.insert(5, decode(10, defineFont(), &dictionary));
    SwfWriter info;
    info.u16(5).u8(3).bytes("Abc").u8(0x02).u8('A').u8('B');
    QVERIFY(!decode(13, info.data(), &dictionary));
    auto font = std::dynamic_pointer_cast<const swf::FontCharacter>(dictionary.value(5));
    QVERIFY(font);
    QCOMPARE(font->glyphForCode(u'A'), 0);
    QCOMPARE(font->glyphForCode(u'B'), 1);
    QCOMPARE(font->name(), QStringLiteral("Abc"));
    QVERIFY(font->bold());

    SwfWriter info2;
    info2.u16(5).u8(0).u8(0).u8(1).u16(0x263a).u16('C');
    QVERIFY(!decode(62, info2.data(), &dictionary));
    font = std::dynamic_pointer_cast<const swf::FontCharacter>(dictionary.value(5));
    QCOMPARE(font->glyphForCode(char16_t(0x263a)), 0);
    QCOMPARE(font->glyphForCode(u'C'), 1);

    // Information about a font that does not exist changes nothing.
    SwfWriter orphan;
    orphan.u16(77).u8(0).u8(0).u8('A');
    QVERIFY(!decode(13, orphan.data(), &dictionary));
    QCOMPARE(dictionary.size(), 1);
}

void TextTest::editTextWithOutlines_data()
{
    QTest::addColumn<int>("align");
    QTest::addColumn<int>("firstGlyphLeft");   // pixels
    // Gutter 2 px; each glyph 10 px wide advancing 11.7 px; the line is 23.4 px of 96.
    QTest::newRow("left") << 0 << 2;
    QTest::newRow("right") << 1 << 2 + 96 - 23;
    QTest::newRow("center") << 2 << 2 + (96 - 23) / 2;
}

void TextTest::editTextWithOutlines()
{
    QFETCH(int, align);
    QFETCH(int, firstGlyphLeft);
    swf::Dictionary dictionary;
    dictionary.insert(5, decode(48, defineFont2(false), &dictionary));
    const auto field = decode(37, defineEditText("AA", 0x01, 5, align), &dictionary);
    QVERIFY(field);
    QCOMPARE(field->type(), swf::Character::Type::EditText);
    QCOMPARE(field->bounds(), QRectF(0, 0, 2000, 1000));
    const QImage image = render(*field, {100, 50});
    // Ascent 200 twips: the glyphs span y 2..12 px.
    const int x = firstGlyphLeft;
    COMPARE_PIXEL(image, x + 5, 7, red);
    COMPARE_PIXEL(image, x + 17, 7, red);
    COMPARE_PIXEL(image, x + 5, 14, Qt::white);
    if (x + 27 < image.width())
        COMPARE_PIXEL(image, x + 27, 7, Qt::white);
    if (x > 4)
        COMPARE_PIXEL(image, x - 3, 7, Qt::white);
}

void TextTest::wordWrap_data()
{
    QTest::addColumn<int>("flags1");
    QTest::addColumn<bool>("secondLine");
    QTest::newRow("word wrap, multiline") << (0x40 | 0x20) << true;
    QTest::newRow("multiline without wrap") << 0x20 << false;
}

void TextTest::wordWrap()
{
    QFETCH(int, flags1);
    QFETCH(bool, secondLine);
    swf::Dictionary dictionary;
    dictionary.insert(5, decode(48, defineFont2(false), &dictionary));
    // "AA" is 468 twips wide; two of them and a space do not fit in 960.
    const auto field = decode(37, defineEditText("AA AA", 0x01, 5, 0, flags1, 1000), &dictionary);
    QVERIFY(field);
    const QImage image = render(*field, {60, 50});
    COMPARE_PIXEL(image, 7, 7, red);
    // The second line's baseline is 250 twips lower: its glyphs span y 14.5..24.5 px.
    COMPARE_PIXEL(image, 7, 19, secondLine ? red : QColor(Qt::white));
}

void TextTest::editTextWithSystemFont()
{
    // No font: a system font, and a border (0x08).
    const auto field = decode(37, defineEditText("Ciao Ciao", 0x08, 0), nullptr);
    QVERIFY(field);
    const QImage image = render(*field, {100, 50});
    COMPARE_PIXEL(image, 50, 0, Qt::black);
    COMPARE_PIXEL(image, 0, 25, Qt::black);
    COMPARE_PIXEL(image, 50, 45, Qt::white);
    // The text is red, on the first line, starting at the left.
    QVERIFY(countPixels(image, red, QRect(2, 2, 40, 20)) > 20);
    QCOMPARE(countPixels(image, red, QRect(2, 28, 90, 20)), 0);
}

// Paragraphs as "align:text[face,height,color,bi]|..." lines.
QString describe(const QVector<swf::TextParagraph> &paragraphs)
{
    QStringList out;
    for (const auto &p : paragraphs) {
        QString line = QString::number(int(p.align)) + QLatin1Char(':');
        for (const auto &s : p.spans) {
            line += s.text + QLatin1Char('[') + s.style.face + QLatin1Char(',')
                + QString::number(s.style.height) + QLatin1Char(',') + s.style.color.name()
                + QLatin1Char(',') + (s.style.bold ? QLatin1Char('b') : QLatin1Char('-'))
                + (s.style.italic ? QLatin1Char('i') : QLatin1Char('-')) + QLatin1String("]|");
        }
        out.append(line);
    }
    return out.join(QLatin1Char('\n'));
}

void TextTest::html_data()
{
    QTest::addColumn<QString>("html");
    QTest::addColumn<QString>("expected");
    QTest::newRow("plain") << "ciao" << "0:ciao[,240,#000000,--]|";
    QTest::newRow("paragraph with a font")
        << "<P ALIGN=\"CENTER\"><FONT FACE=\"Arial\" SIZE=\"12\" COLOR=\"#FF8000\">Uno</FONT></P>"
        << "2:Uno[Arial,240,#ff8000,--]|";
    QTest::newRow("styles nest and end")
        << "<p>a<b>b<i>c</i></b>d</p>"
        << "0:a[,240,#000000,--]|b[,240,#000000,b-]|c[,240,#000000,bi]|d[,240,#000000,--]|";
    QTest::newRow("relative size") << "<font size='+2'>x</font>" << "0:x[,280,#000000,--]|";
    QTest::newRow("two paragraphs and a break")
        << "<p align='right'>a</p><p>b<br/>c</p>"
        << "1:a[,240,#000000,--]|\n0:b[,240,#000000,--]|\n0:c[,240,#000000,--]|";
    QTest::newRow("entities") << "&lt;b&gt; &amp;amp;" << "0:<b> &amp;[,240,#000000,--]|";
    QTest::newRow("tag cut off") << "ab<font col" << "0:ab[,240,#000000,--]|";
}

void TextTest::html()
{
    QFETCH(QString, html);
    QFETCH(QString, expected);
    swf::TextStyle defaults;
    QCOMPARE(describe(swf::parseHtmlText(html, defaults, swf::TextAlign::Left)), expected);
}

void TextTest::htmlRunsUseTheirFonts()
{
    // The field's font 5 has no 'A' (a gap of a third of the height is
    // left); font 6, "Other", has one. A run naming "Other" uses it.
    swf::Dictionary dictionary;
    dictionary.insert(5, decode(48, defineFont2(false, 'B'), &dictionary));
    dictionary.insert(6, decode(48, defineFont2(false, 'A', 6, "Other"), &dictionary));
    const auto field = decode(37, defineEditText("<p>A<font face='other' color='#0000ff'>A</font>B</p>",
                                                 0x01 | 0x02, 5), &dictionary);
    QVERIFY(field);
    const QImage image = render(*field, {100, 50});
    // Gap 2..8.7 px, the blue 'A' of "Other" 8.7..18.7, then the red 'B' of font 5.
    COMPARE_PIXEL(image, 5, 7, Qt::white);
    COMPARE_PIXEL(image, 13, 7, blue);
    COMPARE_PIXEL(image, 25, 7, red);
}

void TextTest::truncatedTagsThrow_data()
{
    QTest::addColumn<int>("tagCode");
    QTest::addColumn<QByteArray>("body");
    QTest::newRow("DefineFont") << 10 << defineFont();
    QTest::newRow("DefineFont2") << 48 << defineFont2(false);
    QTest::newRow("DefineFont3") << 75 << defineFont2(true);
    QTest::newRow("DefineText") << 11 << defineText(false);
    QTest::newRow("DefineText2") << 33 << defineText(true);
    QTest::newRow("DefineEditText") << 37 << defineEditText("abc", 0);
}

void TextTest::truncatedTagsThrow()
{
    QFETCH(int, tagCode);
    QFETCH(QByteArray, body);
    swf::Dictionary dictionary;
    dictionary.insert(5, decode(48, defineFont2(false)));
    QVERIFY(decode(tagCode, body, &dictionary));
    // DefineFont2's layout is optional: a body cut right before it is whole;
    // so is a DefineFont of only an id, a font without glyphs.
    const int whole = tagCode == 48 || tagCode == 75 ? int(body.size()) - 19 : tagCode == 10 ? 2 : -1;
    for (int length = 0; length < body.size(); ++length) {
        if (length == whole)
            continue;
        bool threw = false;
        try {
            decode(tagCode, body.left(length), &dictionary);
        } catch (const swf::DecodeError &) {
            threw = true;
        }
        QVERIFY2(threw, QByteArray::number(length) + " of " + QByteArray::number(body.size()));
    }
}

QTEST_MAIN(TextTest)
#include "tst_text.moc"
