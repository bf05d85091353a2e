#include "decode/ActionDecoder.h"

#include <QStringList>
#include <cstring>
#include <variant>

namespace swf {

namespace {

using Value = std::variant<std::monostate, double, QString>;

// Reads one ActionPush's values; registers, booleans and undefined become
// monostate since no timeline action can use them.
void readPush(BitReader &r, const QStringList &pool, std::vector<Value> &stack)
{
    while (!r.atEnd()) {
        const int type = r.u8();
        switch (type) {
        case 0: stack.emplace_back(r.string()); break;
        case 1: stack.emplace_back(double(r.f32())); break;
        case 2: case 3: stack.emplace_back(); break;
        case 4: case 5: r.u8(); stack.emplace_back(); break;
        case 6: {
            // DOUBLE: the two 32-bit halves are stored high word first.
            const std::uint32_t hi = r.u32(), lo = r.u32();
            const std::uint64_t bits = (std::uint64_t(hi) << 32) | lo;
            double d;
            std::memcpy(&d, &bits, sizeof d);
            stack.emplace_back(d);
            break;
        }
        case 7: stack.emplace_back(double(r.s32())); break;
        case 8: case 9: {
            const int index = type == 8 ? r.u8() : r.u16();
            if (index < pool.size())
                stack.emplace_back(pool.at(index));
            else
                stack.emplace_back();
            break;
        }
        default:
            return; // unknown type: the rest of this push is meaningless
        }
    }
}

} // namespace

std::vector<Action> decodeActions(BitReader &body)
{
    std::vector<Action> out;
    std::vector<Value> stack;
    QStringList pool;
    while (!body.atEnd()) {
        const int code = body.u8();
        if (code == 0)
            break;
        std::size_t length = 0;
        if (code >= 0x80)
            length = body.u16();
        BitReader payload = body.sub(length);
        Action a;
        switch (code) {
        case 0x04: a.op = Action::Op::NextFrame; out.push_back(a); break;
        case 0x05: a.op = Action::Op::PreviousFrame; out.push_back(a); break;
        case 0x06: a.op = Action::Op::Play; out.push_back(a); break;
        case 0x07: a.op = Action::Op::Stop; out.push_back(a); break;
        case 0x81:
            a.op = Action::Op::GotoFrame;
            a.frame = payload.u16();
            out.push_back(a);
            break;
        case 0x8C:
            a.op = Action::Op::GotoLabel;
            a.text = payload.string();
            out.push_back(a);
            break;
        case 0x8B:
            a.op = Action::Op::SetTarget;
            a.text = payload.string();
            out.push_back(a);
            break;
        case 0x20: // SetTarget2: the target is a string pushed before
            if (!stack.empty() && std::holds_alternative<QString>(stack.back())) {
                a.op = Action::Op::SetTarget;
                a.text = std::get<QString>(stack.back());
                out.push_back(a);
            }
            stack.clear();
            break;
        case 0x88: { // ConstantPool
            pool.clear();
            const int count = payload.u16();
            for (int i = 0; i < count; ++i)
                pool.append(payload.string());
            break;
        }
        case 0x96:
            readPush(payload, pool, stack);
            break;
        case 0x9F: { // GotoFrame2
            const int flags = payload.u8();
            const int bias = (flags & 2) ? payload.u16() : 0;
            a.play = (flags & 1) != 0;
            if (!stack.empty()) {
                const Value v = stack.back();
                if (const double *d = std::get_if<double>(&v)) {
                    // Scripts count frames from 1.
                    if (*d >= 1 && *d < 65536) {
                        a.op = Action::Op::GotoFrame;
                        a.frame = int(*d) - 1 + bias;
                        out.push_back(a);
                    }
                } else if (const QString *s = std::get_if<QString>(&v)) {
                    // "clip:frame" paths name another timeline; only the
                    // plain forms are run.
                    bool number = false;
                    const int n = s->toInt(&number);
                    if (number && n >= 1) {
                        a.op = Action::Op::GotoFrame;
                        a.frame = n - 1 + bias;
                        out.push_back(a);
                    } else if (!number && !s->contains(u':')) {
                        a.op = Action::Op::GotoLabel;
                        a.text = *s;
                        out.push_back(a);
                    }
                }
            }
            stack.clear();
            break;
        }
        default:
            // Anything else may consume or produce values we do not model.
            stack.clear();
            break;
        }
    }
    return out;
}

} // namespace swf
