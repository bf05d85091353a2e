#pragma once

#include "BitWriter.h"
#include "SwfRecords.h"

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QSize>
#include <memory>
#include <vector>

class AdpcmEncoder;
class VectorShape;

// Writes a zlib-compressed (CWS) SWF 8 movie: shapes, morph shapes,
// lossless bitmaps, sprites, a main timeline of placements and its stream
// sound in ADPCM. Characters
// are numbered from 1 in the order they are defined; depths are the
// caller's. Nothing here knows about stories.
class SwfWriter
{
public:
    SwfWriter(QSize stagePixels, double framesPerSecond, const QColor &background);
    ~SwfWriter();

    int defineShape(const VectorShape &shape);
    // Both shapes must satisfy from.morphsInto(to).
    int defineMorphShape(const VectorShape &from, const VectorShape &to);
    // A DefineBitsLossless2 bitmap, 32-bit ARGB.
    int defineBitmap(const QImage &image);
    // A rectangle of `pixels` at the origin filled with the bitmap, unscaled.
    int defineBitmapShape(int bitmapId, QSize pixels);
    // A one-frame sprite holding `characters` at depths 1, 2, ... with no
    // transform: a group drawn and moved as one.
    int defineGroupSprite(const std::vector<int> &characters);

    // The main timeline's stream sound: `samples` (interleaved, 1 or 2
    // channels, at `rate`, one of 5512, 11025, 22050, 44100) in 4-bit ADPCM,
    // a block in every frame, each as long as its frame lasts, until the
    // samples run out. Call before the first frame.
    void setStreamSound(const std::vector<int16_t> &samples, int rate, int channels);

    void place(int depth, int character, const SwfMatrix &matrix,
               const SwfColorTransform &color, int ratio = -1);
    void move(int depth, const SwfMatrix &matrix, const SwfColorTransform &color, int ratio = -1);
    void remove(int depth);
    void showFrame();

    int frameCount() const { return m_frames; }
    // Ends the main timeline and returns the whole compressed file.
    QByteArray finish();

private:
    void writeTag(BitWriter &out, int code, const QByteArray &body, bool longForm = false);
    QByteArray placeBody(int depth, int character, const SwfMatrix *matrix,
                         const SwfColorTransform *color, int ratio);

    void writeStreamBlock();

    QSize m_stage;
    double m_fps;
    BitWriter m_tags;
    int m_nextId = 1;
    int m_frames = 0;
    std::vector<int16_t> m_stream;
    int m_streamRate = 0;
    int m_streamChannels = 1;
    int64_t m_streamWritten = 0;     // frames of the stream written so far
    std::unique_ptr<AdpcmEncoder> m_encoder;
};
