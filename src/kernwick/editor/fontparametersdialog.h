#pragma once

#include "libkernwick/font/font.h"

#include <QDialog>

class QLabel;

namespace Kernwick {

/// "Font Parameters": the font's eight header fields, read-only, with OK.
class FontParametersDialog : public QDialog
{
    Q_OBJECT

public:
    explicit FontParametersDialog(const Font &font, QWidget *parent = nullptr);

    /// The eight texts, left column then right column.
    QStringList texts() const;

private:
    QList<QLabel *> m_labels;
};

} // namespace Kernwick
