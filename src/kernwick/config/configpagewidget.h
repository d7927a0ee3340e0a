#pragma once

#include "libkernwick/config/configparameters.h"
#include "libkernwick/config/deviceconfig.h"
#include "libkernwick/config/wireform.h"

#include <QWidget>

#include <map>

class QAbstractButton;
class QButtonGroup;
class QCheckBox;
class QVBoxLayout;

namespace Kernwick {

class SpinField;

/// One page of the configuration editor, built from the parameter table: a
/// checkbox, a group of radio buttons or a number field with arrows for each of
/// its parameters, and on the Comm page the four settings packed into parameter 42.
///
/// The page shows values (display()) and gives them back (collect()). Number fields keep
/// what is typed; a text that is not an integer is refused when the page is left.
/// Ranges are not checked, except where a value would not survive the trip to the
/// board (the insertion rates are sent times 1000).
class ConfigPageWidget : public QWidget
{
    Q_OBJECT

public:
    ConfigPageWidget(ConfigPage page, QWidget *parent = nullptr);

    ConfigPage page() const { return m_page; }

    /// Sets every control from `config`: checkboxes, the button of each radio
    /// group's value (none for a value that matches no button), the number
    /// fields, and the Comm page's settings of parameter 42.
    void display(const DeviceConfig &config);
    /// Reads the controls back into `config`. On a refused field returns false,
    /// sets `problem` to its message and leaves `config` as it was.
    bool collect(DeviceConfig *config, QString *problem);
    /// The controls' values as they stand, without refusing anything: a field that
    /// holds no acceptable value keeps the value `config` has.
    DeviceConfig peek(const DeviceConfig &config) const;

    /// The widgets of parameter `number`, for tests.
    QCheckBox *checkbox(int number) const;
    QAbstractButton *radio(int number, int index) const;
    SpinField *field(int number) const;
    /// The Comm page's buttons for parameter 42: group 0 "Data Bits", 1 "Parity",
    /// 2 "Stop Bits"; and "Echo On".
    QAbstractButton *commButton(int group, int index) const;
    QCheckBox *echoBox() const { return m_echo; }

private:
    void addParameter(const ConfigParameter &parameter, QWidget *host, QVBoxLayout *column);
    void addCommParams(QVBoxLayout *column);
    void showCommParams();
    /// Reads the controls into `config`; returns the first field refused (with its
    /// message in `problem`) or null. Refused fields keep their values.
    SpinField *take(DeviceConfig *config, QString *problem) const;

    ConfigPage m_page;
    std::map<int, QCheckBox *> m_checkboxes;
    std::map<int, QButtonGroup *> m_radios;
    std::map<int, SpinField *> m_fields;
    QButtonGroup *m_commGroups[3] = {};
    QCheckBox *m_echo = nullptr;
    CommParams m_comm; ///< parameter 42's settings as the buttons set them
};

} // namespace Kernwick
