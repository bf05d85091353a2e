#include "MovieBuilder.h"

#include "Player.h"

#include <QtEndian>
#include <lzma.h>
#include <zlib.h>

namespace {

void u16(QByteArray &out, int v)
{
    out.append(char(v & 0xff));
    out.append(char((v >> 8) & 0xff));
}

void u32(QByteArray &out, quint32 v)
{
    u16(out, int(v & 0xffff));
    u16(out, int(v >> 16));
}

// MSB-first bit packing, as RECT and MATRIX need.
class Bits
{
public:
    void put(quint32 value, int bits)
    {
        for (int i = bits - 1; i >= 0; --i) {
            m_acc = (m_acc << 1) | ((value >> i) & 1);
            if (++m_n == 8) {
                m_out.append(char(m_acc));
                m_acc = m_n = 0;
            }
        }
    }
    QByteArray take()
    {
        if (m_n)
            put(0, 8 - m_n);
        return m_out;
    }

private:
    QByteArray m_out;
    int m_acc = 0, m_n = 0;
};

QByteArray rect(int x0, int x1, int y0, int y1)
{
    // 16 bits a value, or as many as the largest needs (signed, up to 31).
    int bits = 16;
    for (int v : {x0, x1, y0, y1})
        while (bits < 31 && (v >= (1 << (bits - 1)) || v < -(1 << (bits - 1))))
            ++bits;
    Bits b;
    b.put(quint32(bits), 5);
    for (int v : {x0, x1, y0, y1})
        b.put(quint32(v) & ((1u << bits) - 1), bits);
    return b.take();
}

QByteArray translate(int tx)
{
    Bits b;
    b.put(0, 1); // no scale
    b.put(0, 1); // no rotate
    b.put(20, 5);
    b.put(quint32(tx) & 0xfffff, 20);
    b.put(0, 20);
    return b.take();
}

QByteArray cstring(const QString &s)
{
    QByteArray out = s.toUtf8();
    out.append('\0');
    return out;
}

} // namespace

MovieBuilder &MovieBuilder::tag(int code, const QByteArray &body, bool forceLong)
{
    if (body.size() < 0x3f && !forceLong) {
        u16(m_tags, (code << 6) | int(body.size()));
    } else {
        u16(m_tags, (code << 6) | 0x3f);
        u32(m_tags, quint32(body.size()));
    }
    m_tags.append(body);
    return *this;
}

MovieBuilder &MovieBuilder::background(int r, int g, int b)
{
    QByteArray body;
    body.append(char(r)).append(char(g)).append(char(b));
    return tag(9, body);
}

MovieBuilder &MovieBuilder::emptyShape(int id)
{
    QByteArray body;
    u16(body, id);
    body.append(rect(0, 20, 0, 20));
    body.append(char(0)); // fill styles
    body.append(char(0)); // line styles
    body.append(char(0)); // 0 fill bits, 0 line bits
    body.append(char(0)); // end of shape
    return tag(2, body);
}

MovieBuilder &MovieBuilder::rectShape(int id, int x0, int y0, int x1, int y1, int r, int g, int b)
{
    QByteArray body;
    u16(body, id);
    body.append(rect(x0, x1, y0, y1));
    body.append(char(1));
    body.append(char(0x00)).append(char(r)).append(char(g)).append(char(b));
    body.append(char(0));   // no line styles
    body.append(char(0x10)); // 1 fill bit, 0 line bits
    Bits s;
    // Style change: move to (x0, y0), fill0 = 1.
    s.put(0, 1);
    s.put(0b00011, 5);      // new styles no, line no, fill1 no, fill0 yes, move yes
    s.put(17, 5);
    s.put(quint32(x0) & 0x1ffff, 17);
    s.put(quint32(y0) & 0x1ffff, 17);
    s.put(1, 1);            // fill0 index
    auto line = [&](int dx, int dy) {
        s.put(1, 1);        // edge
        s.put(1, 1);        // straight
        s.put(17 - 2, 4);   // 17 bits per coordinate
        if (dx != 0 && dy != 0) {
            s.put(1, 1);
            s.put(quint32(dx) & 0x1ffff, 17);
            s.put(quint32(dy) & 0x1ffff, 17);
        } else {
            s.put(0, 1);
            s.put(dx == 0 ? 1 : 0, 1); // vertical?
            s.put(quint32(dx == 0 ? dy : dx) & 0x1ffff, 17);
        }
    };
    line(x1 - x0, 0);
    line(0, y1 - y0);
    line(x0 - x1, 0);
    line(0, y0 - y1);
    s.put(0, 6);            // end of shape
    body.append(s.take());
    return tag(2, body);
}

