#include "decode/MovieDecoder.h"

#include "decode/ButtonDecoder.h"
#include "decode/Decompress.h"
#include "character/SpriteCharacter.h"
#include "decode/SoundTagDecoder.h"
#include "decode/TagNames.h"

#include <QtEndian>
#include <algorithm>
#include <string>

namespace swf {

std::shared_ptr<const Movie> Movie::decode(const QByteArray &bytes)
{
    return MovieDecoder(bytes).decode();
}


std::shared_ptr<const Movie> MovieDecoder::decode()
{
    if (m_bytes.size() < 8)
        throw DecodeError("not a movie: shorter than its header");
    const char *raw = m_bytes.constData();
    const char kind = raw[0];
    if ((kind != 'F' && kind != 'C' && kind != 'Z') || raw[1] != 'W' || raw[2] != 'S')
        throw DecodeError("not a movie: bad signature");
    m_movie.reset(new Movie);
    MovieInfo &info = m_movie->m_info;
    info.version = static_cast<unsigned char>(raw[3]);
    info.compression = kind;
    const std::uint32_t declared = qFromLittleEndian<quint32>(raw + 4);

    QByteArray body;
    if (kind == 'F') {
        // Uncompressed files often carry a wrong length; the bytes present win.
        if (std::size_t(m_bytes.size()) - 8 > MaxMovieBytes)
            throw DecodeError("movie too large (more than 64 MiB)");
        body = m_bytes.mid(8);
    } else {
        if (declared < 8)
            throw DecodeError("bad header: declared length " + std::to_string(declared)
                              + " is shorter than the header");
        const std::size_t expected = declared - 8;
        if (kind == 'C') {
            body = inflateZlib(raw + 8, std::size_t(m_bytes.size()) - 8, expected);
        } else {
            // 'ZWS', version, length, then the compressed length (u32) that
            // players ignore, and the LZMA properties.
            if (m_bytes.size() < 12 + 5)
                throw DecodeError("bad header: LZMA header truncated");
            body = inflateLzma(raw + 12, std::size_t(m_bytes.size()) - 12, expected);
        }
    }

    BitReader r(body, info.version);
    info.stage = r.rect();
    info.frameRate = r.u16() / 256.0;
    info.frameCount = r.u16();
    if (info.stage.width() <= 0 || info.stage.height() <= 0)
        throw DecodeError("bad header: empty stage");
    // A rate of 0 means "as fast as possible" to old players; a timer
    // needs a number.
    if (info.frameRate <= 0)
        info.frameRate = 12.0;
    m_context.version = info.version;
    m_context.dictionary = &m_movie->m_dictionary;
    readTags(r, m_movie->m_timeline, false);
    info.soundProblems = m_sound.problems();
    return m_movie;
}

void MovieDecoder::count(int code, bool skipped)
{
    ++m_movie->m_info.tagCounts[code];
    if (skipped)
        ++m_movie->m_info.skippedTags[code];
}

void MovieDecoder::readTags(BitReader &r, Timeline &timeline, bool inSprite)
{
    Frame current;
    bool pending = false; // tags after the last ShowFrame
    SoundTagDecoder::Stream stream; // each timeline has a stream of its own
    while (!r.atEnd()) {
        if (r.remaining() < 2)
            break;           // a stray byte at the end: nothing more to read
        const int header = r.u16();
        const int code = header >> 6;
        std::size_t length = header & 0x3f;
        if (length == 0x3f)
            length = r.u32();
        if (length > r.remaining())
            throw DecodeError("truncated tag " + tagName(code).toStdString() + ": "
                              + std::to_string(length) + " bytes declared, "
                              + std::to_string(r.remaining()) + " left");
        BitReader body = r.sub(length);
        if (code == TagEnd) {
            count(code, false);
            break;
        }
        bool skipped = false;
        try {
            switch (code) {
            case TagShowFrame:
                if (int(timeline.frames.size()) < MaxFrames)
                    timeline.frames.push_back(std::move(current));
                current = Frame();
                pending = false;
                break;
            case TagPlaceObject: case TagPlaceObject2: case TagPlaceObject3:
            case TagRemoveObject: case TagRemoveObject2:
                readPlace(code, body, current);
                pending = true;
                break;
            case TagDoAction:
                m_movie->m_info.hasScripts = true;
                current.actions.push_back({body.readRest(), int(current.commands.size())});
                pending = true;
                break;
            case TagStartSound:
                current.sounds.push_back(SoundTagDecoder::startSound(body));
                m_movie->m_hasSound = true;
                pending = true;
                break;
            case TagSoundStreamHead: case TagSoundStreamHead2:
                m_sound.streamHead(body, stream);
                break;
            case TagSoundStreamBlock:
                m_sound.streamBlock(body, stream, current);
                timeline.hasStream = true;
                m_movie->m_hasSound = true;
                pending = true;
                break;
            case TagDefineSound:
                if (inSprite)
                    skipped = true;
                else
                    m_sound.defineSound(body, m_movie->m_sounds);
                break;
            case TagDefineButtonSound:
                if (inSprite) {
                    skipped = true;
                } else {
                    int id = 0;
                    const auto sounds = SoundTagDecoder::buttonSound(body, &id);
                    if (!m_movie->m_buttonSounds.contains(id))
                        m_movie->m_buttonSounds.insert(id, sounds);
                }
                break;
            case TagDoInitAction: {
                m_movie->m_info.hasScripts = true;
                InitActionBlock block;
                block.spriteId = body.u16();
                block.code = body.readRest();
                block.position = int(current.commands.size());
                current.initActions.push_back(std::move(block));
                pending = true;
                break;
            }
            case TagExportAssets:
                readExports(body);
                break;
            case TagScriptLimits:
                if (!inSprite) {
                    m_movie->m_info.maxRecursion = body.u16();
                    m_movie->m_info.scriptTimeout = body.u16();
                }
                break;
            case TagFrameLabel: {
                const QString label = labelKey(body.string());
                if (!timeline.labels.contains(label))
                    timeline.labels.insert(label, int(timeline.frames.size()));
                break;
            }
            case TagSetBackgroundColor:
                if (!inSprite)
                    m_movie->m_info.background = body.rgb();
                break;
            case TagJPEGTables:
                if (!inSprite)
                    m_context.jpegTables = body.readRest();
                break;
            case TagDefineSprite:
                if (inSprite)
                    skipped = true;
                else
                    readSprite(body);
                break;
            case TagDefineButton: case TagDefineButton2:
                m_movie->m_info.hasScripts = true;
                if (inSprite)
                    skipped = true;
                else
                    readButton(code, body);
                break;
            case TagDefineButtonCxform:
                if (inSprite)
                    skipped = true;
                else
                    readButtonCxform(body);
                break;
            default:
                if (!inSprite && isCharacterTag(code)) {
                    CharacterPtr c = decodeCharacterTag(code, body, m_context);
                    // The first definition of an id wins, as in the players.
                    if (c && !m_movie->m_dictionary.contains(c->id()))
                        m_movie->m_dictionary.insert(c->id(), std::move(c));
                } else {
                    skipped = true;
                }
                break;
            }
        } catch (const DecodeError &) {
            // A malformed body costs its own tag only; the container, whose
            // lengths were checked above, stays readable.
            skipped = true;
        }
        count(code, skipped);
    }
    if (pending && int(timeline.frames.size()) < MaxFrames)
        timeline.frames.push_back(std::move(current));
    if (timeline.frames.empty())
        timeline.frames.emplace_back();
}

void MovieDecoder::readPlace(int code, BitReader &body, Frame &frame)
{
    if (++m_commands > MaxCommands)
        throw DecodeError("too many display list tags");
    DisplayCommand c;
    if (code == TagRemoveObject) {
        c.kind = DisplayCommand::Kind::Remove;
        body.u16();
        c.depth = body.u16();
    } else if (code == TagRemoveObject2) {
        c.kind = DisplayCommand::Kind::Remove;
        c.depth = body.u16();
    } else if (code == TagPlaceObject) {
        c.characterId = body.u16();
        c.depth = body.u16();
        c.matrix = body.matrix();
        if (!body.atEnd())
            c.cxform = body.cxform(false);
    } else {
        const int flags = body.u8();
        const int flags2 = code == TagPlaceObject3 ? body.u8() : 0;
        c.depth = body.u16();
        c.move = flags & 0x01;
        const bool hasImage = flags2 & 0x10;
        if ((flags2 & 0x08) || (hasImage && (flags & 0x02)))
            body.string(); // class name, for ActionScript 3
        if (flags & 0x02)
            c.characterId = body.u16();
        if (flags & 0x04)
            c.matrix = body.matrix();
        if (flags & 0x08)
            c.cxform = body.cxform(true);
        if (flags & 0x10)
            c.ratio = body.u16();
        if (flags & 0x20)
            c.name = body.string();
        if (flags & 0x40)
            c.clipDepth = body.u16();
        if (flags2 & 0x01)
            c.filters = std::make_shared<const std::vector<Filter>>(Filter::readList(body));
        if (flags2 & 0x02)
            c.blendMode = body.u8();
        if (flags2 & 0x04)
            c.cacheAsBitmap = body.u8() != 0;
        if (flags2 & 0x20)
            c.visible = body.u8() != 0;
        if (flags2 & 0x40)
            body.rgba(); // the background colour of a cached bitmap
        if (flags & 0x80) {
            c.clipActions = readClipActions(body);
            m_movie->m_info.hasScripts = true;
        }
    }
    frame.commands.push_back(std::move(c));
}

ClipEventList MovieDecoder::readClipActions(BitReader &body)
{
    // Movies up to version 5 give the event flags in 16 bits, later ones in 32.
    const bool wide = m_movie->m_info.version >= 6;
    auto events = [&] { return wide ? body.u32() : std::uint32_t(body.u16()); };
    body.u16(); // reserved
    events();   // every event of the records below
    auto list = std::make_shared<std::vector<ClipEventAction>>();
    while (body.remaining() >= (wide ? 4u : 2u)) {
        ClipEventAction action;
        action.events = events();
        if (action.events == 0)
            break;
        std::size_t size = body.u32();
        if (action.events & ClipEvent::KeyPress) {
            action.key = body.u8();
            size = size > 0 ? size - 1 : 0;
        }
        // A record claiming more than the tag holds keeps what is there.
        action.code = body.readBytes(std::min(size, body.remaining()));
        list->push_back(std::move(action));
    }
    return list;
}

void MovieDecoder::readExports(BitReader &body)
{
    const int count = body.u16();
    for (int i = 0; i < count && !body.atEnd(); ++i) {
        const int id = body.u16();
        const QString name = body.string().toLower();
        if (!m_movie->m_exports.contains(name))
            m_movie->m_exports.insert(name, id);
    }
}

void MovieDecoder::readSprite(BitReader &body)
{
    const int id = body.u16();
    body.u16(); // the frame count is known from the ShowFrame tags
    Timeline timeline;
    readTags(body, timeline, true);
    if (!m_movie->m_dictionary.contains(id))
        m_movie->m_dictionary.insert(id, std::make_shared<SpriteCharacter>(id, std::move(timeline)));
}

void MovieDecoder::readButton(int code, BitReader &body)
{
    CharacterPtr button = buttondecoder::decodeButton(code, body);
    if (!m_movie->m_dictionary.contains(button->id()))
        m_movie->m_dictionary.insert(button->id(), std::move(button));
}

void MovieDecoder::readButtonCxform(BitReader &body)
{
    const int id = BitReader(body).u16();
    if (CharacterPtr amended = buttondecoder::withCxform(m_movie->m_dictionary.value(id), body))
        m_movie->m_dictionary.insert(id, std::move(amended));
}

} // namespace swf
