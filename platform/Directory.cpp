#include "Directory.h"

#include "ToolkitError.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <algorithm>
#include <optional>
#include <sys/stat.h>

namespace platform {

namespace {

// The entries of the last Dir(pattern) still to be handed out; empty
// optional when no listing is under way.
std::optional<QStringList> &pending()
{
    static std::optional<QStringList> entries;
    return entries;
}

// The toolkit's wildcards: '*' any run of characters, '?' one character;
// everything else, brackets included, stands for itself.
QRegularExpression wildcard(QString component)
{
    if (component.isEmpty() || component == QLatin1String("*.*"))
        component = QStringLiteral("*");
    QString expression;
    for (const QChar c : component) {
        if (c == QLatin1Char('*'))
            expression += QLatin1String(".*");
        else if (c == QLatin1Char('?'))
            expression += QLatin1Char('.');
        else
            expression += QRegularExpression::escape(QString(c));
    }
    return QRegularExpression(QRegularExpression::anchoredPattern(expression),
                              QRegularExpression::CaseInsensitiveOption);
}

bool isFolder(DIR *folder, const dirent *entry)
{
    if (entry->d_type == DT_DIR)
        return true;
    if (entry->d_type != DT_UNKNOWN && entry->d_type != DT_LNK)
        return false;
    struct stat info {};
    // A link counts as what it points to, as the toolkit's listing does.
    if (::fstatat(::dirfd(folder), entry->d_name, &info, 0) != 0)
        return false;
    return S_ISDIR(info.st_mode);
}

} // namespace

QString Directory::Dir(const QString &pattern, int attributes)
{
    pending().reset();

    const qsizetype cut = std::max(pattern.lastIndexOf(QLatin1Char('/')),
                                   pattern.lastIndexOf(QLatin1Char('\\')));
    QString folder = cut < 0 ? QStringLiteral(".") : pattern.left(cut);
    if (cut == 0)
        folder = QStringLiteral("/");
    const QRegularExpression match = wildcard(pattern.mid(cut + 1));
    const bool wantFolders = attributes & Folder;

    DIR *handle = ::opendir(QFile::encodeName(folder).constData());
    if (!handle) {
        // A folder that is not there (or a file where a folder should be)
        // simply has no entries; one that exists but cannot be read is an error.
        if (errno == ENOENT || errno == ENOTDIR)
            return QString();
        throw ToolkitError(err::PathNotFound, QStringLiteral("Path not found: %1").arg(folder));
    }

    QStringList names;
    while (const dirent *entry = ::readdir(handle)) {
        const QString name = QFile::decodeName(entry->d_name);
        // Names starting with a dot are ordinary entries here: the content
        // may hold a movie named just ".swf", and "." and ".." are listed as
        // folders for the caller to skip.
        if (!match.match(name).hasMatch())
            continue;
        if (!wantFolders && isFolder(handle, entry))
            continue;
        names.append(name);
    }
    ::closedir(handle);

    pending() = names;
    return Dir();
}

QString Directory::Dir()
{
    auto &entries = pending();
    if (!entries)
        throw ToolkitError(err::InvalidProcedureCall, QStringLiteral("Invalid procedure call"));
    if (entries->isEmpty()) {
        // The listing is over: like the toolkit, a further Dir() without a
        // pattern is an error rather than an endless run of "".
        entries.reset();
        return QString();
    }
    return entries->takeFirst();
}

QString Directory::separator()
{
    return QString(QDir::separator());
}

} // namespace platform
