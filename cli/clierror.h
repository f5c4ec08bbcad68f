#ifndef CLI_CLIERROR_H
#define CLI_CLIERROR_H

#include <QString>

#include <stdexcept>

// A failure of a command line run that carries the exit code it ends the
// program with: Failure (1) for what went wrong while working, Usage (2) for
// a command line that cannot be run at all, Cancelled (130) for Ctrl+C.
class CliError : public std::runtime_error
{
public:
    enum Code { Failure = 1, Usage = 2, Cancelled = 130 };

    CliError(Code code, const QString &message);

    [[nodiscard]] Code code() const { return m_code; }

private:
    Code m_code;
};

#endif
