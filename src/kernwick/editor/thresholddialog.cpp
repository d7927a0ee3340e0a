#include "editor/thresholddialog.h"

#include "widgets/messages.h"

#include "libkernwick/font/font.h"
#include "libkernwick/font/loadedimage.h"
#include "libkernwick/render/imagefile.h"

#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QVBoxLayout>

#include <algorithm>
#include <cstring>

namespace Kernwick {

namespace {

// The largest picture the import takes, so the two frames keep their size
// whatever the picture.
constexpr int PictureRoom = MaxGlyphSide;

QImage toQImage(const GreyImage &picture)
{
    QImage image(picture.width, picture.height, QImage::Format_Grayscale8);
    for (int r = 0; r < picture.height; ++r)
        std::memcpy(image.scanLine(r), picture.levels.data() + std::size_t(r) * picture.width,
                    std::size_t(picture.width));
    return image;
}

// A frame for a picture of up to PictureRoom screen pixels a side.
QLabel *makePicture(QWidget *parent)
{
    auto *picture = new QLabel(parent);
    picture->setFrameShape(QFrame::Panel);
    picture->setFrameShadow(QFrame::Sunken);
    picture->setAlignment(Qt::AlignCenter);
    const int frame = 2 * picture->frameWidth();
    picture->setFixedSize(PictureRoom + frame + 8, PictureRoom + frame + 8);
    return picture;
}

// A threshold in figures, wide enough for "255" so the slider keeps its length.
QLabel *makeValue(int value, QWidget *parent)
{
    auto *label = new QLabel(QString::number(value), parent);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    label->setMinimumWidth(label->fontMetrics().horizontalAdvance(QStringLiteral("0000")));
    return label;
}

QGroupBox *framePicture(const QString &title, QLabel *picture, QWidget *parent)
{
    auto *group = new QGroupBox(title, parent);
    auto *layout = new QVBoxLayout(group);
    layout->addWidget(picture, 0, Qt::AlignCenter);
    return group;
}

QSlider *makeSlider(int value, QWidget *parent)
{
    auto *slider = new QSlider(Qt::Horizontal, parent);
    slider->setRange(0, 255);
    slider->setValue(value);
    slider->setTickPosition(QSlider::NoTicks);
    slider->setPageStep(16);
    return slider;
}

} // namespace

ThresholdDialog::ThresholdDialog(const GreyImage &source, QWidget *parent,
                                 const ThresholdChoice &opening)
    : QDialog(parent), m_source(source),
      m_scale(std::max(1, PictureRoom / std::max({source.width, source.height, 1})))
{
    setWindowTitle(QStringLiteral("Threshold Image"));

    m_originalPicture = makePicture(this);
    m_modifiedPicture = makePicture(this);
    m_blackLabel = new QLabel(QStringLiteral("Black Threshold"), this);
    m_blackSlider = makeSlider(opening.blackThreshold, this);
    m_blackLabel->setBuddy(m_blackSlider);
    m_blackValue = makeValue(opening.blackThreshold, this);
    auto *whiteLabel = new QLabel(QStringLiteral("White Threshold"), this);
    m_whiteSlider = makeSlider(opening.whiteThreshold, this);
    whiteLabel->setBuddy(m_whiteSlider);
    m_whiteValue = makeValue(opening.whiteThreshold, this);
    m_twoColour = new QRadioButton(QStringLiteral("1 BPP 2 Color"), this);
    m_threeColour = new QRadioButton(QStringLiteral("2 BPP 3 Color"), this);
    m_threeColour->setChecked(opening.threeColour);
    m_twoColour->setChecked(!opening.threeColour);
    auto *colours = new QButtonGroup(this);
    colours->addButton(m_twoColour);
    colours->addButton(m_threeColour);
    m_invert = new QPushButton(QStringLiteral("Invert Image"), this);
    m_save = new QPushButton(QStringLiteral("Save Modified Image"), this);
    m_invert->setAutoDefault(false);
    m_save->setAutoDefault(false);
    auto *note = new QLabel(
        QStringLiteral("Black pixels in modified image will appear transparent in font"), this);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);

