#pragma once

#include <QByteArray>
#include <QString>
#include <memory>
#include <optional>
#include <vector>

namespace swf {
class Player;
}

// Writes small movies byte by byte for the engine's tests: a header, then
// tags appended in order. Sprites are built with a nested builder.
class MovieBuilder
{
public:
    explicit MovieBuilder(int version = 8) : m_version(version) {}

    // The movie loaded on a stage of 2000 x 2000 twips (100 x 100 pixels),
    // uncompressed; null, with a warning saying why, when it does not load.
    std::unique_ptr<swf::Player> load() const;

    // Raw tag with a body; long headers when the body needs them or `forceLong`.
    MovieBuilder &tag(int code, const QByteArray &body = {}, bool forceLong = false);
    MovieBuilder &showFrame() { return tag(1); }
    MovieBuilder &end() { return tag(0); }
    MovieBuilder &background(int r, int g, int b);
    // DefineShape with no styles and no edges: a character that draws nothing.
    MovieBuilder &emptyShape(int id);
    // DefineShape of a rectangle (twips) with one solid fill.
    MovieBuilder &rectShape(int id, int x0, int y0, int x1, int y1, int r, int g, int b);
    MovieBuilder &sprite(int id, const MovieBuilder &timeline);
    MovieBuilder &place(int depth, int id, std::optional<int> tx = {}, const QString &name = {},
                        int clipDepth = 0);
    // PlaceObject3 of a character moved right by `tx` twips, with a filter
    // list (`filters`: its count byte, then the FILTER records).
    MovieBuilder &placeFiltered(int depth, int id, int tx, const QByteArray &filters);
    // PlaceObject2 of a character scaled by `scale` (below 16384) on both
    // axes.
    MovieBuilder &placeScaled(int depth, int id, double scale);
    // PlaceObject2 of a character with its alpha multiplied by
    // `alphaMult` / 256.
    MovieBuilder &placeFaded(int depth, int id, int alphaMult);
    // PlaceObject2 with a whole matrix: scale and rotation factors, then
    // the translation in twips.
    MovieBuilder &placeMatrix(int depth, int id, double a, double b, double c, double d, int tx, int ty);
    // PlaceObject3 moving the object at `depth` and showing or hiding it.
    MovieBuilder &setVisible(int depth, bool visible);
    MovieBuilder &move(int depth, std::optional<int> id, std::optional<int> tx);
    MovieBuilder &remove(int depth);
    MovieBuilder &label(const QString &name);
    // PlaceObject2 of a character with onClipEvent handlers: each an event
    // mask (ClipEvent bits) and its action bytes (the closing 0 is added).
    // Version 6 and later masks, in 32 bits.
    MovieBuilder &placeWithEvents(int depth, int id, const QString &name,
                                  const std::vector<std::pair<quint32, QByteArray>> &events);
    // DoInitAction for a sprite, from raw action bytes.
    MovieBuilder &initActions(int spriteId, const QByteArray &records);
    // ExportAssets of one character under a name.
    MovieBuilder &exportAs(int id, const QString &name);
    // A button's character in some of its states (ButtonCharacter::State
    // flags), moved right by `tx` twips.
    struct ButtonRecord
    {
        int states;
        int id;
        int depth;
        int tx = 0;
    };
    // A button's actions: the transitions (ButtonCharacter::Transition
    // flags) or key it answers, and action records (the closing 0 is added).
    struct ButtonAction
    {
        int transitions;
        int key;
        QByteArray records;
    };
    MovieBuilder &button2(int id, const std::vector<ButtonRecord> &records,
                          const std::vector<ButtonAction> &actions = {}, bool trackAsMenu = false);
    // DefineButton: one list of actions, run on the release.
    MovieBuilder &button1(int id, const std::vector<ButtonRecord> &records, const QByteArray &actions);
    // DoAction from raw action bytes (the closing 0 is added).
    MovieBuilder &actions(const QByteArray &records);

    // Sounds. `format`: the format byte (codec << 4, rate << 2, 16-bit 2,
    // stereo 1).
    MovieBuilder &defineSound(int id, int format, quint32 sampleCount, const QByteArray &data);
    MovieBuilder &startSound(int id, const QByteArray &soundInfo = QByteArray(1, 0));
    MovieBuilder &streamHead(int format, int averageSamples);
    MovieBuilder &streamBlock(const QByteArray &data);
    struct EnvelopePoint
    {
        quint32 position;
        int left, right;
    };
    static QByteArray soundInfo(bool stop, bool noMultiple, std::optional<quint32> in = {},
                                std::optional<quint32> out = {}, int loops = -1,
                                const std::vector<EnvelopePoint> &envelope = {});

    // Action records.
    static QByteArray stop() { return QByteArray(1, 0x07); }
    static QByteArray play() { return QByteArray(1, 0x06); }
    static QByteArray nextFrame() { return QByteArray(1, 0x04); }
    static QByteArray gotoFrame(int zeroBased);
    static QByteArray gotoLabel(const QString &label);
    static QByteArray setTarget(const QString &path);
    static QByteArray gotoFrame2(int oneBased, bool play);

    // The whole file: 'F' uncompressed, 'C' zlib, 'Z' LZMA.
    QByteArray build(char compression = 'F', int stageW = 2000, int stageH = 2000,
                     double rate = 12) const;
    const QByteArray &tags() const { return m_tags; }

private:
    int m_version;
    QByteArray m_tags;
};
