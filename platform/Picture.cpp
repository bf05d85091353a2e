#include "Picture.h"

#include "ToolkitError.h"

#include <QFileInfo>
#include <QImageReader>

namespace platform {

Picture::Picture(QImage image)
    : m_image(image.isNull() ? nullptr : std::make_shared<const QImage>(std::move(image)))
{
}

const QImage &Picture::image() const
{
    static const QImage empty;
    return m_image ? *m_image : empty;
}

Picture LoadPicture(const QString &path)
{
    // An empty path is the toolkit's way of asking for no picture.
    if (path.isEmpty())
        return Picture();
    const QFileInfo info(path);
    if (!info.exists())
        throw ToolkitError(err::FileNotFound, QStringLiteral("File not found: %1").arg(path));
    // Only a plain file is opened: a pipe named like a picture would keep the
    // game waiting for a writer, a device for an end.
    if (!info.isFile())
        throw ToolkitError(err::InvalidPicture, QStringLiteral("Invalid picture: %1").arg(path));
    QImageReader reader(path);
    QImage image = reader.read();
    if (image.isNull())
        throw ToolkitError(err::InvalidPicture, QStringLiteral("Invalid picture: %1").arg(path));
    return Picture(std::move(image));
}

} // namespace platform
