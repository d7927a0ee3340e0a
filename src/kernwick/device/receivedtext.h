#pragma once

#include <QByteArrayView>
#include <QString>

namespace Kernwick {

/// Turns the bytes the terminal receives into the text its receive box shows, one
/// piece at a time as they arrive. Zero bytes are dropped. CR, LF and a CR LF pair
/// each end a line, a pair split between two pieces too, so that the board's
/// answers read as lines whichever line end it uses. Every other byte shows as its
/// 8-bit character.
class ReceivedText
{
public:
    QString take(QByteArrayView bytes);

private:
    bool m_afterCr = false;
};

} // namespace Kernwick
