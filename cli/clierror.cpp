#include "cli/clierror.h"

CliError::CliError(Code code, const QString &message)
    : std::runtime_error(message.toStdString())
    , m_code(code)
{
}
