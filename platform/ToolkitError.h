#pragma once

#include <QString>
#include <stdexcept>

namespace platform {

// The toolkit's run-time error numbers that the game and the scaler rely on.
namespace err {
constexpr int InvalidProcedureCall = 5;
constexpr int Overflow = 6;
constexpr int SubscriptOutOfRange = 9;
constexpr int FileNotFound = 53;
constexpr int PathNotFound = 76;
constexpr int InvalidPropertyValue = 380;
constexpr int PropertyReadOnly = 383;        // "property is read-only"
constexpr int CannotSetProperty = 387;       // "property cannot be set on this control"
constexpr int CannotReadProperty = 393;      // "property cannot be read at run time"
constexpr int NoSuchProperty = 438;          // "object doesn't support this property or method"
constexpr int InvalidPicture = 481;
}

// A failure of a toolkit service, carrying the toolkit's error number
// (what the game would read from Err.Number).
class ToolkitError : public std::runtime_error
{
public:
    ToolkitError(int number, const QString &description);

    int number() const noexcept { return m_number; }
    QString description() const { return QString::fromUtf8(what()); }

private:
    int m_number;
};

} // namespace platform
