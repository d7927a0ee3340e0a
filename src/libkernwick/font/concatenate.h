#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace Kernwick {

/// The largest font file that can be joined (the board's font memory).
inline constexpr qint64 MaxJoinedFontBytes = 983040;

/// Joins font files into one chain: each file copied whole, in order, with the
/// `Skip` field (bytes 12 to 15) of every copy but the last set to the copy's own
/// length and of the last to 0. The inputs are only read. Fails, with `error` set
/// and nothing joined, when a file cannot be read, is larger than
/// MaxJoinedFontBytes, or is too short to hold a `Skip` field.
bool concatenateFonts(const QStringList &inputs, QByteArray *joined, QString *error);

} // namespace Kernwick
