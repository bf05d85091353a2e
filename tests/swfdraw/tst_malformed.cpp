#include "SwfWriter.h"
#include "TestSupport.h"

#include <QRandomGenerator>
#include <QTest>

using testsupport::decode;
using testsupport::render;

namespace {

const QVector<int> kCharacterTags = {2, 22, 32, 83, 46, 84, 6, 21, 35, 90, 20, 36,
                                     10, 48, 75, 13, 62, 11, 33, 37};

QByteArray square(SwfWriter &w, int fillBits, int lineBits)
{
    w.styleChange(-1, 1, lineBits ? 1 : -1, true, 0, 0, fillBits, lineBits);
    w.lineTo(1000, 0).curveTo(200, 500, -200, 500).lineTo(-1000, 0).lineTo(0, -1000);
    w.endShape();
    return w.data();
}

// One valid body for each kind of tag, to be mutated.
QByteArray seed(int tag)
{
    SwfWriter w;
    switch (tag) {
    case 2: case 22: case 32: case 83:
        w.u16(1).rect(0, 1000, 0, 1000);
        if (tag == 83)
            w.rect(0, 1000, 0, 1000).u8(0);
        w.u8(2).u8(0x12).matrix(0.05, 0.05, 500, 500).ub(2, 1).ub(2, 1).ub(4, 2);
        w.u8(0).rgb(Qt::red);
        if (tag >= 32) w.u8(0x80);
        w.u8(255).rgb(Qt::blue);
        if (tag >= 32) w.u8(0xff);
        w.u8(0x41).u16(3).matrix(20, 20);
        w.u8(1).u16(40);
        if (tag == 83)
            w.u8(0x0a).u8(0).u16(512);
        tag >= 32 ? w.rgba(Qt::green) : w.rgb(Qt::green);
        w.ub(4, 2).ub(4, 1);
        return square(w, 2, 1);
    case 46: case 84: {
        SwfWriter rest;
        rest.u8(1).u8(0).rgba(Qt::red).rgba(Qt::blue);
        rest.u8(0);
        rest.ub(4, 1).ub(4, 0);
        const QByteArray start = square(rest, 1, 0);
        SwfWriter end;
        end.ub(4, 0).ub(4, 0);
        end.styleChange(-1, -1, -1, true, 100, 100, 0, 0);
        end.lineTo(900, 0).lineTo(0, 900).lineTo(-900, 0).lineTo(0, -900).endShape();
        w.u16(1).rect(0, 1000, 0, 1000).rect(0, 1000, 0, 1000);
        if (tag == 84)
            w.rect(0, 1000, 0, 1000).rect(0, 1000, 0, 1000).u8(0);
        w.u32(std::uint32_t(start.size())).bytes(start).bytes(end.data());
        return w.data();
    }
    case 20: case 36: {
        const QByteArray table = tag == 36 ? QByteArray::fromHex("ff0000ff00ff0080") : QByteArray::fromHex("ff000000ff00");
        return w.u16(3).u8(3).u16(2).u16(2).u8(1)
            .bytes(qCompress(table + QByteArray::fromHex("00010000" "01000000")).mid(4)).data();
    }
    case 10:
        w.u16(5).u16(2);
        w.ub(4, 1).ub(4, 0);
        return square(w, 1, 0);
    case 48: case 75: {
        SwfWriter glyph;
        glyph.ub(4, 1).ub(4, 0);
        const QByteArray g = square(glyph, 1, 0);
        w.u16(5).u8(0x80).u8(0).u8(1).bytes("F").u16(1).u16(4).u16(4 + int(g.size())).bytes(g);
        tag == 75 ? w.u16('A') : w.u8('A');
        return w.u16(800).u16(200).u16(0).u16(1000).rect(0, 1000, -1000, 0).u16(0).data();
    }
    case 13: case 62:
        w.u16(5).u8(1).bytes("F").u8(0);
        if (tag == 62)
            w.u8(0).u16('A');
        else
            w.u8('A');
        return w.data();
    case 11: case 33:
        w.u16(9).rect(0, 1000, 0, 1000).matrix().u8(1).u8(11);
        w.u8(0x8f).u16(5);
        tag == 33 ? w.rgba(Qt::red) : w.rgb(Qt::red);
        w.u16(10).u16(500).u16(400).u8(2).ub(1, 0).sb(11, 400).ub(1, 0).sb(11, 400).flush();
        return w.u8(0).data();
    case 37:
        w.u16(11).rect(0, 2000, 0, 1000).u8(0xe5).u8(0x2b).u16(5).u16(400).rgba(Qt::red);
        w.u8(2).u16(0).u16(0).u16(0).u16(0).string("v").string("<p>A A</p><p>AA</p>");
        return w.data();
    default:
        // The JPEG tags: a small JPEG, with an alpha plane for 35 and 90.
        w.u16(3);
        if (tag == 35 || tag == 90)
            w.u32(4);
        if (tag == 90)
            w.u16(0);
        w.bytes(QByteArray::fromHex("ffd8ffd9"));
        if (tag == 35 || tag == 90)
            w.bytes(qCompress(QByteArray(4, '\x80')).mid(4));
        return w.data();
    }
}

// Decodes and draws; true when decoding succeeded, false on DecodeError.
// Anything else (a crash, another exception) fails the test.
bool survive(int tag, const QByteArray &body)
{
    swf::Dictionary dictionary;
    dictionary.insert(5, decode(48, seed(48), &dictionary));
    dictionary.insert(3, decode(20, seed(20), &dictionary));
    try {
        const auto c = decode(tag, body, &dictionary);
        if (c) {
            render(*c, {16, 16}, QTransform::fromScale(0.01, 0.01), {}, 0.5);
            c->clipPath(0.5);
            c->bounds(0.5);
        }
        return true;
    } catch (const swf::DecodeError &) {
        return false;
    }
}

} // namespace

