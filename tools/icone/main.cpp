// svgicon: draws an SVG picture as a square PNG of a given side, its
// proportions kept on a transparent ground. The build uses it for the
// menu icons of every size a desktop asks for, drawn by the same renderer
// as the game's own pictures.
//
//   svgicon INPUT.svg OUTPUT.png SIDE
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <cstdio>

int main(int argc, char **argv)
{
    // Drawing needs no display: the build runs wherever it is.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    bool ok = false;
    const int side = args.value(3).toInt(&ok);
    if (args.size() != 4 || !ok || side < 1 || side > 4096) {
        std::fprintf(stderr, "usage: svgicon INPUT.svg OUTPUT.png SIDE\n");
        return 2;
    }
    QSvgRenderer svg(args.at(1));
    if (!svg.isValid()) {
        std::fprintf(stderr, "svgicon: cannot read %s\n", qPrintable(args.at(1)));
        return 1;
    }
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    svg.setAspectRatioMode(Qt::KeepAspectRatio);
    {
        QPainter painter(&image);
        svg.render(&painter);
    }
    if (!image.save(args.at(2), "PNG")) {
        std::fprintf(stderr, "svgicon: cannot write %s\n", qPrintable(args.at(2)));
        return 1;
    }
    return 0;
}
