#pragma once

#include "libkernwick/font/greyimage.h"
#include "libkernwick/font/threshold.h"

#include <QDialog>

class QLabel;
class QPushButton;
class QRadioButton;
class QSlider;

namespace Kernwick {

/// "Threshold Image": shows a picture of grey levels as loaded and as it will be
/// imported (enlarged by whole pixels when small), and lets the user choose two or three colours,
/// the thresholds and inversion while the modified picture follows every change.
class ThresholdDialog : public QDialog
{
    Q_OBJECT

public:
    /// `source` is the picture as loaded (1 to 255 pixels on each side); the
    /// controls open on `opening` (the last choice of the session, or the
    /// defaults). Small pictures are shown enlarged by whole pixels to fill the
    /// frames, without smoothing.
    explicit ThresholdDialog(const GreyImage &source, QWidget *parent = nullptr,
                             const ThresholdChoice &opening = ThresholdChoice());

    /// The screen pixels a picture pixel takes in the frames.
    int pictureScale() const { return m_scale; }

    /// The picture as loaded, inverted when "Invert Image" was pressed an odd
    /// number of times.
    const GreyImage &sourceImage() const { return m_source; }
    /// The thresholded picture: levels ThresholdBlack, ThresholdHalftone and
    /// ThresholdWhite.
    const GreyImage &modifiedImage() const { return m_modified; }
    /// The thresholds and the colour choice as the controls show them.
    ThresholdChoice choice() const;
    bool threeColour() const { return choice().threeColour; }

    QLabel *originalPicture() const { return m_originalPicture; }
    QLabel *modifiedPicture() const { return m_modifiedPicture; }
    QSlider *blackSlider() const { return m_blackSlider; }
    QSlider *whiteSlider() const { return m_whiteSlider; }
    QLabel *blackLabel() const { return m_blackLabel; }
    /// The thresholds in figures, beside their sliders.
    QLabel *blackValue() const { return m_blackValue; }
    QLabel *whiteValue() const { return m_whiteValue; }
    QRadioButton *twoColourButton() const { return m_twoColour; }
    QRadioButton *threeColourButton() const { return m_threeColour; }
    QPushButton *invertButton() const { return m_invert; }
    QPushButton *saveButton() const { return m_save; }

private:
    void applyThreshold();
    void colourChoiceChanged();
    void invert();
    void saveModifiedImage();

    void showPicture(QLabel *label, const GreyImage &picture) const;

    GreyImage m_source;
    GreyImage m_modified;
    int m_scale = 1;
    QLabel *m_originalPicture;
    QLabel *m_modifiedPicture;
    QLabel *m_blackLabel;
    QLabel *m_blackValue;
    QLabel *m_whiteValue;
    QSlider *m_blackSlider;
    QSlider *m_whiteSlider;
    QRadioButton *m_twoColour;
    QRadioButton *m_threeColour;
    QPushButton *m_invert;
    QPushButton *m_save;
};

} // namespace Kernwick
