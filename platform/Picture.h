#pragma once

#include <QImage>
#include <QMetaType>
#include <QString>
#include <memory>

namespace platform {

// A picture object. Copies share the same image: assigning a picture from
// one control to another hands over the object, no pixels are copied.
class Picture
{
public:
    Picture() = default;
    explicit Picture(QImage image);

    bool isNull() const { return !m_image; }
    const QImage &image() const;
    // Identity, not pixel equality.
    bool operator==(const Picture &other) const { return m_image == other.m_image; }
    bool operator!=(const Picture &other) const { return !(*this == other); }

private:
    std::shared_ptr<const QImage> m_image;
};

// Loads a GIF (or any picture Qt reads). Raises 53 when the file is
// missing, 481 when it is not a readable picture.
Picture LoadPicture(const QString &path);

} // namespace platform

Q_DECLARE_METATYPE(platform::Picture)
