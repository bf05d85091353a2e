#pragma once

#include <QColor>
#include <QString>
#include <QTemporaryDir>

// A throw-away program folder with gif/ and suoni/ content made on the spot:
// tiny SWF movies and GIF pictures whose single colour tells which scene
// (1 to 5) they are. The platform is pointed at it while the object lives.
class ContenutoProva
{
public:
    ContenutoProva();
    ~ContenutoProva();

    QString percorso() const;
    QString cartellaGif() const;

    // gif/<nome>.swf and gif/<nome>/<nome>1.gif ... <nome>5.gif.
    void aggiungiEsercizio(const QString &nome);
    void aggiungiFilmato(const QString &nome);
    // Only the scenes `primo` to `ultimo`.
    void aggiungiImmagini(const QString &nome, int primo = 1, int ultimo = 5);
    void aggiungiCartella(const QString &percorsoRelativo);
    void aggiungiFile(const QString &percorsoRelativo, const QByteArray &contenuto);

    // The colour of scene k in every exercise.
    static QColor coloreScena(int k);
    // The scene a picture shows, from its colour; 0 when none matches.
    static int scenaDelColore(QRgb colore);

    static QByteArray filmatoSwf(QRgb sfondo);
    static bool scriviGif(const QString &file, QColor colore, int lato = 4);

private:
    QTemporaryDir m_cartella;
};
