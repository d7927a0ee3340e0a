#include "libkernwick/render/typefaceimport.h"

#include "libkernwick/font/bdfimport.h"
#include "libkernwick/font/newfont.h"
#include "libkernwick/io/savefile.h"

#include <QFileInfo>
#include <QFontDatabase>
#include <QGlyphRun>
#include <QPainter>

#include <algorithm>

namespace Kernwick {

namespace {

bool isSurrogate(int code)
{
    return code >= 0xD800 && code <= 0xDFFF;
}

QString between(int low, int high)
{
    return QStringLiteral("Please enter an integer between %1 and %2.").arg(low).arg(high);
}

} // namespace

bool Typeface::load(const QString &source, Typeface *typeface, QString *error)
{
    Typeface loaded;
    const QFileInfo info(source);
    if (info.exists()) {
        if (!info.isFile()) {
            *error = QStringLiteral("%1: not a font file").arg(source);
            return false;
        }
        QString readError;
        if (!readWholeFile(source, MaxTypefaceFileBytes, &loaded.m_fileData, &readError)) {
            *error = QStringLiteral("%1: %2").arg(source, readError);
            return false;
        }
        // Proportions are taken at the typeface's own units per em, unhinted.
        const QRawFont probe(loaded.m_fileData, 1000, QFont::PreferNoHinting);
        if (!probe.isValid()) {
            *error = QStringLiteral("%1: not a typeface Qt can load").arg(source);
            return false;
        }
        loaded.m_reference = QRawFont(loaded.m_fileData, std::max<qreal>(probe.unitsPerEm(), 16),
                                      QFont::PreferNoHinting);
    } else {
        const QStringList families = QFontDatabase::families();
        const auto found = std::find_if(families.begin(), families.end(), [&](const QString &f) {
            return f.compare(source, Qt::CaseInsensitive) == 0;
        });
        if (found == families.end()) {
            *error =
                QStringLiteral("No font file or installed typeface is called \"%1\"").arg(source);
            return false;
        }
        loaded.m_installedFamily = *found;
        QFont font(*found);
        font.setHintingPreference(QFont::PreferNoHinting);
        loaded.m_reference = QRawFont::fromFont(font);
        if (loaded.m_reference.isValid())
            loaded.m_reference.setPixelSize(std::max<qreal>(loaded.m_reference.unitsPerEm(), 16));
    }
    if (!loaded.isValid() || loaded.m_reference.ascent() + loaded.m_reference.descent() <= 0) {
        *error = QStringLiteral("%1: the typeface cannot be drawn").arg(source);
        return false;
    }
    *typeface = std::move(loaded);
    return true;
}

QRawFont Typeface::atPixelSize(qreal pixelSize) const
{
    if (!m_fileData.isEmpty())
        return QRawFont(m_fileData, pixelSize, QFont::PreferFullHinting);
    QFont font(m_installedFamily);
    font.setHintingPreference(QFont::PreferFullHinting);
    font.setPixelSize(std::max(1, qRound(pixelSize)));
    QRawFont raw = QRawFont::fromFont(font);
    raw.setPixelSize(pixelSize);
    return raw;
}

qreal Typeface::pixelSizeForHeight(int height) const
{
    const qreal extent = m_reference.ascent() + m_reference.descent();
    return height * m_reference.pixelSize() / extent;
}

QString typefaceChoiceProblem(const TypefaceChoice &choice)
{
    if (choice.height < 1 || choice.height > MaxGlyphSide)
        return between(1, MaxGlyphSide);
    if (choice.first < 0 || choice.first > MaxCharacterCode)
        return between(0, MaxCharacterCode);
    if (!choice.allCodes) {
        if (choice.count < 1 || choice.count > MaxGlyphs)
            return between(1, MaxGlyphs);
        if (choice.first + choice.count - 1 > MaxCharacterCode)
            return QString::fromLatin1(LastCodeTooHigh);
    }
    for (const int threshold : {choice.threshold.blackThreshold, choice.threshold.whiteThreshold})
        if (threshold < 0 || threshold > 255)
            return between(0, 255);
    return fontNameProblem(choice.name);
}

QString defaultTypefaceFontName(const Typeface &typeface)
{
    return QString::fromLatin1(typeface.family().toLatin1()).left(MaxFontNameLength);
}

TypefaceRenderer::TypefaceRenderer(const Typeface &typeface, const TypefaceChoice &choice)
    : m_font(typeface.atPixelSize(typeface.pixelSizeForHeight(choice.height))),
      m_height(choice.height), m_ldepth(choice.threshold.threeColour ? 1 : 0),
      m_antialiased(choice.antialiased), m_threshold(choice.threshold)
{
    m_baseline = std::clamp(qRound(m_font.ascent()), 1, m_height);
    // An anti-aliased glyph is drawn as grey coverage; on a one-bit canvas Qt draws
    // with the typeface's monochrome rendering and hinting instead.
    const QSize canvas(MaxGlyphSide, m_height);
    if (m_antialiased) {
        m_canvas = QImage(canvas, QImage::Format_Grayscale8);
    } else {
        m_canvas = QImage(canvas, QImage::Format_Mono);
        m_canvas.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
    }
}

bool TypefaceRenderer::hasCharacter(int code) const
{
    return code >= 0 && code <= MaxCharacterCode && !isSurrogate(code) &&
           m_font.supportsCharacter(uint(code));
}

Glyph TypefaceRenderer::glyph(int code)
{
    Glyph glyph;
    glyph.reset(m_height, 0);
    if (!hasCharacter(code))
        return glyph;
    const QChar character(code);
    quint32 index = 0;
    int found = 1;
    if (!m_font.glyphIndexesForChars(&character, 1, &index, &found) || found != 1)
        return glyph;
    QPointF advance;
    m_font.advancesForGlyphIndexes(&index, &advance, 1);
    const int width = std::clamp(qRound(advance.x()), 0, MaxGlyphSide);
    glyph.reset(m_height, width);
    if (width == 0)
        return glyph;

    m_canvas.fill(0);
    {
        QPainter painter(&m_canvas);
        painter.setPen(Qt::white);
        QGlyphRun run;
        run.setRawFont(m_font);
        run.setGlyphIndexes({index});
        run.setPositions({QPointF(0, 0)});
        painter.drawGlyphRun(QPointF(0, m_baseline), run);
    }

    const std::uint8_t white = m_ldepth == 0 ? 1 : 2;
    if (!m_antialiased) {
        for (int r = 0; r < m_height; ++r)
            for (int c = 0; c < width; ++c)
                glyph.setPixel(r, c, m_canvas.pixelIndex(c, r) != 0 ? white : 0);
        return glyph;
    }
    GreyImage coverage = GreyImage::filled(width, m_height);
    for (int r = 0; r < m_height; ++r)
        std::copy_n(m_canvas.constScanLine(r), width,
                    coverage.levels.begin() + std::ptrdiff_t(r) * width);
    const GreyImage levels = applyThreshold(coverage, m_threshold);
    for (int r = 0; r < m_height; ++r)
        for (int c = 0; c < width; ++c) {
            const std::uint8_t level = levels.level(r, c);
            glyph.setPixel(r, c,
                           level == ThresholdWhite      ? white
                           : level == ThresholdHalftone ? std::uint8_t(1)
                                                        : std::uint8_t(0));
        }
    return glyph;
}

int lastTypefaceCode(const Typeface &typeface, int first)
{
    const QRawFont font = typeface.atPixelSize(16);
    for (int code = MaxCharacterCode; code >= std::max(first, 0); --code)
        if (!isSurrogate(code) && font.supportsCharacter(uint(code)))
            return code;
    return -1;
}

bool importTypeface(const Typeface &typeface, const TypefaceChoice &choice, Font *font,
                    QString *error)
{
    const QString problem = typefaceChoiceProblem(choice);
    if (!problem.isEmpty()) {
        *error = problem;
        return false;
    }
    int count = choice.count;
    if (choice.allCodes) {
        const int last = lastTypefaceCode(typeface, choice.first);
        if (last < 0) {
            *error =
                QStringLiteral("The typeface has no character from code %1 on").arg(choice.first);
            return false;
        }
        count = std::min(last - choice.first + 1, MaxGlyphs);
    }

    TypefaceRenderer renderer(typeface, choice);
    Font made;
    made.setName(
        (choice.name.isEmpty() ? defaultTypefaceFontName(typeface) : choice.name).toLatin1());
    made.header.first = std::uint16_t(choice.first);
    made.header.height = std::uint8_t(renderer.height());
    made.header.ascent = std::uint8_t(renderer.ascent());
    made.header.ldepth = renderer.ldepth();
    made.resizeGlyphTable(count);
    qint64 pixels = 0;
    for (int i = 0; i < count; ++i) {
        Glyph &g = made.glyphs[std::size_t(i)];
        g = renderer.glyph(choice.first + i);
        pixels += qint64(g.width) * g.rowCount;
        if (pixels > MaxTypefacePixels) {
            *error = QString::fromLatin1(FontTooLarge);
            return false;
        }
    }
    made.computeFileSize();
    *font = std::move(made);
    return true;
}

} // namespace Kernwick
