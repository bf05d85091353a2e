// verifica-contenuti: checks a content folder before a lesson.
#include "ContentChecker.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <cstdio>

static const char kHelp[] =
    "Uso: verifica-contenuti [CARTELLA]\n"
    "\n"
    "Controlla gli esercizi come li legge il gioco e dice, per ciascuno, che cosa\n"
    "non va. La CARTELLA è quella che contiene gif/ e suoni/; se non la scrivi\n"
    "si controlla la cartella del gioco.\n"
    "\n"
    "Controlla che:\n"
    "  - ogni filmato gif/NOME.swf si possa leggere e disegnare, e i suoi suoni\n"
    "    si possano suonare;\n"
    "  - ci siano le cinque immagini gif/NOME/NOME1.gif ... NOME5.gif;\n"
    "  - non ci siano cartelle di immagini senza il loro filmato;\n"
    "  - non ci siano nomi che differiscono solo per maiuscole e minuscole;\n"
    "  - i filmati non siano più di 1000;\n"
    "  - ci sia il suono di errore suoni/no.wav e si possa suonare.\n"
    "\n"
    "Esce con 0 se va tutto bene, con 1 se ha trovato problemi.\n"
    "\n"
    "  --help   mostra questo aiuto\n";

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.contains(QStringLiteral("--help")) || args.contains(QStringLiteral("-h"))) {
        std::fputs(kHelp, stdout);
        return 0;
    }
    if (args.size() > 1 || (!args.isEmpty() && args.first().startsWith(QLatin1String("--")))) {
        std::fputs(kHelp, stderr);
        return 2;
    }
    const QString folder = args.isEmpty() ? QDir(QCoreApplication::applicationDirPath()).canonicalPath()
                                          : args.first();
    if (!QFileInfo(folder).isDir()) {
        std::fprintf(stderr, "verifica-contenuti: la cartella \"%s\" non esiste\n", qPrintable(folder));
        return 1;
    }
    std::printf("Cartella dei contenuti: %s\n",
                qPrintable(QDir::toNativeSeparators(QFileInfo(folder).absoluteFilePath())));
    const ContentChecker::Report report = ContentChecker::check(folder);
    std::fputs(report.text().toLocal8Bit().constData(), stdout);
    return report.ok() ? 0 : 1;
}