MovieBuilder &MovieBuilder::sprite(int id, const MovieBuilder &timeline)
{
    QByteArray body;
    u16(body, id);
    int frames = 0;
    // The frame count only informs; the ShowFrame tags decide.
    u16(body, frames);
    body.append(timeline.tags());
    return tag(39, body, true);
}

MovieBuilder &MovieBuilder::place(int depth, int id, std::optional<int> tx, const QString &name,
                                  int clipDepth)
{
    QByteArray body;
    int flags = 0x02 | (tx ? 0x04 : 0) | (name.isEmpty() ? 0 : 0x20) | (clipDepth ? 0x40 : 0);
    body.append(char(flags));
    u16(body, depth);
    u16(body, id);
    if (tx)
        body.append(translate(*tx));
    if (!name.isEmpty())
        body.append(cstring(name));
    if (clipDepth)
        u16(body, clipDepth);
    return tag(26, body);
}

MovieBuilder &MovieBuilder::placeFiltered(int depth, int id, int tx, const QByteArray &filters)
{
    QByteArray body;
    body.append(char(0x06));         // character, matrix
    body.append(char(0x01));         // filter list
    u16(body, depth);
    u16(body, id);
    body.append(translate(tx));
    body.append(filters);
    return tag(70, body);
}

MovieBuilder &MovieBuilder::placeScaled(int depth, int id, double scale)
{
    QByteArray body;
    body.append(char(0x02 | 0x04));  // character, matrix
    u16(body, depth);
    u16(body, id);
    Bits m;
    m.put(1, 1);                     // scale
    m.put(31, 5);
    const quint32 fixed = quint32(qint64(scale * 65536));
    m.put(fixed, 31);
    m.put(fixed, 31);
    m.put(0, 1);                     // no rotation
    m.put(0, 5);                     // no translation
    body.append(m.take());
    return tag(26, body);
}

MovieBuilder &MovieBuilder::placeFaded(int depth, int id, int alphaMult)
{
    QByteArray body;
    body.append(char(0x02 | 0x08));  // character, colour transform
    u16(body, depth);
    u16(body, id);
    Bits cx;
    cx.put(0, 1);                    // no additions
    cx.put(1, 1);                    // multiplications
    cx.put(10, 4);
    for (int mult : {256, 256, 256, alphaMult})
        cx.put(quint32(mult) & 0x3ff, 10);
    body.append(cx.take());
    return tag(26, body);
}

MovieBuilder &MovieBuilder::move(int depth, std::optional<int> id, std::optional<int> tx)
{
    QByteArray body;
    body.append(char(0x01 | (id ? 0x02 : 0) | (tx ? 0x04 : 0)));
    u16(body, depth);
    if (id)
        u16(body, *id);
    if (tx)
        body.append(translate(*tx));
    return tag(26, body);
}

MovieBuilder &MovieBuilder::placeMatrix(int depth, int id, double a, double b, double c, double d, int tx,
                                        int ty)
{
    QByteArray body;
    body.append(char(0x02 | 0x04));
    u16(body, depth);
    u16(body, id);
    auto fixed = [](double v) { return quint32(qint64(v * 65536)) & 0x7fffffff; };
    Bits m;
    m.put(1, 1);
    m.put(31, 5);
    m.put(fixed(a), 31);
    m.put(fixed(d), 31);
    m.put(1, 1);
    m.put(31, 5);
    m.put(fixed(b), 31);
    m.put(fixed(c), 31);
    m.put(20, 5);
    m.put(quint32(tx) & 0xfffff, 20);
    m.put(quint32(ty) & 0xfffff, 20);
    body.append(m.take());
    return tag(26, body);
}

