#include "libkernwick/font/bdfexport.h"

#include <algorithm>

namespace Kernwick {

namespace {

// The name as BDF text: Latin-1 without control bytes, never empty.
QByteArray nameForBdf(const Font &font)
{
    QByteArray name = font.nameText();
    for (char &c : name) {
        const auto byte = std::uint8_t(c);
        if (byte < 0x20 || (byte >= 0x7f && byte < 0xa0))
            c = '?';
    }
    return name.isEmpty() ? QByteArrayLiteral("unnamed") : name;
}

// A BDF string: in double quotes, a quote inside doubled.
QByteArray quoted(QByteArray text)
{
    return '"' + text.replace('"', "\"\"") + '"';
}

QByteArray number(qint64 value)
{
    return QByteArray::number(value);
}

} // namespace

BdfExport exportBdf(const Font &font)
{
    const int height = font.header.height;
    const int ascent = font.header.ascent;
    // The baseline lies below row Ascent; rows after it descend.
    const int descent = height - ascent - 1;
    int widest = 0;
    for (const Glyph &g : font.glyphs)
        widest = std::max<int>(widest, g.width);
    const QByteArray name = nameForBdf(font);
    const std::uint8_t white = font.whiteValue();

    BdfExport result;
    QByteArray &out = result.text;
    out += "STARTFONT 2.1\nFONT " + name + "\nSIZE " + number(height) + " 72 72\n";
    out += "FONTBOUNDINGBOX " + number(std::max(widest, 1)) + ' ' + number(height) + " 0 " +
           number(-descent) + '\n';
    out += "STARTPROPERTIES 3\nFAMILY_NAME " + quoted(name) + "\nFONT_ASCENT " +
           number(ascent + 1) + "\nFONT_DESCENT " + number(descent) + "\nENDPROPERTIES\n";
    out += "CHARS " + number(font.chars()) + '\n';

    static constexpr char hexDigits[] = "0123456789ABCDEF";
    for (int i = 0; i < font.chars(); ++i) {
        const Glyph &g = font.glyphs[std::size_t(i)];
        const qint64 code = qint64(font.header.first) + i;
        // At 72 dots per inch and a point size of Height, a pixel is a point.
        const qint64 scalable = qint64(g.width) * 1000 / std::max(height, 1);
        out += "STARTCHAR char" + number(code) + "\nENCODING " + number(code) + "\nSWIDTH " +
               number(scalable) + " 0\nDWIDTH " + number(g.width) + " 0\n";
        if (g.width == 0) {
            out += "BBX 0 0 0 0\nBITMAP\nENDCHAR\n";
            continue;
        }
        out += "BBX " + number(g.width) + ' ' + number(height) + " 0 " + number(-descent) +
               "\nBITMAP\n";
        const int rowBytes = (g.width + 7) / 8;
        for (int r = 0; r < height; ++r) {
            const std::uint8_t *pixels = r < g.rowCount ? g.row(r) : nullptr;
            for (int b = 0; b < rowBytes; ++b) {
                int byte = 0;
                for (int bit = 0; bit < 8; ++bit) {
                    const int c = 8 * b + bit;
                    if (!pixels || c >= g.width)
                        break;
                    if (pixels[c] == white)
                        byte |= 0x80 >> bit;
                    else if (pixels[c] != 0)
                        ++result.leftOutPixels;
                }
                out += hexDigits[byte >> 4];
                out += hexDigits[byte & 15];
            }
            out += '\n';
        }
        out += "ENDCHAR\n";
    }
    out += "ENDFONT\n";
    return result;
}

QString bdfLeftOutNote(qint64 pixels)
{
    return pixels == 1 ? QStringLiteral("BDF holds one bit per pixel: the font's 1 halftone pixel "
                                        "is left out.")
                       : QStringLiteral("BDF holds one bit per pixel: the font's %1 halftone "
                                        "pixels are left out.")
                             .arg(pixels);
}

} // namespace Kernwick
