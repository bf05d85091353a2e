#include "IconeProgramma.h"

#include <QGuiApplication>
#include <QImage>
#include <QImageReader>
#include <QPainter>
#include <QSvgRenderer>

namespace {

constexpr int LatoDisegno = 64;

QString risorsa(const QString &nome)
{
    return QStringLiteral(":/") + nome + QStringLiteral(".svg");
}

QImage disegna(const QString &nome, int lato)
{
    QImage immagine(lato, lato, QImage::Format_ARGB32_Premultiplied);
    immagine.fill(Qt::transparent);
    QSvgRenderer svg(risorsa(nome));
    if (svg.isValid()) {
        svg.setAspectRatioMode(Qt::KeepAspectRatio);
        QPainter pittore(&immagine);
        svg.render(&pittore);
    }
    return immagine;
}

// The picture drawn from the SVG when the program was built, for the sizes
// windows and pointers take at ratios 1 and 2; drawn now for any other.
// Read as PNG by name: a reader left to guess the format would load every
// image plugin of the system to ask it first.
QImage giaDisegnata(const QString &nome, int lato)
{
    if (lato == 32 || lato == 64) {
        QImageReader lettore(QStringLiteral(":/%1-%2.png").arg(nome).arg(lato), "png");
        lettore.setAutoDetectImageFormat(false);
        const QImage pronta = lettore.read();
        if (!pronta.isNull())
            return pronta;
    }
    return disegna(nome, lato);
}

} // namespace

QIcon IconeProgramma::Icona(const QString &nome)
{
    return QIcon(risorsa(nome));
}

QIcon IconeProgramma::IconaFinestra(const QString &nome)
{
    QIcon icona;
    for (int lato : {32, 64})
        icona.addPixmap(QPixmap::fromImage(giaDisegnata(nome, lato)));
    return icona;
}

platform::Picture IconeProgramma::Immagine(const QString &nome, int lato)
{
    return platform::Picture(disegna(nome, qMax(1, lato)));
}

QPixmap IconeProgramma::Cursore(const QString &nome, int lato)
{
    const qreal densita = qGuiApp ? qGuiApp->devicePixelRatio() : 1.0;
    QPixmap cursore = QPixmap::fromImage(giaDisegnata(nome, qRound(lato * densita)));
    cursore.setDevicePixelRatio(densita);
    return cursore;
}

QPoint IconeProgramma::PuntoCaldo(const QString &nome, int lato)
{
    QPoint disegno(LatoDisegno / 2, LatoDisegno / 2);
    if (nome == QLatin1String("orsetto"))
        disegno = QPoint(32, 28);
    else if (nome == QLatin1String("spunta"))
        disegno = QPoint(24, 50);
    else if (nome == QLatin1String("freccia-cursore"))
        disegno = QPoint(58, 32);
    else if (nome == QLatin1String("aeroplano"))
        disegno = QPoint(7, 7);
    // The pixel that holds the point, not the nearest pixel edge.
    return QPoint(disegno.x() * lato / LatoDisegno, disegno.y() * lato / LatoDisegno);
}
