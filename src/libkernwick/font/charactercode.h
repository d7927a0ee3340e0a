#pragma once

#include <QString>

#include <optional>

namespace Kernwick {

/// The character code a user typed to find a glyph: one character ("É"), a
/// decimal code of two or more digits ("201"; a lone digit is that digit's own
/// character), or a hexadecimal one ("0xC9", "U+00C9"). Surrounding spaces are
/// ignored. Empty when the text is none of these or the code is
/// beyond what a font can hold.
std::optional<int> characterCodeFrom(const QString &text);

/// Why a code cannot be edited: "The font has no character with the code 201
/// (U+00C9)."
QString missingCharacterMessage(int code);

} // namespace Kernwick
