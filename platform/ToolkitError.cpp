#include "ToolkitError.h"

namespace platform {

ToolkitError::ToolkitError(int number, const QString &description)
    : std::runtime_error(description.toStdString())
    , m_number(number)
{
}

} // namespace platform
