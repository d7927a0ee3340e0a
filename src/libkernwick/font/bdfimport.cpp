#include "libkernwick/font/bdfimport.h"

#include "libkernwick/io/savefile.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <limits>
#include <optional>
#include <string_view>

namespace Kernwick {

namespace {

using std::size_t;
using std::string_view;

constexpr size_t npos = string_view::npos;

// The keywords the import looks for; the trailing blanks belong to them.
constexpr string_view EndProperties = "ENDPROPERTIES";
constexpr string_view FontBoundingBox = "FONTBOUNDINGBOX";
constexpr string_view StartChar = "STARTCHAR";
constexpr string_view CharsKeyword = "CHARS ";
constexpr string_view Encoding = "ENCODING ";
constexpr string_view EndChar = "ENDCHAR";
constexpr string_view EndFont = "ENDFONT";
constexpr string_view Bbx = "BBX ";
constexpr string_view Dwidth = "DWIDTH ";
constexpr string_view Bitmap = "BITMAP";

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

constexpr std::array<std::int8_t, 256> hexDigitValues = [] {
    std::array<std::int8_t, 256> values{};
    values.fill(-1);
    for (int i = 0; i < 10; ++i)
        values['0' + i] = std::int8_t(i);
    for (int i = 0; i < 6; ++i) {
        values['a' + i] = std::int8_t(10 + i);
        values['A' + i] = std::int8_t(10 + i);
    }
    return values;
}();

int hexDigitValue(char c)
{
    return hexDigitValues[std::uint8_t(c)];
}

// Reads a decimal integer starting at `pos` and ending before `end`: blanks are
// skipped, a sign is allowed, and reading stops at the first non-digit. Without
// digits the value is 0 and `pos` stays where it was. The value saturates at the
// 32-bit limits, so sums of a few of them never overflow.
qint64 readNumber(string_view text, size_t &pos, size_t end)
{
    size_t p = pos;
    while (p < end && isBlank(text[p]))
        ++p;
    bool negative = false;
    if (p < end && (text[p] == '+' || text[p] == '-')) {
        negative = text[p] == '-';
        ++p;
    }
    const size_t digitsStart = p;
    qint64 value = 0;
    constexpr qint64 cap = qint64(1) << 32;
    while (p < end && text[p] >= '0' && text[p] <= '9') {
        value = std::min(value * 10 + (text[p] - '0'), cap);
        ++p;
    }
    if (p == digitsStart)
        return 0;
    pos = p;
    return std::clamp<qint64>(negative ? -value : value, std::numeric_limits<std::int32_t>::min(),
                              std::numeric_limits<std::int32_t>::max());
}

int toInt(qint64 value)
{
    return int(std::clamp<qint64>(value, std::numeric_limits<int>::min(),
                                  std::numeric_limits<int>::max()));
}

// Finds a keyword's first occurrence at or after a start position that only ever
// moves forward. A found occurrence stays the answer until the start passes it,
// so every part of the text is searched about once per keyword and a whole import
// stays linear, whatever the file holds.
class KeywordCursor
{
public:
    KeywordCursor(string_view text, string_view keyword) : m_text(text), m_keyword(keyword) {}

    size_t find(size_t from)
    {
        if (!m_searched || (m_found != npos && m_found < from)) {
            m_found = m_text.find(m_keyword, from);
            m_searched = true;
        }
        return m_found;
    }

    // The first occurrence lying wholly inside [begin, end), or npos.
    size_t findWithin(size_t begin, size_t end)
    {
        const size_t at = find(begin);
        return at != npos && at + m_keyword.size() <= end ? at : npos;
    }

private:
    string_view m_text;
    string_view m_keyword;
    size_t m_found = npos;
    bool m_searched = false;
};

bool failWith(QString *error, const QString &message)
{
    if (error)
        *error = message;
    return false;
}

// Reads the characters of a BDF text into a fixed-cell font. Each character is
// the text from the end of the previous "ENDCHAR" up to and including its own.
class CharacterReader
{
public:
    CharacterReader(string_view text, const BdfScan &scan, const ImportFontChoice &choice)
        : m_text(text), m_scan(scan), m_choice(choice), m_width(scan.cellWidth),
          m_height(scan.cellHeight), m_white(choice.depth == 0 ? 1 : 2), m_endChar(text, EndChar),
          m_endFont(text, EndFont), m_startChar(text, StartChar), m_encoding(text, Encoding),
          m_bbx(text, Bbx), m_dwidth(text, Dwidth), m_bitmap(text, Bitmap),
          m_advance(scan.cellWidth)
    {
    }

