#pragma once

#include <QDialog>

namespace Kernwick {

/// "About Zuvo Kernwick": the program's icon, name and version.
class AboutDialog : public QDialog
{
    Q_OBJECT

public:
    static constexpr char VersionLine[] = "ZUVO Kernwick Version 1.14";

    explicit AboutDialog(QWidget *parent = nullptr);
};

} // namespace Kernwick