    auto *pictures = new QHBoxLayout;
    pictures->addWidget(framePicture(QStringLiteral("Original Image"), m_originalPicture, this));
    pictures->addWidget(framePicture(QStringLiteral("Modified Image"), m_modifiedPicture, this));
    auto *controls = new QGridLayout;
    controls->addWidget(m_blackLabel, 0, 0);
    controls->addWidget(m_blackSlider, 1, 0);
    controls->addWidget(m_blackValue, 1, 1);
    controls->addWidget(whiteLabel, 2, 0);
    controls->addWidget(m_whiteSlider, 3, 0);
    controls->addWidget(m_whiteValue, 3, 1);
    auto *colourLayout = new QVBoxLayout;
    colourLayout->addWidget(m_twoColour);
    colourLayout->addWidget(m_threeColour);
    controls->addLayout(colourLayout, 0, 2, 2, 1);
    auto *imageButtons = new QVBoxLayout;
    imageButtons->addWidget(m_invert);
    imageButtons->addWidget(m_save);
    controls->addLayout(imageButtons, 2, 2, 2, 1);
    controls->setColumnStretch(0, 1);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(pictures);
    layout->addLayout(controls);
    layout->addWidget(note);
    layout->addWidget(buttons);

    // Sliders report every step of a drag, so the modified picture follows the
    // pointer rather than waiting for the release.
    connect(m_blackSlider, &QSlider::valueChanged, this, &ThresholdDialog::applyThreshold);
    connect(m_whiteSlider, &QSlider::valueChanged, this, &ThresholdDialog::applyThreshold);
    connect(m_threeColour, &QRadioButton::toggled, this, &ThresholdDialog::colourChoiceChanged);
    connect(m_invert, &QPushButton::clicked, this, &ThresholdDialog::invert);
    connect(m_save, &QPushButton::clicked, this, &ThresholdDialog::saveModifiedImage);
    connect(buttons, &QDialogButtonBox::accepted, this, &ThresholdDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &ThresholdDialog::reject);

    showPicture(m_originalPicture, m_source);
    colourChoiceChanged();
}

void ThresholdDialog::showPicture(QLabel *label, const GreyImage &picture) const
{
    // Whole screen pixels per picture pixel and no smoothing, so every pixel the
    // import will take stays a sharp square.
    const QImage image = toQImage(picture);
    label->setPixmap(QPixmap::fromImage(
        m_scale == 1
            ? image
            : image.scaled(image.size() * m_scale, Qt::IgnoreAspectRatio, Qt::FastTransformation)));
}

ThresholdChoice ThresholdDialog::choice() const
{
    ThresholdChoice choice;
    choice.blackThreshold = m_blackSlider->value();
    choice.whiteThreshold = m_whiteSlider->value();
    choice.threeColour = m_threeColour->isChecked();
    return choice;
}

void ThresholdDialog::applyThreshold()
{
    m_blackValue->setNum(m_blackSlider->value());
    m_whiteValue->setNum(m_whiteSlider->value());
    m_modified = Kernwick::applyThreshold(m_source, choice());
    showPicture(m_modifiedPicture, m_modified);
}

void ThresholdDialog::colourChoiceChanged()
{
    // Two colours have no halftone, so the black threshold has no say.
    const bool three = m_threeColour->isChecked();
    m_blackSlider->setEnabled(three);
    m_blackLabel->setEnabled(three);
    m_blackValue->setEnabled(three);
    applyThreshold();
}

void ThresholdDialog::invert()
{
    invertImage(&m_source);
    showPicture(m_originalPicture, m_source);
    applyThreshold();
}

void ThresholdDialog::saveModifiedImage()
{
    const QString path = chooseFile(
        this, FileRequest::save(QStringLiteral("Save Modified Image"),
                                QStringLiteral("Bitmap Files (*.bmp);;PNG Files (*.png);;TIFF "
                                               "Files (*.tif *.tiff);;All Files (*)"),
                                QStringLiteral("bmp")));
    if (path.isEmpty())
        return;
    QString error;
    if (!saveGreyImageFile(path, m_modified, &error))
        showMessage(this, {QString::fromLatin1(ImageErrorCaption), error, MessageIcon::Critical});
}

} // namespace Kernwick
