#include "libkernwick/font/cexport.h"

namespace Kernwick {

namespace {

constexpr int ExportRows = 18;
constexpr int ExportColumns = 12;

int pixelCode(std::uint8_t value)
{
    switch (value) {
    case 0:
        return 1;
    case 1:
        return 0;
    default:
        return value & 3; // 2 stays 2; 3 keeps its own code
    }
}

} // namespace

QByteArray exportCSource(const Font &font)
{
    QByteArray out =
        QByteArray("unsigned char fontdata[") + QByteArray::number(font.chars()) + "][64] = {";
    for (int g = 0; g < font.chars(); ++g) {
        const Glyph &glyph = font.glyphs[std::size_t(g)];
        for (int r = 0; r < ExportRows; ++r) {
            if (r == 0)
                out += "\n//ascii " + QByteArray::number(g + 32) + "  \n\t\t{";
            else
                out += "\t\t";
            std::uint32_t bits = 0;
            for (int c = 0; c < ExportColumns; ++c) {
                const bool inside = r < glyph.rowCount && c < glyph.width;
                const int code = inside ? pixelCode(glyph.pixel(r, c)) : 1;
                bits |= std::uint32_t(code) << (22 - 2 * c);
            }
            out += QByteArray::number(bits >> 16) + ',' + QByteArray::number((bits >> 8) & 0xff) +
                   ',' + QByteArray::number(bits & 0xff);
            if (r < ExportRows - 1)
                out += ",\n";
        }
        out += g == font.chars() - 1 ? "}\n" : "},\n";
    }
    out += "};";
    return out;
}

} // namespace Kernwick
