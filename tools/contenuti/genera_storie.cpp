// genera-storie: remakes the bundled stories and the error sound.
#include "StoryBook.h"
#include "StoryExporter.h"

#include <QCoreApplication>
#include <QStringList>
#include <cstdio>

static const char kHelp[] =
    "Uso: genera-storie CARTELLA [STORIA ...]\n"
    "\n"
    "Disegna di nuovo le storie del gioco e il suono di errore nella CARTELLA\n"
    "dei contenuti (quella che contiene gif/ e suoni/):\n"
    "  gif/NOME.swf            l'animazione della storia\n"
    "  gif/NOME/NOME1.gif ...  le cinque immagini, nell'ordine giusto\n"
    "  suoni/no.wav            il suono della risposta sbagliata\n"
    "Con uno o più nomi di STORIA rifà solo quelle (e il suono).\n"
    "Le storie sono descritte nel codice, in tools/contenuti/storie/.\n"
    "\n"
    "  --elenco   mostra i nomi delle storie\n"
    "  --help     mostra questo aiuto\n";

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    if (args.contains(QStringLiteral("--help")) || args.contains(QStringLiteral("-h"))) {
        std::fputs(kHelp, stdout);
        return 0;
    }
    const std::vector<Story> stories = StoryBook::all();
    if (args.contains(QStringLiteral("--elenco"))) {
        for (const Story &s : stories)
            std::printf("%s\n", qPrintable(s.name()));
        return 0;
    }
    if (args.isEmpty()) {
        std::fputs(kHelp, stderr);
        return 2;
    }
    const QString folder = args.takeFirst();
    for (const QString &wanted : args) {
        bool known = false;
        for (const Story &s : stories)
            known = known || s.name() == wanted;
        if (!known) {
            std::fprintf(stderr, "genera-storie: la storia \"%s\" non esiste\n", qPrintable(wanted));
            return 2;
        }
    }
    QString error;
    for (const Story &s : stories) {
        if (!args.isEmpty() && !args.contains(s.name()))
            continue;
        if (!StoryExporter::write(s, folder, &error)) {
            std::fprintf(stderr, "genera-storie: %s\n", qPrintable(error));
            return 1;
        }
        std::printf("%s\n", qPrintable(s.name()));
    }
    if (!StoryExporter::writeErrorSound(folder, &error)) {
        std::fprintf(stderr, "genera-storie: %s\n", qPrintable(error));
        return 1;
    }
    return 0;
}
