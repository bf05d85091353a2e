// Renders every movie of the reference corpus and compares it with the
// picture a reference player drew. Prints pass rates per folder, feature and
// tier and the worst files; fails when a file of the committed list of
// passing files no longer passes.
//
//   swf_corpus CORPUS PASSING.txt [--write-passing] [--save DIR] [--only TEXT]
//
// --write-passing rewrites PASSING.txt with the files that pass now; the
// build target swf_corpus_update_passing runs it on the committed list.
// --save DIR keeps the rendered pictures for a look beside the references.
// A visual test's input.json (the pointer moved, pressed and released
// between frames) is played to the movie as it runs.
#include "ImageDiff.h"
#include "PassingList.h"
#include "Player.h"
#include "TestToml.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QSet>
#include <QTextStream>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

struct Result
{
    QString key;                     // "flash-reference/X.swf" or "visual/NAME"
    bool passed = false;
    bool knownFailure = false;
    double worstShare = 0;           // share of pixels past the tolerance, worst comparison
    QString note;
    QStringList groups;              // "folder", "folder:feature", "visual tier:T"
};

QString readText(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

// INDEX.tsv: first column is the file or test name; returns name -> column -> value.
QMap<QString, QMap<QString, QString>> readIndex(const QString &path)
{
    QMap<QString, QMap<QString, QString>> out;
    const QStringList lines = readText(path).split(u'\n', Qt::SkipEmptyParts);
    if (lines.isEmpty())
        return out;
    const QStringList header = lines.first().split(u'\t');
    for (int i = 1; i < lines.size(); ++i) {
        const QStringList cells = lines.at(i).split(u'\t');
        QMap<QString, QString> row;
        for (int c = 0; c < header.size() && c < cells.size(); ++c)
            row.insert(header.at(c), cells.at(c));
        out.insert(cells.value(0), row);
    }
    return out;
}

std::unique_ptr<swf::Player> open(const QString &path, QString *error)
{
    return swf::Player::load(path, error);
}

Result runFlashReference(const QString &dir, const QString &file, const QString &saveDir)
{
    Result r;
    r.key = QStringLiteral("flash-reference/") + file;
    QString error;
    auto player = open(dir + u'/' + file, &error);
    const QImage reference(dir + u'/' + file + QStringLiteral(".png"));
    if (!player) {
        r.note = error;
        r.worstShare = 1;
        return r;
    }
    // The reference was captured ceil(10000 / rate) ms after the first frame.
    const double rate = player->info().frameRate;
    const double ms = std::ceil(10000.0 / rate);
    const int advances = int(std::floor(ms * rate / 1000.0 + 1e-9));
    for (int i = 0; i < advances; ++i)
        player->advance();
    const QImage image = player->renderImage(reference.size());
    if (!saveDir.isEmpty())
        image.save(saveDir + u'/' + QString(r.key).replace(u'/', u'_') + QStringLiteral(".png"));
    const ImageDiff d = ImageDiff::compare(image, reference, 3);
    r.worstShare = d.differingShare();
    r.passed = d.passes(0);
    r.note = QStringLiteral("%1% of pixels past 3, largest %2")
                 .arg(d.differingShare() * 100, 0, 'f', 2).arg(d.largest);
    return r;
}

// A test's input.json, when it has one: the pointer events before each
// frame, each "Wait" ending one frame's events. The player takes the left
// mouse button only; wheels and other buttons do nothing to it.
class InputScript
{
public:
    explicit InputScript(const QString &path)
    {
        QFile f(path);
        if (f.open(QIODevice::ReadOnly))
            m_events = QJsonDocument::fromJson(f.readAll()).array();
    }
    // The events before the next frame.
    void playUntilWait(swf::Player &player)
    {
        for (; m_next < m_events.size(); ++m_next) {
            const QJsonObject e = m_events.at(m_next).toObject();
            const QString type = e.value(QStringLiteral("type")).toString();
            const QJsonArray pos = e.value(QStringLiteral("pos")).toArray();
            const QPointF point(pos.at(0).toDouble(), pos.at(1).toDouble());
            const bool left = e.value(QStringLiteral("btn")).toString(QStringLiteral("Left")) == u"Left";
            if (type == u"Wait") {
                ++m_next;
                return;
            }
            if (type == u"MouseMove")
                player.mouseMove(point);
            else if (type == u"MouseDown")
                left ? player.mousePress(point) : player.mouseMove(point);
            else if (type == u"MouseUp")
                left ? player.mouseRelease(point) : player.mouseMove(point);
        }
    }

private:
    QJsonArray m_events;
    qsizetype m_next = 0;
};

Result runVisual(const QString &dir, const QString &name, const QString &saveDir)
{
    Result r;
    r.key = QStringLiteral("visual/") + name;
    const QString folder = dir + u'/' + name;
    const TestToml toml = TestToml::parse(readText(folder + QStringLiteral("/test.toml")));
    QString error;
    auto player = open(folder + QStringLiteral("/test.swf"), &error);
    if (!player) {
        r.note = error;
        r.worstShare = 1;
        return r;
    }
    player->setAntialiased(!toml.lowQuality);
    // Comparisons in the order of their frames, each taken when reached.
    std::vector<TestToml::Comparison> comparisons = toml.comparisons;
    for (auto &c : comparisons)
        if (c.trigger <= 0)
            c.trigger = toml.frames;
    std::stable_sort(comparisons.begin(), comparisons.end(),
                     [](const auto &a, const auto &b) { return a.trigger < b.trigger; });
    r.passed = !comparisons.empty();
    r.knownFailure = false;
    InputScript input(folder + QStringLiteral("/input.json"));
    int frame = 1;
    QStringList notes;
    for (const auto &c : comparisons) {
        while (frame < c.trigger) {
            input.playUntilWait(*player);
            player->advance();
            ++frame;
        }
        const QImage reference(folder + u'/' + c.name + QStringLiteral(".expected.png"));
        const QImage image = player->renderImage(toml.viewport.isEmpty() ? reference.size()
                                                                         : toml.viewport);
        if (!saveDir.isEmpty())
            image.save(saveDir + u'/' + name + u'.' + c.name + QStringLiteral(".png"));
        r.knownFailure = r.knownFailure || c.knownFailure;
        for (const auto &check : c.checks) {
            const ImageDiff d = ImageDiff::compare(image, reference, check.tolerance);
            r.worstShare = std::max(r.worstShare, d.differingShare());
            if (!d.passes(check.maxOutliers)) {
                r.passed = false;
                notes << QStringLiteral("%1: %2% past %3 (%4 channels, %5 allowed)")
                             .arg(c.name).arg(d.differingShare() * 100, 0, 'f', 2)
                             .arg(check.tolerance).arg(d.outlierChannels).arg(check.maxOutliers);
            }
        }
    }
    r.note = notes.join(QStringLiteral("; "));
    return r;
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
        std::fprintf(stderr, "usage: swf_corpus CORPUS PASSING.txt [--write-passing] [--save DIR] [--only TEXT]\n");
        return 2;
    }
    const QString corpus = args.at(1);
    const QString passingPath = args.at(2);
    const bool write = args.contains(QStringLiteral("--write-passing"));
    const int saveAt = args.indexOf(QStringLiteral("--save"));
    const QString saveDir = saveAt > 0 ? args.value(saveAt + 1) : QString();
    const int onlyAt = args.indexOf(QStringLiteral("--only"));
    const QString only = onlyAt > 0 ? args.value(onlyAt + 1) : QString();
    if (!saveDir.isEmpty())
        QDir().mkpath(saveDir);
    QTextStream out(stdout);
    if (!QDir(corpus + QStringLiteral("/flash-reference")).exists()) {
        out << "corpus not found at " << corpus << ": skipped\n";
        return 77;
    }

    std::vector<Result> results;
    const QString refDir = corpus + QStringLiteral("/flash-reference");
    const auto refIndex = readIndex(refDir + QStringLiteral("/INDEX.tsv"));
    for (const QString &file : QDir(refDir).entryList({QStringLiteral("*.swf")}, QDir::Files, QDir::Name)) {
        if (!only.isEmpty() && !file.contains(only))
            continue;
        Result r = runFlashReference(refDir, file, saveDir);
        r.groups << QStringLiteral("flash-reference");
        for (const QString &f : refIndex.value(file).value(QStringLiteral("features")).split(u',', Qt::SkipEmptyParts))
            r.groups << QStringLiteral("flash-reference:") + f;
        results.push_back(r);
    }
    const QString visDir = corpus + QStringLiteral("/visual");
    const auto visIndex = readIndex(visDir + QStringLiteral("/INDEX.tsv"));
    for (const QString &name : QDir(visDir).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
        if (!only.isEmpty() && !name.contains(only))
            continue;
        Result r = runVisual(visDir, name, saveDir);
        const auto row = visIndex.value(name);
        if (!r.knownFailure) {
            r.groups << QStringLiteral("visual") << QStringLiteral("visual tier:") + row.value(QStringLiteral("tier"));
            for (const QString &f : row.value(QStringLiteral("features")).split(u',', Qt::SkipEmptyParts))
                r.groups << QStringLiteral("visual:") + f;
        } else {
            r.groups << QStringLiteral("visual known_failure");
        }
        results.push_back(r);
    }

    QMap<QString, QPair<int, int>> groups; // passed, total
    for (const Result &r : results)
        for (const QString &g : r.groups) {
            groups[g].second++;
            if (r.passed)
                groups[g].first++;
        }
    out << "pass rate per group:\n";
    for (auto it = groups.cbegin(); it != groups.cend(); ++it)
        out << QStringLiteral("  %1 %2/%3 (%4%)\n").arg(it.key(), -40).arg(it->first).arg(it->second)
                   .arg(100.0 * it->first / it->second, 0, 'f', 1);

    std::vector<const Result *> failed;
    for (const Result &r : results)
        if (!r.passed)
            failed.push_back(&r);
    std::sort(failed.begin(), failed.end(),
              [](auto a, auto b) { return a->worstShare > b->worstShare; });
    out << "failing files, worst first:\n";
    for (const Result *r : failed)
        out << "  " << r->key << (r->knownFailure ? " [known failure]" : "") << ": " << r->note << '\n';

    std::vector<CorpusOutcome> outcomes;
    for (const Result &r : results)
        outcomes.push_back({r.key, r.passed, r.note});
    return checkPassingList(out, passingPath, outcomes, write,
                            QStringLiteral("Corpus files the engine draws within tolerance; rewritten by "
                                           "swf_corpus --write-passing."));
}
