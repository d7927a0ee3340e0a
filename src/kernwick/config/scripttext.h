#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

namespace Kernwick {

/// A boot script's bytes as the Bootscript Editor shows them: each CR LF pair as a
/// line break ("\n"), every other control byte (0x00 to 0x1F and DEL) as its
/// Unicode control picture, so ESC shows as U+241B and a lone CR as U+240D, and
/// every other byte as its 8-bit character.
QString scriptDisplayText(QByteArrayView script);

/// The bytes a text shown by the editor stands for, the reverse of
/// scriptDisplayText(): a line break (LF, or a paragraph or line separator) is CR
/// LF, a control picture its control byte, a raw control character itself, any
/// other 8-bit character its byte, and a character beyond 8 bits "?".
QByteArray scriptBytes(QStringView shown);

/// Text typed or pasted into the editor in the form the editor shows: CR LF and
/// LF are line breaks, control characters and control pictures become the
/// pictures of their bytes, characters beyond 8 bits become "?", and NUL, which a
/// boot script file cannot hold, is dropped. What the field shows is then always
/// exactly what is saved and sent.
QString shownScriptText(QStringView typed);

} // namespace Kernwick
