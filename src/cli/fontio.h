#pragma once

#include "libkernwick/font/font.h"

#include <QString>

namespace Kernwick::Cli {

/// Loads a font file, reporting failures as "<path>: <reason>". An empty file is
/// refused as well, since it holds no font to work on.
bool loadFontFile(const QString &path, Font *font);

/// Saves a font file atomically, reporting failures as "<path>: <reason>".
bool saveFontFile(const QString &path, Font &font);

} // namespace Kernwick::Cli
