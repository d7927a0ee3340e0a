#include "cliutil.h"
#include "commands.h"

namespace Kernwick::Cli {

int runImportBdf(const QStringList &)
{
    return fail(QStringLiteral("not implemented yet"));
}

} // namespace Kernwick::Cli