    bool run(Font *font, QString *error);

private:
    Glyph &glyphAt(qint64 index);
    bool prepareGlyph(Glyph &glyph, QString *error);
    void readBox(size_t begin, size_t end);
    void processCharacter(Glyph &glyph, size_t begin, size_t end);
    bool drawAsDrawn(Glyph &glyph, size_t begin, size_t end, QString *error);
    template <class RowFn> qint64 forEachRow(size_t pos, size_t end, RowFn &&row) const;
    void placeRows(Glyph &glyph, size_t pos, size_t end);
    void writeRow(std::uint8_t *row, size_t digits, size_t digitCount) const;
    void shiftRight(Glyph &glyph, qint64 columns) const;

    string_view m_text;
    const BdfScan &m_scan;
    const ImportFontChoice &m_choice;
    const int m_width;
    const int m_height;
    const std::uint8_t m_white;
    KeywordCursor m_endChar;
    KeywordCursor m_endFont;
    KeywordCursor m_startChar;
    KeywordCursor m_encoding;
    KeywordCursor m_bbx;
    KeywordCursor m_dwidth;
    KeywordCursor m_bitmap;

    std::vector<Glyph> m_glyphs;
    qint64 m_pixels = 0; // in glyphs sized for characters
    qint64 m_work = 0;   // pixels placed and shifted
    // The last "BBX " and "DWIDTH " lines seen; a character without one reuses them.
    qint64 m_boxWidth = 0;
    qint64 m_boxHeight = 0;
    qint64 m_boxX = 0;
    qint64 m_topRow = 0;
    qint64 m_columnShift = 0;
    qint64 m_advance;
};

bool CharacterReader::run(Font *font, QString *error)
{
    const qint64 wanted = std::min<qint64>(m_choice.countToImport, MaxGlyphs);
    // Encoding 0 never starts the import, and the first code must fit First.
    const qint64 lowest = std::max<qint64>(m_choice.firstToImport, 1);

    bool started = false;
    qint64 first = 0;
    qint64 index = 0;
    qint64 lastEncoding = 0;
    qint64 imported = 0;
    qint64 limit = 0; // glyphs the table may hold: codes stay within 65535

    size_t pos = size_t(m_scan.charactersStart);
    while (imported < wanted) {
        const size_t endChar = m_endChar.find(pos);
        const size_t endFont = m_endFont.find(pos);
        if (endChar == npos || (endFont != npos && endFont < endChar))
            break;
        const size_t begin = pos;
        const size_t end = endChar + EndChar.size();
        pos = end;

        std::optional<qint64> code;
        if (size_t at = m_encoding.findWithin(begin, end); at != npos) {
            size_t p = at + Encoding.size();
            code = readNumber(m_text, p, end);
        }

        if (!started) {
            if (!code || *code < lowest || *code > 0xffff)
                continue;
            started = true;
            first = *code;
            lastEncoding = *code;
            imported = 1;
            limit = std::min<qint64>(MaxGlyphs, 0x10000 - first);
        } else {
            qint64 next = index + (m_startChar.findWithin(begin, end) != npos ? 1 : 0);
            const qint64 gaps = code && m_choice.retainGaps && *code > lastEncoding + 1
                                    ? *code - lastEncoding - 1
                                    : 0;
            // A character whose glyph would pass the last code ends the import.
            if (next + gaps >= limit)
                break;
            for (qint64 i = 0; i < gaps; ++i, ++next)
                glyphAt(next).reset(m_height, 0);
            index = next;
            if (code) {
                lastEncoding = *code;
                ++imported;
            }
        }

        Glyph &glyph = glyphAt(index);
        if (m_choice.asDrawn) {
            if (!drawAsDrawn(glyph, begin, end, error))
                return false;
            continue;
        }
        if (!prepareGlyph(glyph, error))
            return false;
        processCharacter(glyph, begin, end);
    }

    if (!started) {
        return failWith(
            error, QStringLiteral("No characters to import at or above encoding %1").arg(lowest));
    }

    m_glyphs.resize(size_t(index + 1));
    Font result;
    result.setName(m_choice.name.left(MaxFontNameLength).toLatin1());
    result.header.skip = 0;
    result.header.first = std::uint16_t(first);
    result.header.height = std::uint8_t(m_height);
    result.header.ascent = std::uint8_t(m_scan.baselineRow); // modulo 256
    result.header.ldepth = m_choice.depth;
    result.glyphs = std::move(m_glyphs);
    result.computeFileSize();
    *font = std::move(result);
    return true;
}

Glyph &CharacterReader::glyphAt(qint64 index)
{
    while (qint64(m_glyphs.size()) <= index)
        m_glyphs.emplace_back();
    return m_glyphs[size_t(index)];
}

// Sizes a glyph for a character: a fresh glyph becomes a full transparent cell,
// one that already held a character keeps its pixels. Also charges the work of
// placing and shifting a bitmap (each touches the cell once): a real font costs
// twice its pixels, so the budget only stops texts whose characters without
// "STARTCHAR" redo one glyph over and over.
bool CharacterReader::prepareGlyph(Glyph &glyph, QString *error)
{
    const qint64 cell = qint64(m_width) * m_height;
    const bool fresh = glyph.width != m_width || glyph.rowCount != m_height;
    if (fresh)
        m_pixels += cell;
    m_work += 2 * cell;
    if (m_pixels > MaxImportPixels || m_work > 4 * MaxImportPixels)
        return failWith(error, QString::fromLatin1(FontTooLarge));
    if (fresh)
        glyph.reset(m_height, m_width);
    return true;
}

void CharacterReader::readBox(size_t begin, size_t end)
{
    if (size_t at = m_bbx.findWithin(begin, end); at != npos) {
        size_t p = at + Bbx.size();
        m_boxWidth = readNumber(m_text, p, end);
        m_boxHeight = readNumber(m_text, p, end);
        m_boxX = readNumber(m_text, p, end);
        const qint64 yOffset = readNumber(m_text, p, end);
        m_topRow = m_scan.baselineRow - yOffset - m_boxHeight + 1;
        m_columnShift = (m_boxX < 0 ? -m_boxX : m_boxX) + m_scan.cellXOffset;
    }
}

void CharacterReader::processCharacter(Glyph &glyph, size_t begin, size_t end)
{
    readBox(begin, end);
    if (size_t at = m_bitmap.findWithin(begin, end); at != npos)
        placeRows(glyph, at + Bitmap.size(), end - EndChar.size());
    shiftRight(glyph, m_columnShift + 1);
}

// Calls row(target row, first digit, digit count) for each hexadecimal row of the
// box in [pos, end) that falls inside the cell, rows above the cell being read
// and passed over. A row without digits stops the reading: it and every later row
// of the box read as empty and are not passed on. Returns the row it stopped at
// (the end of the box within the cell when every row had digits).
template <class RowFn> qint64 CharacterReader::forEachRow(size_t pos, size_t end, RowFn &&row) const
{
    const qint64 boxEnd = std::min<qint64>(m_topRow + m_boxHeight, m_height);
    for (qint64 target = m_topRow; target < boxEnd; ++target) {
        while (pos < end && isBlank(m_text[pos]))
            ++pos;
        const size_t digits = pos;
        while (pos < end && hexDigitValue(m_text[pos]) >= 0)
            ++pos;
        const size_t digitCount = pos - digits;
        if (digitCount == 0)
            return target;
        if (target >= 0)
            row(int(target), digits, digitCount);
    }
    return boxEnd;
}

// The glyph as the BDF draws it: its advance wide, each bitmap bit c at column
// origin + box x offset + c, where the origin moves right only as far as ink left
// of it needs. Bits past the box width are the rows' padding.
bool CharacterReader::drawAsDrawn(Glyph &glyph, size_t begin, size_t end, QString *error)
{
    readBox(begin, end);
    if (size_t at = m_dwidth.findWithin(begin, end); at != npos) {
        size_t p = at + Dwidth.size();
        m_advance = std::clamp<qint64>(readNumber(m_text, p, end), 0, MaxGlyphSide);
    }
    const qint64 origin = std::max<qint64>(0, -m_boxX);
    const qint64 firstColumn = origin + m_boxX;
    const size_t bitmap = m_bitmap.findWithin(begin, end);
    const size_t rowsEnd = end - EndChar.size();
    const auto bitsIn = [this](size_t digitCount) {
        return std::min<qint64>(m_boxWidth, qint64(digitCount) * 4);
    };
    const auto isSet = [this](size_t digits, qint64 c) {
        return (hexDigitValue(m_text[digits + size_t(c / 4)]) >> (3 - c % 4)) & 1;
    };

    // The ink's reach first, then the glyph that holds it.
    qint64 reach = 0;
    if (bitmap != npos) {
        forEachRow(bitmap + Bitmap.size(), rowsEnd, [&](int, size_t digits, size_t digitCount) {
            for (qint64 c = std::min(bitsIn(digitCount), MaxGlyphSide - firstColumn) - 1; c >= 0;
                 --c) {
                if (isSet(digits, c)) {
                    reach = std::max(reach, firstColumn + c + 1);
                    break;
                }
            }
        });
    }
    const int width = int(std::min<qint64>(std::max(origin + m_advance, reach), MaxGlyphSide));

    const qint64 cell = qint64(width) * m_height;
    m_pixels += std::max<qint64>(0, cell - qint64(glyph.width) * glyph.rowCount);
    m_work += 2 * cell;
    if (m_pixels > MaxImportPixels || m_work > 4 * MaxImportPixels)
        return failWith(error, QString::fromLatin1(FontTooLarge));
    glyph.reset(m_height, width);
    if (bitmap != npos) {
        forEachRow(bitmap + Bitmap.size(), rowsEnd, [&](int row, size_t digits, size_t digitCount) {
            std::uint8_t *pixels = glyph.row(row);
            const qint64 bits = std::min(bitsIn(digitCount), width - firstColumn);
            for (qint64 c = 0; c < bits; ++c) {
                if (isSet(digits, c))
                    pixels[firstColumn + c] = m_white;
            }
        });
    }
    return true;
}

// Reads the hexadecimal rows in [pos, end) into the box's rows of the glyph,
// writing only the rows that fall inside the cell.
void CharacterReader::placeRows(Glyph &glyph, size_t pos, size_t end)
{
    const qint64 stopped = forEachRow(pos, end, [&](int row, size_t digits, size_t digitCount) {
        writeRow(glyph.row(row), digits, digitCount);
    });
    // Reading stuck before a non-digit (or at the end): the rest of the box reads
    // as empty.
    const qint64 boxEnd = std::min<qint64>(m_topRow + m_boxHeight, m_height);
    for (qint64 r = std::max<qint64>(stopped, 0); r < boxEnd; ++r)
        std::memset(glyph.row(int(r)), 0, size_t(m_width));
}

// Column c is bit 3 - c % 4 of digit c / 4: the leftmost digit's highest bit is
// column 0, however many digits the row has. Columns past the digits are clear.
void CharacterReader::writeRow(std::uint8_t *row, size_t digits, size_t digitCount) const
{
    for (int c = 0; c < m_width; ++c) {
        const size_t digit = size_t(c) / 4;
        const bool set =
            digit < digitCount && ((hexDigitValue(m_text[digits + digit]) >> (3 - c % 4)) & 1);
        row[c] = set ? m_white : 0;
    }
}

void CharacterReader::shiftRight(Glyph &glyph, qint64 columns) const
{
    for (int r = 0; r < glyph.rowCount; ++r) {
        std::uint8_t *row = glyph.row(r);
        if (columns >= m_width) {
            std::memset(row, 0, size_t(m_width));
            continue;
        }
        const size_t s = size_t(columns);
        std::memmove(row + s, row, size_t(m_width) - s);
        std::memset(row, 0, s);
    }
}

} // namespace

bool readBdfFile(const QString &path, QByteArray *text, QString *error)
{
    return readWholeFile(path, MaxBdfFileBytes, text, error);
}

bool scanBdf(QByteArrayView bytes, BdfScan *scan, QString *error)
{
    const string_view text(bytes.data(), size_t(bytes.size()));
    const QString invalid = QString::fromLatin1(InvalidFileFormat);

    const size_t endProperties = text.find(EndProperties);
    if (endProperties == npos)
        return failWith(error, invalid);
    const size_t headerEnd = endProperties + EndProperties.size();

    const size_t box = text.substr(0, headerEnd).find(FontBoundingBox);
    if (box == npos)
        return failWith(error, invalid);
    size_t p = box + FontBoundingBox.size();
    const qint64 width = readNumber(text, p, headerEnd);
    const qint64 height = readNumber(text, p, headerEnd) & 0xff; // the 8-bit Height keeps it
    const qint64 xOffset = readNumber(text, p, headerEnd);
    const qint64 yOffset = readNumber(text, p, headerEnd);
    if (width < 1 || width > MaxGlyphSide || height == 0)
        return failWith(error, invalid);

    BdfScan result;
    result.cellWidth = int(width);
    result.cellHeight = int(height);
    result.cellXOffset = xOffset < 0 ? -xOffset : xOffset;
    result.baselineRow = yOffset + height - 1;
    result.charactersStart = qsizetype(headerEnd);

    // The declared count sits between the properties and the first character.
    const size_t startChar = text.find(StartChar, headerEnd);
    if (startChar == npos)
        return failWith(error, QString::fromLatin1(NoCharactersToImport));
    const size_t firstCharacter = startChar + StartChar.size();
    if (size_t at = text.substr(0, firstCharacter).find(CharsKeyword, headerEnd); at != npos) {
        p = at + CharsKeyword.size();
        result.characterCount = toInt(readNumber(text, p, firstCharacter));
    }

    // The encoding begins at the first character whose encoding is not 0.
    KeywordCursor endChar(text, EndChar);
    KeywordCursor encoding(text, Encoding);
    size_t begin = firstCharacter;
    for (;;) {
        const size_t at = endChar.find(begin);
        if (at == npos)
            return failWith(error, QString::fromLatin1(NoCharactersToImport));
        const size_t end = at + EndChar.size();
        if (size_t e = encoding.findWithin(begin, end); e != npos) {
            p = e + Encoding.size();
            if (const qint64 code = readNumber(text, p, end); code != 0) {
                result.firstEncoding = toInt(code);
                break;
            }
        }
        begin = end;
    }

    *scan = result;
    return true;
}

bool importBdf(QByteArrayView bytes, const BdfScan &scan, const ImportFontChoice &choice,
               Font *font, QString *error)
{
    if (choice.depth > 1)
        return failWith(error, QStringLiteral("The pixel depth must be 1 or 2 bits per pixel"));
    if (choice.countToImport < 1) {
        return failWith(error,
                        QStringLiteral("The number of characters to import must be at least 1"));
    }
    if (scan.cellWidth < 1 || scan.cellWidth > MaxGlyphSide || scan.cellHeight < 1 ||
        scan.cellHeight > MaxGlyphSide || scan.charactersStart < 0 ||
        scan.charactersStart > bytes.size()) {
        return failWith(error, QString::fromLatin1(InvalidFileFormat));
    }
    const string_view text(bytes.data(), size_t(bytes.size()));
    return CharacterReader(text, scan, choice).run(font, error);
}

} // namespace Kernwick
