// libFuzzer target: decoding a movie, then playing and drawing a few frames
// into small pictures, whole and as the player control would.
#include "Player.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    // Text drawing needs the font database, which needs an application.
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
    static QGuiApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data),
                                                     qsizetype(size));
    auto player = swf::Player::fromBytes(bytes);
    if (!player)
        return 0;
    QImage image(64, 48, QImage::Format_ARGB32_Premultiplied);
    // The control's way too: only what changed drawn into the last picture.
    QImage kept(57, 43, QImage::Format_ARGB32_Premultiplied);
    for (int frame = 0; frame < 3; ++frame) {
        QPainter painter(&image);
        player->render(painter, image.rect());
        painter.end();
        player->renderChanges(kept);
        player->advance();
    }
    return 0;
}
