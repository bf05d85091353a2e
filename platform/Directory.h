#pragma once

#include <QString>
#include <QStringList>

namespace platform {

// The toolkit's directory listing: Dir(pattern, attributes) returns the bare
// name of the first entry matching the pattern's last component, Dir() the
// next one, "" at the end. The pattern is a folder, a separator ('/' or
// '\\') and a name with the wildcards '*' and '?'; it matches without
// regard to letter case, and "*.*" matches every name. Attributes 16 adds
// folders (with "." and "..", which the caller skips) to the ordinary
// files. The listing order is the file system's own, not sorted; names
// starting with a dot are listed like any other.
//
// Errors: a folder that does not exist (or is a file) gives "". A folder
// that exists but cannot be read (no permission, a link loop) raises 76
// (path not found) from Dir(pattern, ...). Dir() without a listing under
// way, or again after it returned the final "", raises 5.
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
