// Times one deal of the exercise window (the movie loaded, five pictures
// decoded and placed in the slots) against the bare work it cannot avoid:
// decoding the same five GIF files and reading the movie file. Both are
// measured in the same run, deal and baseline taking turns, and printed as
// a ratio (goal: at most 1.3). Then the resident memory after 1000 deals
// against after the first (goal: at most 1.1).
//
// Run from the build: bin/bench_deal [deals]. It uses the stories in
// bin/gif; without a display it runs on the offscreen platform.

#include "BenchReport.h"
#include "Form1.h"
#include "Modulo1.h"

#include "platform/App.h"
#include "platform/Directory.h"
#include "platform/Image.h"
#include "platform/MessageBox.h"
#include "platform/Random.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QTextStream>

#include <cstdio>
#include <unistd.h>

namespace {

double residentMiB()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    if (fields.size() < 2)
        return 0;
    return fields[1].toDouble() * double(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

// What a deal of `name` has to do at the least: read the movie file and
// decode the five pictures.
qint64 bareWork(const QString &name)
{
    const QString sep = platform::Directory::separator();
    const QString folder = platform::App::Path() + sep + QStringLiteral("gif") + sep;
    QElapsedTimer clock;
    clock.start();
    QFile movie(folder + name + QStringLiteral(".swf"));
    qint64 bytes = 0;
    if (movie.open(QIODevice::ReadOnly))
        bytes += movie.readAll().size();
    for (int k = 1; k <= 5; ++k) {
        QImage picture(folder + name + sep + name + QString::number(k) + QStringLiteral(".gif"));
        bytes += picture.width();
    }
    const qint64 elapsed = clock.nsecsElapsed();
    return bytes >= 0 ? elapsed : 0;
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")
        && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int deals = argc > 1 ? qMax(10, atoi(argv[1])) : 1000;

    // A failed deal would show a box: answer it and count it.
    int boxes = 0;
    platform::MessageBox::setResponder([&boxes](const platform::MessageBox::Shown &) {
        ++boxes;
        return platform::MessageBox::ResultOk;
    });
    platform::Random::Randomize(20031207);

    Form1 window;
    window.Show();
    QApplication::processEvents();
    if (window.numeroEsercizi() == 0 || window.Image1[0]->Tag().isEmpty()) {
        std::fprintf(stderr, "bench_deal: no stories under %s/gif\n", qPrintable(platform::App::Path()));
        return 1;
    }

    // Warm both paths once before measuring.
    window.BottoneAvanti_Click();
    bareWork(window.elencoEsercizi(Modulo1::EsercizioCorrente));
    QApplication::processEvents();
    const double afterFirst = residentMiB();

    qint64 dealNs = 0;
    qint64 bareNs = 0;
    QElapsedTimer clock;
    for (int i = 0; i < deals; ++i) {
        // The baseline decodes the story just dealt: before the next deal on
        // even rounds, after it on odd ones, so that neither side always
        // finds the files freshly cached by the other.
        if (i % 2 == 1)
            bareNs += bareWork(window.elencoEsercizi(Modulo1::EsercizioCorrente));
        clock.start();
        window.BottoneAvanti_Click();
        dealNs += clock.nsecsElapsed();
        if (i % 2 == 0)
            bareNs += bareWork(window.elencoEsercizi(Modulo1::EsercizioCorrente));
        QApplication::processEvents();
    }
    const double afterAll = residentMiB();

    QTextStream out(stdout);
    out << "deals: " << deals << " over " << window.numeroEsercizi() << " stories"
        << (boxes ? QStringLiteral(", %1 failed").arg(boxes) : QString()) << "\n";
    out << "one deal: " << QString::number(dealNs / 1e3 / deals, 'f', 1) << " us; "
        << "bare decoding and movie read: " << QString::number(bareNs / 1e3 / deals, 'f', 1) << " us\n";
    out.flush();
    reportRatio("one deal / decoding its pictures and reading its movie", double(dealNs) / double(bareNs),
                "<= 1.3");
    out << "resident memory: " << QString::number(afterFirst, 'f', 1) << " MiB after the first deal, "
        << QString::number(afterAll, 'f', 1) << " MiB after " << deals << "\n";
    out.flush();
    reportRatio(qPrintable(QStringLiteral("resident memory after %1 deals / after the first").arg(deals)),
                afterAll / afterFirst, "<= 1.1");
    return 0;
}