MovieBuilder &MovieBuilder::setVisible(int depth, bool visible)
{
    QByteArray body;
    body.append(char(0x01));          // move
    body.append(char(0x20));          // visibility
    u16(body, depth);
    body.append(char(visible ? 1 : 0));
    return tag(70, body);
}

namespace {

QByteArray buttonRecords(const std::vector<MovieBuilder::ButtonRecord> &records, bool withCxform)
{
    QByteArray out;
    for (const auto &r : records) {
        out.append(char(r.states));
        u16(out, r.id);
        u16(out, r.depth);
        out.append(translate(r.tx));
        if (withCxform)
            out.append(char(0));      // CXFORMWITHALPHA with nothing in it
    }
    out.append(char(0));
    return out;
}

} // namespace

MovieBuilder &MovieBuilder::button2(int id, const std::vector<ButtonRecord> &records,
                                    const std::vector<ButtonAction> &actions, bool trackAsMenu)
{
    QByteArray body;
    u16(body, id);
    body.append(char(trackAsMenu ? 1 : 0));
    const QByteArray recordBytes = buttonRecords(records, true);
    u16(body, actions.empty() ? 0 : int(2 + recordBytes.size()));
    body.append(recordBytes);
    for (std::size_t i = 0; i < actions.size(); ++i) {
        const QByteArray code = actions[i].records + QByteArray(1, 0);
        u16(body, i + 1 == actions.size() ? 0 : int(4 + code.size()));
        body.append(char(actions[i].transitions & 0xff));
        body.append(char((actions[i].key << 1) | ((actions[i].transitions >> 8) & 1)));
        body.append(code);
    }
    return tag(34, body);
}

MovieBuilder &MovieBuilder::button1(int id, const std::vector<ButtonRecord> &records, const QByteArray &actions)
{
    QByteArray body;
    u16(body, id);
    body.append(buttonRecords(records, false));
    body.append(actions).append(char(0));
    return tag(7, body);
}

MovieBuilder &MovieBuilder::remove(int depth)
{
    QByteArray body;
    u16(body, depth);
    return tag(28, body);
}

MovieBuilder &MovieBuilder::placeWithEvents(int depth, int id, const QString &name,
                                           const std::vector<std::pair<quint32, QByteArray>> &events)
{
    QByteArray body;
    body.append(char(0x02 | (name.isEmpty() ? 0 : 0x20) | 0x80));
    u16(body, depth);
    u16(body, id);
    if (!name.isEmpty())
        body.append(cstring(name));
    u16(body, 0);
    quint32 all = 0;
    for (const auto &[mask, code] : events)
        all |= mask;
    u32(body, all);
    for (const auto &[mask, code] : events) {
        u32(body, mask);
        u32(body, quint32(code.size() + 1));
        body += code + QByteArray(1, '\0');
    }
    u32(body, 0);
    return tag(26, body);
}

MovieBuilder &MovieBuilder::initActions(int spriteId, const QByteArray &records)
{
    QByteArray body;
    u16(body, spriteId);
    return tag(59, body + records + QByteArray(1, '\0'));
}

MovieBuilder &MovieBuilder::exportAs(int id, const QString &name)
{
    QByteArray body;
    u16(body, 1);
    u16(body, id);
    return tag(56, body + cstring(name));
}

MovieBuilder &MovieBuilder::label(const QString &name)
{
    return tag(43, cstring(name));
}

MovieBuilder &MovieBuilder::actions(const QByteArray &records)
{
    return tag(12, records + QByteArray(1, 0));
}

QByteArray MovieBuilder::gotoFrame(int zeroBased)
{
    QByteArray out(1, char(0x81));
    u16(out, 2);
    u16(out, zeroBased);
    return out;
}

QByteArray MovieBuilder::gotoLabel(const QString &label)
{
    const QByteArray s = cstring(label);
    QByteArray out(1, char(0x8C));
    u16(out, int(s.size()));
    return out + s;
}

QByteArray MovieBuilder::setTarget(const QString &path)
{
    const QByteArray s = cstring(path);
    QByteArray out(1, char(0x8B));
    u16(out, int(s.size()));
    return out + s;
}

