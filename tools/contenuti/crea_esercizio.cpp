// crea-esercizio: a teacher's exercise from five pictures.
#include "ExerciseMaker.h"

#include <QDir>
#include <QFileInfo>
#include <QCoreApplication>
#include <cstdio>

static const char kHelp[] =
    "Uso: crea-esercizio NOME IMMAGINE1 IMMAGINE2 IMMAGINE3 IMMAGINE4 IMMAGINE5\n"
    "                    [--cartella CARTELLA_GIF] [--sostituisci] [--suono FILE.wav]\n"
    "\n"
    "Crea un nuovo esercizio del gioco con cinque immagini (PNG, JPEG o GIF, di\n"
    "qualsiasi misura), date nell'ordine giusto della storia: la prima è quella\n"
    "che succede per prima.\n"
    "\n"
    "Nella cartella gif scrive:\n"
    "  NOME/NOME1.gif ... NOME5.gif   le immagini, tutte della stessa misura\n"
    "  NOME.swf                       l'animazione: le immagini una dopo l'altra\n"
    "\n"
    "Il NOME può contenere solo lettere, cifre, \"-\" e \"_\" (per esempio: gatto,\n"
    "gita_al_mare). Se qualcosa non va, il programma lo spiega e non scrive nulla.\n"
    "\n"
    "  --cartella CARTELLA_GIF  la cartella gif in cui scrivere (di solito quella\n"
    "                           accanto al gioco, che è anche la scelta predefinita)\n"
    "  --sostituisci            rifà un esercizio che esiste già\n"
    "  --suono FILE.wav         un suono (la voce che racconta, una musica) che\n"
    "                           l'animazione suona sotto le immagini: un WAV di\n"
    "                           qualsiasi frequenza, mono o stereo, a 8 o 16 bit,\n"
    "                           lungo al massimo 10 minuti; se è più lungo di un\n"
    "                           giro di immagini, le immagini restano più a lungo\n"
    "  --help                   mostra questo aiuto\n"
    "\n"
    "Esempio:\n"
    "  crea-esercizio gatto foto1.jpg foto2.jpg foto3.jpg foto4.jpg foto5.jpg\n";

static int refuse(const QString &message)
{
    std::fprintf(stderr, "crea-esercizio: %s\n", qPrintable(message));
    return 1;
}

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    ExerciseMaker::Request request;
    request.gifFolder = QDir(QCoreApplication::applicationDirPath()).canonicalPath() + QStringLiteral("/gif");
    QStringList positional;
    const QStringList args = app.arguments().mid(1);
    for (int i = 0; i < args.size(); ++i) {
        const QString &a = args[i];
        if (a == QLatin1String("--help") || a == QLatin1String("-h")) {
            std::fputs(kHelp, stdout);
            return 0;
        }
        if (a == QLatin1String("--sostituisci")) {
            request.replace = true;
        } else if (a == QLatin1String("--cartella")) {
            if (i + 1 >= args.size())
                return refuse(QStringLiteral("dopo --cartella va scritta la cartella gif"));
            request.gifFolder = args[++i];
        } else if (a == QLatin1String("--suono")) {
            if (i + 1 >= args.size() || args[i + 1].startsWith(QLatin1String("--")))
                return refuse(QStringLiteral("dopo --suono va scritto il file WAV"));
            request.sound = args[++i];
        } else if (a.startsWith(QLatin1String("--suono="))) {
            request.sound = a.mid(8);
        } else if (a.startsWith(QLatin1String("--cartella="))) {
            request.gifFolder = a.mid(11);
        } else if (a.startsWith(QLatin1String("--"))) {
            return refuse(QStringLiteral("l'opzione \"%1\" non esiste (vedi crea-esercizio --help)").arg(a));
        } else {
            positional << a;
        }
    }
    if (positional.isEmpty()) {
        std::fputs(kHelp, stderr);
        return 1;
    }
    request.name = positional.takeFirst();
    request.pictures = positional;
    if (const QString problem = ExerciseMaker::make(request); !problem.isEmpty())
        return refuse(problem);
    std::printf("Esercizio \"%s\" creato in %s\n", qPrintable(request.name),
                qPrintable(QDir::toNativeSeparators(QFileInfo(request.gifFolder).absoluteFilePath())));
    return 0;
}
