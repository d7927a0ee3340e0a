#include "cliutil.h"
#include "commands.h"

namespace Kernwick::Cli {

int runInfo(const QStringList &) { return fail(QStringLiteral("not implemented yet")); }
int runDump(const QStringList &) { return fail(QStringLiteral("not implemented yet")); }
int runNew(const QStringList &) { return fail(QStringLiteral("not implemented yet")); }
int runDefault(const QStringList &) { return fail(QStringLiteral("not implemented yet")); }
int runExportC(const QStringList &) { return fail(QStringLiteral("not implemented yet")); }
int runConcat(const QStringList &) { return fail(QStringLiteral("not implemented yet")); }

} // namespace Kernwick::Cli
