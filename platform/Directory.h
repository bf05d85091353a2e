#pragma once

#include <QString>
#include <QStringList>

namespace platform {

// The toolkit's directory listing: Dir(pattern, attributes) returns the bare
// name of the first entry matching the pattern's last component, Dir() the
// next one, "" at the end. Patterns match without regard to letter case;
// attributes 16 adds folders to the ordinary files. The listing order is
// the file system's own, not sorted. A folder that cannot be read raises
// error 76 (path not found) from Dir(pattern, ...).
class Directory
{
public:
    static constexpr int Normal = 0;
    static constexpr int Folder = 16;

    static QString Dir(const QString &pattern, int attributes = Normal);
    static QString Dir();

    // The platform's path separator, for building paths.
    static QString separator();
};

} // namespace platform
