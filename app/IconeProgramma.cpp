#include "IconeProgramma.h"

#include <QGuiApplication>
#include <QImage>
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

} // namespace

QIcon IconeProgramma::Icona(const QString &nome)
{
    return QIcon(risorsa(nome));
}

QIcon IconeProgramma::IconaFinestra(const QString &nome)
{
    QIcon icona;
    icona.addPixmap(QPixmap::fromImage(disegna(nome, 32)));
    icona.addPixmap(QPixmap::fromImage(disegna(nome, 64)));
    return icona;
}

platform::Picture IconeProgramma::Immagine(const QString &nome, int lato)
{
    return platform::Picture(disegna(nome, qMax(1, lato)));
}

QPixmap IconeProgramma::Cursore(const QString &nome, int lato)
{
    const qreal densita = qGuiApp ? qGuiApp->devicePixelRatio() : 1.0;
    QPixmap cursore = QPixmap::fromImage(disegna(nome, qRound(lato * densita)));
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
