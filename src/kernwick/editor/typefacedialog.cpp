#include "editor/typefacedialog.h"

#include "editor/previewpane.h"
#include "widgets/messages.h"
#include "widgets/spinfield.h"

#include "libkernwick/render/textpreview.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

namespace Kernwick {

namespace {

// The sample shows capitals, the ascender and descender letters and digits.
const QString DefaultSample = QStringLiteral("AaGgJjlM 0123");

SpinField *numberField(int minimum, int maximum, int value, QWidget *parent)
{
    auto *field = new SpinField(parent);
    field->setRange(minimum, maximum);
    field->setValue(value);
    return field;
}

// The installed family a new dialog starts on: a fixed-pitch face when there is one,
// as overlay text usually is.
QString initialFamily(const QStringList &families)
{
    for (const QString &preferred : {QStringLiteral("DejaVu Sans Mono"),
                                     QFontDatabase::systemFont(QFontDatabase::FixedFont).family()})
        if (families.contains(preferred))
            return preferred;
    return families.value(0);
}

} // namespace

TypefaceDialog::TypefaceDialog(QWidget *parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Import Typeface"));
    const TypefaceChoice defaults;

    const QStringList families = QFontDatabase::families();
    m_source = new QComboBox(this);
    m_source->setEditable(true);
    m_source->setInsertPolicy(QComboBox::NoInsert);
    m_source->addItems(families);
    m_source->setCurrentText(initialFamily(families));
    m_source->setToolTip(QStringLiteral("An installed typeface, or the path of a font file"));
    m_source->setMinimumContentsLength(24);
    auto *browse = new QPushButton(QStringLiteral("Font &File..."), this);

    m_height = numberField(1, MaxGlyphSide, defaults.height, this);
    m_first = numberField(0, MaxCharacterCode, defaults.first, this);
    m_count = numberField(1, MaxGlyphs, defaults.count, this);
    m_all = new QCheckBox(QStringLiteral("&All characters from the first code on"), this);
    m_oneBpp = new QRadioButton(QStringLiteral("1 BPP"), this);
    m_twoBpp = new QRadioButton(QStringLiteral("2 BPP"), this);
    (defaults.threshold.threeColour ? m_twoBpp : m_oneBpp)->setChecked(true);
    m_black = numberField(0, 255, defaults.threshold.blackThreshold, this);
    m_white = numberField(0, 255, defaults.threshold.whiteThreshold, this);
    m_antialias = new QCheckBox(QStringLiteral("Anti-a&liased (edges thresholded)"), this);
    m_antialias->setChecked(defaults.antialiased);
    m_name = new QLineEdit(this);
    m_name->setMaxLength(MaxFontNameLength);
    m_sample = new QLineEdit(DefaultSample, this);

    m_preview = new TextLineCanvas;
    m_previewArea = new QScrollArea(this);
    m_previewArea->setWidget(m_preview);
    m_previewArea->setWidgetResizable(true);
    m_previewArea->setMinimumHeight(120);
    m_status = new QLabel(this);
    m_status->setWordWrap(true);

    auto *source = new QHBoxLayout;
    source->addWidget(m_source, 1);
    source->addWidget(browse);
    auto *count = new QHBoxLayout;
    count->addWidget(m_count);
    count->addWidget(m_all);
    auto *depth = new QHBoxLayout;
    depth->addWidget(m_oneBpp);
    depth->addWidget(m_twoBpp);
    depth->addStretch();

    // Rows whose field is a layout need their own label to carry the shortcut.
    const auto labelFor = [this](const QString &text, QWidget *buddy) {
        auto *label = new QLabel(text, this);
        label->setBuddy(buddy);
        return label;
    };
    auto *form = new QFormLayout;
    form->addRow(labelFor(QStringLiteral("&Typeface"), m_source), source);
    form->addRow(QStringLiteral("Pixel &height"), m_height);
    form->addRow(QStringLiteral("F&irst code"), m_first);
    form->addRow(labelFor(QStringLiteral("&Characters"), m_count->lineEdit()), count);
    form->addRow(QStringLiteral("Pixel depth"), depth);
    form->addRow(QStringLiteral("&Black threshold"), m_black);
    form->addRow(QStringLiteral("&White threshold"), m_white);
    form->addRow(QString(), m_antialias);
    form->addRow(QStringLiteral("Font &Name"), m_name);

    auto *preview = new QGroupBox(QStringLiteral("Preview"), this);
    auto *previewForm = new QFormLayout;
    previewForm->addRow(QStringLiteral("&Sample"), m_sample);
    auto *previewLayout = new QVBoxLayout(preview);
    previewLayout->addLayout(previewForm);
    previewLayout->addWidget(m_previewArea, 1);
    previewLayout->addWidget(m_status);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(preview, 1);
    layout->addWidget(buttons);

    // Settings are read a moment after the last change, so typing a number does not
    // render the sample at every keystroke.
    m_refresh = new QTimer(this);
    m_refresh->setSingleShot(true);
    m_refresh->setInterval(80);
    connect(m_refresh, &QTimer::timeout, this, &TypefaceDialog::refreshPreview);
    connect(buttons, &QDialogButtonBox::accepted, this, &TypefaceDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &TypefaceDialog::reject);
    connect(browse, &QPushButton::clicked, this, &TypefaceDialog::browse);
    connect(m_source, &QComboBox::currentTextChanged, this, &TypefaceDialog::sourceChanged);
    for (SpinField *field : {m_height, m_first, m_count, m_black, m_white})
        connect(field->lineEdit(), &QLineEdit::textChanged, this, &TypefaceDialog::settingsChanged);
    const QList<QAbstractButton *> switches{m_all, m_oneBpp, m_antialias};
    for (QAbstractButton *button : switches)
        connect(button, &QAbstractButton::toggled, this, &TypefaceDialog::settingsChanged);
    connect(m_sample, &QLineEdit::textChanged, this, &TypefaceDialog::settingsChanged);
    connect(m_name, &QLineEdit::textEdited, this, [this] { m_nameEdited = true; });
    sourceChanged();
    refreshPreview();
}

void TypefaceDialog::browse()
{
    const QString path = chooseFile(
        this, FileRequest::open(QStringLiteral("Typeface File"),
                                QStringLiteral("Font files (*.ttf *.otf *.ttc *.otc *.pfa *.pfb "
                                               "*.woff *.woff2);;All Files (*)")));
    if (!path.isEmpty())
        m_source->setCurrentText(path);
}

void TypefaceDialog::sourceChanged()
{
    QString error;
    if (!m_nameEdited && loadSource(&error))
        m_name->setText(defaultTypefaceFontName(m_typeface));
    settingsChanged();
}

void TypefaceDialog::settingsChanged()
{
    m_count->setEnabled(!m_all->isChecked());
    m_black->setEnabled(m_twoBpp->isChecked() && m_antialias->isChecked());
    m_white->setEnabled(m_antialias->isChecked());
    m_refresh->start();
}

bool TypefaceDialog::loadSource(QString *error)
{
    const QString source = m_source->currentText().trimmed();
    if (source == m_loadedSource && m_typeface.isValid())
        return true;
    Typeface loaded;
    if (!Typeface::load(source, &loaded, error)) {
        m_typeface = Typeface();
        m_loadedSource.clear();
        return false;
    }
    m_typeface = std::move(loaded);
    m_loadedSource = source;
    return true;
}

bool TypefaceDialog::readFields(TypefaceChoice *choice, QString *message, QWidget **field) const
{
    const std::pair<SpinField *, int *> numbers[] = {
        {m_height, &choice->height},
        {m_first, &choice->first},
        {m_count, &choice->count},
        {m_black, &choice->threshold.blackThreshold},
        {m_white, &choice->threshold.whiteThreshold},
    };
    for (const auto &[spin, value] : numbers) {
        if (spin == m_count && m_all->isChecked())
            continue;
        bool ok = false;
        *value = spin->text().trimmed().toInt(&ok);
        if (!ok) {
            *message = QStringLiteral("Please enter an integer.");
            *field = spin;
            return false;
        }
    }
    choice->allCodes = m_all->isChecked();
    choice->threshold.threeColour = m_twoBpp->isChecked();
    choice->antialiased = m_antialias->isChecked();
    choice->name = m_name->text();
    return true;
}

void TypefaceDialog::refreshPreview()
{
    m_refresh->stop();
    const QList<int> codes = textCodes(m_sample->text());
    // Until the settings are good, the sample area stays empty.
    m_previewFont = Font();
    m_previewFont.header.height = 0;
    m_preview->setLine(&m_previewFont, codes, 1);

    TypefaceChoice choice;
    QString message;
    QWidget *field = nullptr;
    if (!readFields(&choice, &message, &field) || !loadSource(&message)) {
        m_status->setText(message);
        return;
    }
    message = typefaceChoiceProblem(choice);
    if (!message.isEmpty()) {
        m_status->setText(message);
        return;
    }

    // Only the sample's codes within the chosen range are drawn; the others are
    // shown as the font would lack them.
    const int last = choice.allCodes ? MaxCharacterCode : choice.first + choice.count - 1;
    QList<int> inRange;
    for (const int code : codes)
        if (code >= choice.first && code <= last)
            inRange.append(code);
    TypefaceRenderer renderer(m_typeface, choice);
    Font font;
    font.header.height = std::uint8_t(renderer.height());
    font.header.ascent = std::uint8_t(renderer.ascent());
    font.header.ldepth = renderer.ldepth();
    if (!inRange.isEmpty()) {
        const auto [low, high] = std::minmax_element(inRange.begin(), inRange.end());
        font.header.first = std::uint16_t(*low);
        font.resizeGlyphTable(*high - *low + 1);
        for (Glyph &g : font.glyphs)
            g.reset(font.header.height, 0);
        for (const int code : inRange)
            font.glyphs[std::size_t(code - *low)] = renderer.glyph(code);
    }
    m_previewFont = std::move(font);
    // As large as the sample fits across the preview, so it can be judged at a glance.
    const qint64 width = std::max<qint64>(1, setTextLine(m_previewFont, codes).width());
    const int room = m_previewArea->viewport()->width() - 2 * TextLineCanvas::Margin;
    const int scale = int(std::clamp<qint64>(room / width, 1, MaxPreviewScale));
    m_preview->setLine(&m_previewFont, codes, scale);
    m_status->setText(
        QStringLiteral("%1: Height %2, Ascent %3, %4")
            .arg(m_typeface.family())
            .arg(renderer.height())
            .arg(renderer.ascent())
            .arg(choice.threshold.threeColour ? QStringLiteral("2BPP") : QStringLiteral("1BPP")));
}

void TypefaceDialog::accept()
{
    TypefaceChoice choice;
    QString message;
    QWidget *field = nullptr;
    if (!readFields(&choice, &message, &field)) {
        showWarning(this, message);
        field->setFocus();
        return;
    }
    message = typefaceChoiceProblem(choice);
    if (message.isEmpty() && !loadSource(&message))
        m_source->setFocus();
    if (!message.isEmpty()) {
        showWarning(this, message);
        return;
    }
    m_choice = choice;
    QDialog::accept();
}

} // namespace Kernwick
