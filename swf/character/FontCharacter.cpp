#include "character/FontCharacter.h"

namespace swf {

FontCharacter::FontCharacter(int id, QString name, QVector<Glyph> glyphs, double emSize)
    : Character(id), m_name(std::move(name)), m_glyphs(std::move(glyphs)), m_emSize(emSize)
{
    for (int i = 0; i < m_glyphs.size(); ++i)
        m_byCode.insert(m_glyphs[i].code, i);    // a code listed twice maps to its last glyph
}

void FontCharacter::setLayout(double ascent, double descent, double leading)
{
    m_hasLayout = true;
    m_ascent = ascent;
    m_descent = descent;
    m_leading = leading;
}

void FontCharacter::setStyle(bool bold, bool italic)
{
    m_bold = bold;
    m_italic = italic;
}

void FontCharacter::setKerning(char16_t left, char16_t right, double adjustment)
{
    m_kerning.insert((quint32(left) << 16) | right, adjustment);
}

std::shared_ptr<FontCharacter> FontCharacter::withCodes(const QVector<char16_t> &codes,
                                                        const QString &name, bool bold,
                                                        bool italic) const
{
    QVector<Glyph> glyphs = m_glyphs;
    for (int i = 0; i < glyphs.size() && i < codes.size(); ++i)
        glyphs[i].code = codes[i];
    auto font = std::make_shared<FontCharacter>(id(), name.isEmpty() ? m_name : name, glyphs, m_emSize);
    if (m_hasLayout)
        font->setLayout(m_ascent, m_descent, m_leading);
    font->setStyle(bold, italic);
    font->m_kerning = m_kerning;
    font->m_openType = m_openType;
    return font;
}

} // namespace swf
