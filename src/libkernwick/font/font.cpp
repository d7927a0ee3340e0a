#include "libkernwick/font/font.h"

#include <algorithm>
#include <cstring>

namespace Kernwick {

void Glyph::resize(int rows, int newWidth)
{
    if (rows == rowCount && newWidth == width)
        return;
    std::vector<std::uint8_t> resized(std::size_t(rows) * std::size_t(newWidth), 0);
    const int keepRows = std::min(rows, rowCount);
    const int keepColumns = std::min(newWidth, int(width));
    for (int r = 0; r < keepRows; ++r)
        std::copy_n(row(r), keepColumns, resized.data() + std::size_t(r) * newWidth);
    pixels = std::move(resized);
    rowCount = rows;
    width = std::uint8_t(newWidth);
}

void Glyph::reset(int rows, int newWidth)
{
    pixels.assign(std::size_t(rows) * std::size_t(newWidth), 0);
    rowCount = rows;
    width = std::uint8_t(newWidth);
}

QByteArray Font::nameText() const
{
    const auto end = std::find(header.name.begin(), header.name.end(), '\0');
    return QByteArray(header.name.data(), int(end - header.name.begin()));
}

void Font::setName(const QByteArray &text)
{
    header.name.fill(0);
    rename(text);
}

void Font::rename(const QByteArray &text)
{
    const std::size_t length = std::min<std::size_t>(text.size(), MaxFontNameLength);
    std::memcpy(header.name.data(), text.constData(), length);
    header.name[length] = '\0';
}

QString fontNameProblem(const QString &name)
{
    if (name.size() > MaxFontNameLength)
        return QStringLiteral("Please enter no more than %1 characters.").arg(MaxFontNameLength);
    if (QString::fromLatin1(name.toLatin1()) != name)
        return QStringLiteral("The font name must use Latin-1 characters only.");
    return {};
}

void Font::resizeGlyphTable(int n)
{
    glyphs.resize(std::size_t(std::clamp(n, 0, MaxGlyphs)));
}

void Font::appendGlyph()
{
    if (chars() >= MaxGlyphs)
        return;
    glyphs.emplace_back();
    computeFileSize();
}

std::int64_t Font::totalWidth() const
{
    std::int64_t sum = 0;
    for (const Glyph &g : glyphs)
        sum += g.width;
    return sum;
}

std::int64_t stripRowBytes(std::int64_t totalWidth, int bitsPerPixel)
{
    const std::int64_t bytes = (totalWidth * bitsPerPixel + 7) / 8;
    return (bytes + 3) / 4 * 4;
}

std::int64_t glyphTableBytes(int chars)
{
    return roundUp32(6 * (std::int64_t(chars) + 1));
}

std::int64_t zvfFileBytes(int chars, int height, std::int64_t pixwidth)
{
    return ZvfHeaderBytes + glyphTableBytes(chars) + roundUp32(height * pixwidth);
}

void Font::computeFileSize()
{
    header.fileSize = std::int32_t(
        zvfFileBytes(chars(), header.height, stripRowBytes(totalWidth(), bitsPerPixel())));
}

Font defaultFont()
{
    Font font;
    font.setName("default");
    font.resizeGlyphTable(95);
    for (Glyph &g : font.glyphs)
        g.reset(font.header.height, 8);
    font.computeFileSize();
    return font;
}

} // namespace Kernwick
