// libFuzzer target: decoding a movie, then playing and drawing a few frames
// into small pictures, whole and as the player control would, with the
// mouse pressed and dragged across its buttons and a key pressed, and
// mixing their sound.
#include "Player.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <cstdint>
#include <cstdlib>
#include <vector>

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
    const QSizeF stage = player->info().stage.size() / 20;
    // A frame's sound at 12 fps, in two pulls of unequal size as a device
    // would take it.
    std::vector<std::int16_t> sound(2 * 3675);
    for (int frame = 0; frame < 3; ++frame) {
        player->mixSound(sound.data(), 1000);
        player->mixSound(sound.data(), 2675);
        QPainter painter(&image);
        player->render(painter, image.rect());
        painter.end();
        player->renderChanges(kept);
        // Across the stage from one corner to the middle, a press on the way.
        const double f = frame / 2.0;
        player->mouseMove(QPointF(stage.width() * f / 2, stage.height() * f / 2));
        player->mousePress(QPointF(stage.width() / 2, stage.height() / 3));
        player->mouseMove(QPointF(stage.width() / 3, stage.height() / 2));
        player->mouseRelease(QPointF(stage.width() / 2, stage.height() / 2));
        player->keyPress(frame == 1 ? 13 : 'a');
        player->advance();
    }
    return 0;
}
