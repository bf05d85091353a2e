#include "ActionWriter.h"

#include <cstring>

namespace {

void u16(QByteArray &out, int v)
{
    out.append(char(v & 0xff));
    out.append(char((v >> 8) & 0xff));
}

QByteArray cstring(const QString &s)
{
    return s.toUtf8() + QByteArray(1, '\0');
}

QByteArray encode(int code, const QByteArray &body)
{
    QByteArray out(1, char(code));
    u16(out, int(body.size()));
    return out + body;
}

// Markers for what a QVariant cannot say itself.
struct NullMark {};
struct RegMark { int n; };

} // namespace

Q_DECLARE_METATYPE(NullMark)
Q_DECLARE_METATYPE(RegMark)

QVariant ActionWriter::Null() { return QVariant::fromValue(NullMark{}); }
QVariant ActionWriter::Reg(int n) { return QVariant::fromValue(RegMark{n}); }

ActionWriter &ActionWriter::push(const QVariantList &values)
{
    QByteArray body;
    for (const QVariant &v : values) {
        if (!v.isValid()) {
            body.append(char(3));
        } else if (v.canConvert<NullMark>() && v.userType() == qMetaTypeId<NullMark>()) {
            body.append(char(2));
        } else if (v.userType() == qMetaTypeId<RegMark>()) {
            body.append(char(4));
            body.append(char(v.value<RegMark>().n));
        } else if (v.typeId() == QMetaType::Bool) {
            body.append(char(5));
            body.append(char(v.toBool() ? 1 : 0));
        } else if (v.typeId() == QMetaType::Int || v.typeId() == QMetaType::Double) {
            // DOUBLE: the high 32 bits first.
            const double d = v.toDouble();
            quint64 bits;
            std::memcpy(&bits, &d, sizeof bits);
            body.append(char(6));
            for (int half : {32, 0})
                for (int b = 0; b < 32; b += 8)
                    body.append(char((bits >> (half + b)) & 0xff));
        } else {
            body.append(char(0));
            body.append(cstring(v.toString()));
        }
    }
    m_code += encode(0x96, body);
    return *this;
}

ActionWriter &ActionWriter::op(int code)
{
    m_code.append(char(code));
    return *this;
}

ActionWriter &ActionWriter::record(int code, const QByteArray &body)
{
    m_code += encode(code, body);
    return *this;
}

ActionWriter &ActionWriter::branch(int code, const QString &label)
{
    m_code.append(char(code));
    u16(m_code, 2);
    m_branches.push_back({int(m_code.size()), label});
    u16(m_code, 0);
    return *this;
}

ActionWriter &ActionWriter::label(const QString &name)
{
    m_labels.emplace_back(name, int(m_code.size()));
    return *this;
}

ActionWriter &ActionWriter::storeRegister(int n)
{
    m_code += encode(0x87, QByteArray(1, char(n)));
    return *this;
}

ActionWriter &ActionWriter::setTarget(const QString &path)
{
    m_code += encode(0x8B, cstring(path));
    return *this;
}

ActionWriter &ActionWriter::defineFunction(const QString &name, const QStringList &params,
                                           const ActionWriter &body)
{
    const QByteArray code = body.bytes();
    QByteArray head = cstring(name);
    u16(head, int(params.size()));
    for (const QString &p : params)
        head += cstring(p);
    u16(head, int(code.size()));
    m_code += encode(0x9B, head) + code;
    return *this;
}

ActionWriter &ActionWriter::defineFunction2(const QString &name, int registers, unsigned flags,
                                            const std::vector<std::pair<QString, int>> &params,
                                            const ActionWriter &body)
{
    const QByteArray code = body.bytes();
    QByteArray head = cstring(name);
    u16(head, int(params.size()));
    head.append(char(registers));
    u16(head, int(flags));
    for (const auto &[p, reg] : params) {
        head.append(char(reg));
        head += cstring(p);
    }
    u16(head, int(code.size()));
    m_code += encode(0x8E, head) + code;
    return *this;
}

ActionWriter &ActionWriter::with(const ActionWriter &body)
{
    const QByteArray code = body.bytes();
    QByteArray size;
    u16(size, int(code.size()));
    m_code += encode(0x94, size) + code;
    return *this;
}

ActionWriter &ActionWriter::tryBlock(const ActionWriter &body, const QString &name,
                                     const ActionWriter &handler, const ActionWriter *last)
{
    const QByteArray t = body.bytes(), c = handler.bytes();
    const QByteArray f = last ? last->bytes() : QByteArray();
    QByteArray head(1, char((name.isEmpty() ? 0 : 1) | (last ? 2 : 0)));
    u16(head, int(t.size()));
    u16(head, int(c.size()));
    u16(head, int(f.size()));
    head += cstring(name);
    m_code += encode(0x8F, head) + t + c + f;
    return *this;
}

QByteArray ActionWriter::bytes() const
{
    QByteArray out = m_code;
    for (const Branch &b : m_branches) {
        for (const auto &[name, at] : m_labels) {
            if (name == b.label) {
                const int offset = at - (b.at + 2);
                out[b.at] = char(offset & 0xff);
                out[b.at + 1] = char((offset >> 8) & 0xff);
            }
        }
    }
    return out;
}