QByteArray MovieBuilder::gotoFrame2(int oneBased, bool play)
{
    QByteArray out(1, char(0x96)); // push integer
    u16(out, 5);
    out.append(char(7));
    u32(out, quint32(oneBased));
    out.append(char(0x9F));
    u16(out, 1);
    out.append(char(play ? 1 : 0));
    return out;
}

std::unique_ptr<swf::Player> MovieBuilder::load() const
{
    QString error;
    auto player = swf::Player::fromBytes(build('F', 2000, 2000), &error);
    if (!player)
        qWarning("%s", qPrintable(error));
    return player;
}

QByteArray MovieBuilder::build(char compression, int stageW, int stageH, double rate) const
{
    QByteArray body = rect(0, stageW, 0, stageH);
    u16(body, int(rate * 256));
    int frames = 0;
    u16(body, frames);
    body.append(m_tags);
    QByteArray out;
    out.append(compression).append("WS").append(char(m_version));
    u32(out, quint32(8 + body.size()));
    if (compression == 'F')
        return out + body;
    if (compression == 'C') {
        uLongf size = compressBound(uLong(body.size()));
        QByteArray packed(qsizetype(size), 0);
        compress(reinterpret_cast<Bytef *>(packed.data()), &size,
                 reinterpret_cast<const Bytef *>(body.constData()), uLong(body.size()));
        packed.resize(qsizetype(size));
        return out + packed;
    }
    // ZWS: the .lzma stream's 13-byte header loses its 8 size bytes.
    lzma_options_lzma options;
    lzma_lzma_preset(&options, 6);
    lzma_stream ls = LZMA_STREAM_INIT;
    if (lzma_alone_encoder(&ls, &options) != LZMA_OK)
        return {};
    QByteArray packed(body.size() + 1024, 0);
    ls.next_in = reinterpret_cast<const uint8_t *>(body.constData());
    ls.avail_in = std::size_t(body.size());
    ls.next_out = reinterpret_cast<uint8_t *>(packed.data());
    ls.avail_out = std::size_t(packed.size());
    while (lzma_code(&ls, LZMA_FINISH) == LZMA_OK) {
    }
    packed.resize(qsizetype(packed.size() - qsizetype(ls.avail_out)));
    lzma_end(&ls);
    u32(out, quint32(packed.size() - 13));
    out.append(packed.left(5));
    out.append(packed.mid(13));
    return out;
}

MovieBuilder &MovieBuilder::defineSound(int id, int format, quint32 sampleCount, const QByteArray &data)
{
    QByteArray body;
    u16(body, id);
    body.append(char(format));
    u32(body, sampleCount);
    return tag(14, body + data);
}

MovieBuilder &MovieBuilder::startSound(int id, const QByteArray &soundInfo)
{
    QByteArray body;
    u16(body, id);
    return tag(15, body + soundInfo);
}

MovieBuilder &MovieBuilder::streamHead(int format, int averageSamples)
{
    QByteArray body;
    body.append(char(format & 0x0f));
    body.append(char(format));
    u16(body, averageSamples);
    return tag(45, body);
}

MovieBuilder &MovieBuilder::streamBlock(const QByteArray &data)
{
    return tag(19, data, true);
}

QByteArray MovieBuilder::soundInfo(bool stop, bool noMultiple, std::optional<quint32> in,
                                   std::optional<quint32> out, int loops,
                                   const std::vector<EnvelopePoint> &envelope)
{
    QByteArray b;
    b.append(char((stop ? 0x20 : 0) | (noMultiple ? 0x10 : 0) | (envelope.empty() ? 0 : 0x08)
                  | (loops >= 0 ? 0x04 : 0) | (out ? 0x02 : 0) | (in ? 0x01 : 0)));
    if (in)
        u32(b, *in);
    if (out)
        u32(b, *out);
    if (loops >= 0)
        u16(b, loops);
    if (!envelope.empty()) {
        b.append(char(envelope.size()));
        for (const EnvelopePoint &p : envelope) {
            u32(b, p.position);
            u16(b, p.left);
            u16(b, p.right);
        }
    }
    return b;
}
