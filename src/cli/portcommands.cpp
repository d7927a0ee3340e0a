#include "cliutil.h"
#include "commands.h"

namespace Kernwick::Cli {

int runPorts(const QStringList &)
{
    return fail(QStringLiteral("not implemented yet"));
}

int runTestCom(const QStringList &)
{
    return fail(QStringLiteral("not implemented yet"));
}

} // namespace Kernwick::Cli
