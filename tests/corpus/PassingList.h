#pragma once

#include <QString>
#include <QTextStream>
#include <vector>

// The committed list of the corpus files that pass. A file on the list that
// fails now is a regression; --write-passing rewrites the list instead.
struct CorpusOutcome
{
    QString file;
    bool passed = false;
    QString note;                    // why it failed
};

// Prints each regression to `out` and returns the program's exit status:
// 1 on a regression or a list that cannot be written, else 0. With `write`,
// the list at `path` is replaced by the files that pass, under `heading`.
int checkPassingList(QTextStream &out, const QString &path, const std::vector<CorpusOutcome> &outcomes,
                     bool write, const QString &heading);
