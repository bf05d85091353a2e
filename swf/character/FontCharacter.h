#pragma once

#include "Character.h"

#include <QByteArray>
#include <QHash>
#include <QPainterPath>
#include <QString>
#include <QVector>

namespace swf {

// A font of the movie (DefineFont 1 to 4): glyph outlines in font units,
// the character code of each glyph, and the layout when the file has one.
// Fonts without glyphs name a font of the system ("device fonts");
// DefineFont4 keeps OpenType data instead of glyphs.
class FontCharacter : public Character
{
public:
    struct Glyph
    {
        QPainterPath outline;        // font units, baseline at y = 0, filled odd-even
        char16_t code = 0;
        double advance = -1;         // font units; -1 without layout
    };

    FontCharacter(int id, QString name, QVector<Glyph> glyphs, double emSize);

    Type type() const override { return Type::Font; }

    const QString &name() const { return m_name; }
    // Font units per em: 1024, or 20480 in DefineFont3.
    double emSize() const { return m_emSize; }
    int glyphCount() const { return int(m_glyphs.size()); }
    const Glyph &glyph(int index) const { return m_glyphs[index]; }
    int glyphForCode(char16_t code) const { return m_byCode.value(code, -1); }

    bool hasLayout() const { return m_hasLayout; }
    double ascent() const { return m_ascent; }   // font units
    double descent() const { return m_descent; }
    double leading() const { return m_leading; }
    bool bold() const { return m_bold; }
    bool italic() const { return m_italic; }

    // The adjustment of the advance between two codes, in font units.
    double kerning(char16_t left, char16_t right) const
    {
        return m_kerning.value((quint32(left) << 16) | right, 0);
    }
    const QByteArray &openTypeData() const { return m_openType; }

    void setLayout(double ascent, double descent, double leading);
    void setStyle(bool bold, bool italic);
    void setKerning(char16_t left, char16_t right, double adjustment);
    void setOpenTypeData(const QByteArray &data) { m_openType = data; }
    // A copy with the codes of DefineFontInfo, which comes after the font.
    std::shared_ptr<FontCharacter> withCodes(const QVector<char16_t> &codes, const QString &name,
                                             bool bold, bool italic) const;

private:
    QString m_name;
    QVector<Glyph> m_glyphs;
    QHash<char16_t, int> m_byCode;
    double m_emSize;
    bool m_hasLayout = false;
    double m_ascent = 0, m_descent = 0, m_leading = 0;
    bool m_bold = false, m_italic = false;
    QHash<quint32, double> m_kerning;    // left code << 16 | right code
    QByteArray m_openType;
};

} // namespace swf