class MalformedTest : public QObject
{
    Q_OBJECT

private slots:
    void seedsDecode_data();
    void seedsDecode();
    void mutatedTagsDecodeOrThrow_data();
    void mutatedTagsDecodeOrThrow();
    void otherTagsAreNotCharacters();
};

void MalformedTest::seedsDecode_data()
{
    QTest::addColumn<int>("tag");
    for (int tag : kCharacterTags)
        QTest::newRow(QByteArray::number(tag)) << tag;
}

void MalformedTest::seedsDecode()
{
    QFETCH(int, tag);
    QVERIFY(swf::isCharacterTag(tag));
    swf::Dictionary dictionary;
    dictionary.insert(5, decode(48, seed(48), &dictionary));
    const auto c = decode(tag, seed(tag), &dictionary);
    // DefineFontInfo amends font 5 and gives no character of its own.
    if (tag == 13 || tag == 62)
        QCOMPARE(c, nullptr);
    else
        QVERIFY(c);
}

void MalformedTest::mutatedTagsDecodeOrThrow_data()
{
    seedsDecode_data();
}

void MalformedTest::mutatedTagsDecodeOrThrow()
{
    QFETCH(int, tag);
    QRandomGenerator random(quint32(tag) * 7919u);
    const QByteArray valid = seed(tag);
    int decoded = 0, refused = 0;
    for (int i = 0; i < 1500; ++i) {
        QByteArray body = valid;
        // Flip a few bytes, cut or extend the body, or replace it outright.
        const int kind = int(random.bounded(4));
        if (kind == 3) {
            body.resize(int(random.bounded(0, 120)));
            for (char &c : body)
                c = char(random.bounded(256));
        } else {
            const int flips = 1 + int(random.bounded(4));
            for (int f = 0; f < flips && !body.isEmpty(); ++f)
                body[int(random.bounded(body.size()))] = char(random.bounded(256));
            if (kind == 1)
                body.truncate(int(random.bounded(body.size() + 1)));
            else if (kind == 2)
                body.append(QByteArray(int(random.bounded(1, 16)), char(random.bounded(256))));
        }
        (survive(tag, body) ? decoded : refused)++;
    }
    // Both outcomes occur: the mutations reach past the first checks.
    QVERIFY2(decoded > 0 && refused > 0,
             QByteArray::number(decoded) + " decoded, " + QByteArray::number(refused) + " refused");
}

void MalformedTest::otherTagsAreNotCharacters()
{
    for (int tag : {0, 1, 8, 9, 12, 26, 39, 43, 70, 73, 88})
        QVERIFY2(!swf::isCharacterTag(tag), QByteArray::number(tag));
    QCOMPARE(decode(26, QByteArray("\x01\x02", 2)), nullptr);
}

QTEST_MAIN(MalformedTest)
#include "tst_malformed.moc"
