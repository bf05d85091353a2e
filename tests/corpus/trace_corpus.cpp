// Plays every movie of the corpus's trace/ folder as the reference player
// did (the first frame and about ten more, stopping after a quit) and
// compares what its scripts traced with the text that player wrote. Prints
// the pass rate overall, per SWF version and per group of names; fails
// when a file of the committed list of passing files no longer passes.
//
//   trace_corpus CORPUS PASSING.txt [--write-passing] [--only TEXT] [--diff]
//
// --write-passing rewrites PASSING.txt with the files that pass now; the
// build target trace_corpus_update_passing runs it on the committed list.
// --diff prints the first differing line of each failing file.
#include "PassingList.h"
#include "Player.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QMap>
#include <QRegularExpression>
#include <QSet>
#include <QTextStream>

#include <cmath>
#include <cstdio>

namespace {

struct Result
{
    QString file;
    bool passed = false;
    int version = 0;
    QString note;
};

QByteArray readBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// "place-object-remove-char-5.swf" -> "place"; "goto1.swf" -> "goto".
QString groupOf(const QString &file)
{
    static const QRegularExpression word(QStringLiteral("^([A-Za-z]+)"));
    const auto m = word.match(file);
    return m.hasMatch() ? m.captured(1) : QStringLiteral("other");
}

Result run(const QString &dir, const QString &file)
{
    Result r;
    r.file = file;
    QString text;
    QString error;
    auto player = swf::Player::load(dir + u'/' + file, &error, [&text](const QString &line) {
        text += line + u'\n';
    });
    if (!player) {
        r.note = error;
        return r;
    }
    r.version = player->info().version;
    // The reference ran ceil(10000 / rate) ms past the first frame.
    const double rate = player->info().frameRate;
    const int advances = int(std::floor(std::ceil(10000.0 / rate) * rate / 1000.0 + 1e-9));
    // A quit asked for in the first frame is heard after the second.
    for (int i = 0; i < advances && (!player->quitRequested() || i == 0); ++i)
        player->advance();
    const QByteArray expected = readBytes(dir + u'/' + file + QStringLiteral(".trace"));
    const QByteArray got = text.toUtf8();
    r.passed = got == expected;
    if (!r.passed) {
        const QList<QByteArray> a = got.split('\n'), b = expected.split('\n');
        int line = 0;
        while (line < a.size() && line < b.size() && a.at(line) == b.at(line))
            ++line;
        r.note = QStringLiteral("line %1: \"%2\", expected \"%3\"")
                     .arg(line + 1)
                     .arg(QString::fromUtf8(a.value(line)).left(60),
                          QString::fromUtf8(b.value(line)).left(60));
    }
    if (!player->scriptsStopped().isEmpty())
        r.note += QStringLiteral(" (scripts stopped: %1)").arg(player->scriptsStopped());
    return r;
}

void printRates(QTextStream &out, const char *title, const QMap<QString, QPair<int, int>> &rates)
{
    out << title << '\n';
    for (auto it = rates.cbegin(); it != rates.cend(); ++it)
        out << QStringLiteral("  %1 %2/%3 (%4%)\n").arg(it.key(), -22).arg(it->first).arg(it->second)
                   .arg(100.0 * it->first / it->second, 0, 'f', 1);
}

} // namespace

int main(int argc, char **argv)
{
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext &, const QString &text) {
        if (type == QtCriticalMsg || type == QtFatalMsg)
            std::fprintf(stderr, "%s\n", qPrintable(text));
    });
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 3) {
        std::fprintf(stderr, "usage: trace_corpus CORPUS PASSING.txt [--write-passing] [--only TEXT] [--diff]\n");
        return 2;
    }
    const QString dir = args.at(1) + QStringLiteral("/trace");
    const QString passingPath = args.at(2);
    const bool write = args.contains(QStringLiteral("--write-passing"));
    const bool diff = args.contains(QStringLiteral("--diff"));
    const int onlyAt = args.indexOf(QStringLiteral("--only"));
    const QString only = onlyAt > 0 ? args.value(onlyAt + 1) : QString();
    QTextStream out(stdout);
    if (!QDir(dir).exists()) {
        out << "corpus not found at " << dir << ": skipped\n";
        return 77;
    }

    std::vector<Result> results;
    for (const QString &file : QDir(dir).entryList({QStringLiteral("*.swf")}, QDir::Files, QDir::Name)) {
        if (!only.isEmpty() && !file.contains(only))
            continue;
        results.push_back(run(dir, file));
    }

    QMap<QString, QPair<int, int>> byVersion, byGroup; // passed, total
    int passed = 0;
    for (const Result &r : results) {
        for (auto *rates : {&byVersion, &byGroup}) {
            auto &rate = (*rates)[rates == &byVersion ? QStringLiteral("SWF %1").arg(r.version, 2)
                                                      : groupOf(r.file)];
            ++rate.second;
            rate.first += r.passed;
        }
        passed += r.passed;
    }
    out << QStringLiteral("trace corpus: %1/%2 pass (%3%)\n")
               .arg(passed).arg(results.size()).arg(100.0 * passed / std::max<std::size_t>(1, results.size()), 0, 'f', 1);
    printRates(out, "by version:", byVersion);
    printRates(out, "by group of names:", byGroup);
    if (diff) {
        out << "failing files:\n";
        for (const Result &r : results)
            if (!r.passed)
                out << "  " << r.file << ": " << r.note << '\n';
    }

    std::vector<CorpusOutcome> outcomes;
    for (const Result &r : results)
        outcomes.push_back({r.file, r.passed, r.note});
    return checkPassingList(out, passingPath, outcomes, write,
                            QStringLiteral("Trace corpus files whose traced text matches; rewritten by "
                                           "trace_corpus --write-passing."));
}
