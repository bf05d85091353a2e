#include "PassingList.h"

#include <QFile>
#include <QSet>

int checkPassingList(QTextStream &out, const QString &path, const std::vector<CorpusOutcome> &outcomes,
                     bool write, const QString &heading)
{
    QSet<QString> listed;
    QFile list(path);
    if (list.open(QIODevice::ReadOnly)) {
        for (const QString &line : QString::fromUtf8(list.readAll()).split(u'\n', Qt::SkipEmptyParts))
            if (!line.startsWith(u'#'))
                listed.insert(line.trimmed());
        list.close();
    }
    int regressions = 0;
    for (const CorpusOutcome &o : outcomes)
        if (!o.passed && listed.contains(o.file)) {
            out << "REGRESSION: " << o.file << " passed before: " << o.note << '\n';
            ++regressions;
        }
    if (write) {
        if (!list.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            out << "cannot write " << path << '\n';
            return 1;
        }
        QTextStream w(&list);
        w << "# " << heading << '\n';
        for (const CorpusOutcome &o : outcomes)
            if (o.passed)
                w << o.file << '\n';
        out << "wrote " << path << '\n';
        return 0;
    }
    out.flush();
    return regressions ? 1 : 0;
}
