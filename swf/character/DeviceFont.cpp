#include "character/DeviceFont.h"

#include <QFontDatabase>
#include <QGuiApplication>
#include <QHash>
#include <QRawFont>
#include <mutex>

namespace swf {

namespace {

// Outlines are taken at this many pixels per em and used as font units.
constexpr double kEm = 1024;

enum class Kind { Sans, Serif, Mono };

Kind kindOf(const QString &name)
{
    const QString n = name.toLower();
    if (n == QLatin1String("_serif") || n.contains(QLatin1String("times")) || n.contains(QLatin1String("serif"))
        || n.contains(QLatin1String("georgia")) || n.contains(QLatin1String("garamond")))
        return n.contains(QLatin1String("sans")) ? Kind::Sans : Kind::Serif;
    if (n == QLatin1String("_typewriter") || n.contains(QLatin1String("courier")) || n.contains(QLatin1String("mono"))
        || n.contains(QLatin1String("consol")))
        return Kind::Mono;
    return Kind::Sans;
}

// The first installed family of the kind; Noto first, as the reference
// pictures of device text were drawn with it.
QString fallbackFamily(Kind kind)
{
    static const QStringList sans{QStringLiteral("Noto Sans"), QStringLiteral("Liberation Sans"),
                                  QStringLiteral("DejaVu Sans")};
    static const QStringList serif{QStringLiteral("Noto Serif"), QStringLiteral("Liberation Serif"),
                                   QStringLiteral("DejaVu Serif")};
    static const QStringList mono{QStringLiteral("Noto Sans Mono"), QStringLiteral("Liberation Mono"),
                                  QStringLiteral("DejaVu Sans Mono")};
    const QStringList &list = kind == Kind::Serif ? serif : kind == Kind::Mono ? mono : sans;
    const QStringList installed = QFontDatabase::families();
    for (const QString &family : list)
        if (installed.contains(family, Qt::CaseInsensitive))
            return family;
    return list.first();
}

std::shared_ptr<const FontCharacter> build(const QRawFont &raw, const QString &name, bool bold, bool italic,
                                           const QString &characters)
{
    QVector<FontCharacter::Glyph> glyphs;
    QVector<char16_t> seen;
    for (QChar c : characters) {
        if (seen.contains(c.unicode()) || c.isSurrogate())
            continue;
        seen.append(c.unicode());
        const QList<quint32> indexes = raw.glyphIndexesForString(QString(c));
        if (indexes.isEmpty() || indexes.first() == 0)
            continue;                // the font has no glyph for it
        FontCharacter::Glyph glyph;
        glyph.code = c.unicode();
        glyph.outline = raw.pathForGlyph(indexes.first());
        glyph.outline.setFillRule(Qt::WindingFill);
        const QList<QPointF> advances = raw.advancesForGlyphIndexes(indexes);
        glyph.advance = advances.isEmpty() ? 0 : advances.first().x();
        glyphs.append(glyph);
    }
    auto font = std::make_shared<FontCharacter>(0, name, glyphs, kEm);
    font->setLayout(raw.ascent(), raw.descent(), raw.leading());
    font->setStyle(bold, italic);
    return font;
}

} // namespace

QString DeviceFont::familyFor(const QString &name)
{
    if (!name.isEmpty() && !name.startsWith(QLatin1Char('_')) && QFontDatabase::families().contains(name, Qt::CaseInsensitive))
        return name;
    return fallbackFamily(kindOf(name));
}

std::shared_ptr<const FontCharacter> DeviceFont::system(const QString &name, bool bold, bool italic,
                                                        const QString &characters)
{
    if (!qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        return nullptr;              // no font database to ask
    // Loading a face costs far more than reading a few glyphs: keep each.
    static std::mutex mutex;
    static QHash<QString, QRawFont> loaded;
    std::lock_guard<std::mutex> lock(mutex);
    const QString family = familyFor(name);
    const QString key = family + QLatin1Char('/') + QLatin1Char(bold ? 'b' : '-') + QLatin1Char(italic ? 'i' : '-');
    auto it = loaded.find(key);
    if (it == loaded.end()) {
        QFont font(family);
        font.setPixelSize(int(kEm));
        font.setBold(bold);
        font.setItalic(italic);
        font.setHintingPreference(QFont::PreferNoHinting);
        font.setKerning(false);
        it = loaded.insert(key, QRawFont::fromFont(font));
    }
    if (!it->isValid())
        return nullptr;
    return build(*it, name, bold, italic, characters);
}

std::shared_ptr<const FontCharacter> DeviceFont::fromData(const QByteArray &data, const QString &name,
                                                          const QString &characters)
{
    if (data.isEmpty())
        return nullptr;
    const QRawFont raw(data, kEm, QFont::PreferNoHinting);
    if (!raw.isValid())
        return nullptr;
    const QFont::Style style = raw.style();
    return build(raw, name, raw.weight() >= QFont::Bold, style != QFont::StyleNormal, characters);
}

} // namespace swf
