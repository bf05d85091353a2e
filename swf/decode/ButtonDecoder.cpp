#include "decode/ButtonDecoder.h"

#include "character/ButtonCharacter.h"

#include <algorithm>

namespace swf::buttondecoder {

namespace {

constexpr int DefineButton2 = 34;

std::vector<ButtonCharacter::Record> readRecords(BitReader &body, bool second)
{
    std::vector<ButtonCharacter::Record> records;
    while (true) {
        const int flags = body.u8();
        if (flags == 0)
            break;
        ButtonCharacter::Record rec;
        rec.states = flags & 0x0f;
        rec.characterId = body.u16();
        rec.depth = body.u16();
        rec.matrix = body.matrix();
        if (second) {
            rec.cxform = body.cxform(true);
            if (flags & 0x10)
                rec.filters = std::make_shared<const std::vector<Filter>>(Filter::readList(body));
            if (flags & 0x20)
                rec.blendMode = body.u8();
        }
        records.push_back(std::move(rec));
    }
    std::stable_sort(records.begin(), records.end(),
                     [](const auto &a, const auto &b) { return a.depth < b.depth; });
    return records;
}

// BUTTONCONDACTIONs from the reader's position to the end of the tag.
// A malformed one ends the list; the ones before it stay.
std::vector<ButtonCharacter::CondAction> readCondActions(BitReader &body)
{
    std::vector<ButtonCharacter::CondAction> actions;
    while (body.remaining() >= 4) {
        const std::size_t size = body.u16();
        const int first = body.u8();
        const int second = body.u8();
        ButtonCharacter::CondAction action;
        action.transitions = first | ((second & 1) << 8);
        action.key = second >> 1;
        // The size counts from its own field to the next record; 0 marks
        // the last, which runs to the end of the tag.
        if (size == 0) {
            action.code = body.readRest();
        } else if (size < 4 || size - 4 > body.remaining()) {
            break;
        } else {
            action.code = body.readBytes(size - 4);
        }
        actions.push_back(std::move(action));
        if (size == 0)
            break;
    }
    return actions;
}

} // namespace

CharacterPtr decodeButton(int tagCode, BitReader &body)
{
    const bool second = tagCode == DefineButton2;
    const int id = body.u16();
    ButtonCharacter::Definition d;
    d.hasOwnCxform = second;
    std::size_t actionsAt = 0;
    if (second) {
        d.trackAsMenu = (body.u8() & 0x01) != 0;
        const std::size_t field = body.position();
        const std::size_t offset = body.u16();
        if (offset != 0)
            actionsAt = field + offset;
    }
    d.records = readRecords(body, second);
    if (!second) {
        const QByteArray code = body.readRest();
        if (!code.isEmpty() && code.at(0) != 0)
            d.actions.push_back({ButtonCharacter::OverDownToOverUp, 0, code});
    } else if (actionsAt != 0 && actionsAt <= body.size()) {
        body.seek(actionsAt);
        d.actions = readCondActions(body);
    }
    return std::make_shared<ButtonCharacter>(id, std::move(d));
}

CharacterPtr withCxform(const CharacterPtr &button, BitReader &body)
{
    auto existing = std::dynamic_pointer_cast<const ButtonCharacter>(button);
    if (!existing)
        return nullptr;
    body.u16();
    const ColorTransform cx = body.cxform(false);
    if (existing->definition().hasOwnCxform)
        return existing;
    ButtonCharacter::Definition d = existing->definition();
    for (auto &rec : d.records)
        rec.cxform = cx;
    return std::make_shared<ButtonCharacter>(existing->id(), std::move(d));
}

} // namespace swf::buttondecoder
