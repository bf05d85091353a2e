#include "TestToml.h"

#include <QRegularExpression>
#include <QStringList>

namespace {

// `image_comparisons."output.01".checks` -> ["image_comparisons", "output.01", "checks"]
QStringList sectionPath(const QString &header)
{
    QStringList parts;
    QString current;
    bool quoted = false;
    for (const QChar c : header) {
        if (c == u'"')
            quoted = !quoted;
        else if (c == u'.' && !quoted) {
            parts.append(current.trimmed());
            current.clear();
        } else
            current.append(c);
    }
    parts.append(current.trimmed());
    return parts;
}

int inlineInt(const QString &table, const QString &key)
{
    const QRegularExpression re(QStringLiteral("\\b%1\\s*=\\s*([0-9]+)").arg(key));
    const auto m = re.match(table);
    return m.hasMatch() ? m.captured(1).toInt() : 0;
}

} // namespace

TestToml TestToml::parse(const QString &text)
{
    TestToml out;
    QStringList section;
    bool inCheck = false;
    auto comparison = [&](const QString &name) -> Comparison & {
        for (auto &c : out.comparisons)
            if (c.name == name)
                return c;
        out.comparisons.push_back({});
        out.comparisons.back().name = name;
        return out.comparisons.back();
    };
    for (QString line : text.split(u'\n')) {
        const int hash = line.indexOf(u'#');
        if (hash >= 0 && !line.left(hash).contains(u'"'))
            line = line.left(hash);
        line = line.trimmed();
        if (line.isEmpty())
            continue;
        if (line.startsWith(u"[[")) {
            section = sectionPath(line.mid(2, line.indexOf(u"]]") - 2));
            inCheck = section.size() == 3 && section[0] == u"image_comparisons"
                      && section[2] == u"checks";
            if (inCheck)
                comparison(section[1]).checks.push_back({});
            continue;
        }
        if (line.startsWith(u'[')) {
            section = sectionPath(line.mid(1, line.indexOf(u']') - 1));
            inCheck = false;
            if (section.size() == 2 && section[0] == u"image_comparisons")
                comparison(section[1]);
            continue;
        }
        const int eq = line.indexOf(u'=');
        if (eq < 0)
            continue;
        const QString key = line.left(eq).trimmed();
        const QString value = line.mid(eq + 1).trimmed();
        if (section.isEmpty()) {
            if (key == u"num_frames" || key == u"num_ticks")
                out.frames = qMax(1, value.toInt());
        } else if (section[0] == u"player_options") {
            if (key == u"with_renderer")
                out.lowQuality = value.contains(QStringLiteral("\"low\""));
            else if (key == u"viewport_dimensions")
                out.viewport = QSize(inlineInt(value, QStringLiteral("width")),
                                     inlineInt(value, QStringLiteral("height")));
        } else if (section[0] == u"image_comparisons" && section.size() >= 2) {
            Comparison &c = comparison(section[1]);
            if (inCheck) {
                Check &check = c.checks.back();
                if (key == u"tolerance")
                    check.tolerance = value.toInt();
                else if (key == u"max_outliers")
                    check.maxOutliers = value.toLongLong();
            } else if (key == u"trigger") {
                c.trigger = value.toInt();
            } else if (key == u"known_failure") {
                c.knownFailure = value == u"true";
            } else if (key == u"tolerance" || key == u"max_outliers") {
                // The plain form: one check written in the comparison itself.
                if (c.checks.empty())
                    c.checks.push_back({});
                if (key == u"tolerance")
                    c.checks.front().tolerance = value.toInt();
                else
                    c.checks.front().maxOutliers = value.toLongLong();
            }
        }
    }
    for (auto &c : out.comparisons)
        if (c.checks.empty())
            c.checks.push_back({});
    return out;
}
