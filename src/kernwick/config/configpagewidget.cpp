#include "config/configpagewidget.h"

#include "widgets/spinfield.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

#include <vector>

namespace Kernwick {

namespace {

constexpr int CommParamsNumber = 42;

QGroupBox *radioBox(const QString &caption, std::span<const char *const> choices,
                    QButtonGroup *group, QWidget *parent)
{
    auto *box = new QGroupBox(caption, parent);
    auto *layout = new QVBoxLayout(box);
    layout->setSpacing(2);
    for (std::size_t i = 0; i < choices.size(); ++i) {
        auto *button = new QRadioButton(QString::fromLatin1(choices[i]), box);
        group->addButton(button, int(i));
        layout->addWidget(button);
    }
    return box;
}

// Checks the button of `index`, or none when no button has that index.
void select(QButtonGroup *group, int index)
{
    group->setExclusive(false);
    for (QAbstractButton *button : group->buttons())
        button->setChecked(group->id(button) == index);
    group->setExclusive(true);
}

} // namespace

ConfigPageWidget::ConfigPageWidget(ConfigPage page, QWidget *parent) : QWidget(parent), m_page(page)
{
    std::vector<const ConfigParameter *> parameters;
    for (const ConfigParameter &parameter : configParameters())
        if (parameter.page == page)
            parameters.push_back(&parameter);

    // Two columns, each packed from the top: the first half of the page's
    // parameters on the left.
    auto *layout = new QVBoxLayout(this);
    auto *columns = new QHBoxLayout;
    layout->addLayout(columns);
    QVBoxLayout *column[2] = {new QVBoxLayout, new QVBoxLayout};
    for (QVBoxLayout *c : column)
        columns->addLayout(c, 1);
    const int perColumn = int(parameters.size() + 1) / 2;
    for (int i = 0; i < int(parameters.size()); ++i)
        addParameter(*parameters[std::size_t(i)], this, column[i < perColumn ? 0 : 1]);
    for (QVBoxLayout *c : column)
        c->addStretch();
    if (page == ConfigPage::Display) {
        auto *note = new QLabel(QString::fromLatin1(InsertionRateNote), this);
        note->setWordWrap(true);
        layout->addWidget(note);
    }
    layout->addStretch();
}

void ConfigPageWidget::addParameter(const ConfigParameter &parameter, QWidget *host,
                                    QVBoxLayout *column)
{
    const QString caption = QString::fromLatin1(parameter.caption);
    switch (parameter.kind) {
    case ControlKind::Checkbox: {
        auto *box = new QCheckBox(caption, host);
        m_checkboxes[parameter.number] = box;
        column->addWidget(box);
        break;
    }
    case ControlKind::RadioGroup: {
        auto *group = new QButtonGroup(host);
        m_radios[parameter.number] = group;
        column->addWidget(radioBox(caption, parameter.choices, group, host));
        break;
    }
    case ControlKind::Number: {
        auto *field = new SpinField(host);
        field->setRange(parameter.spinLowest, parameter.spinHighest);
        field->setWrapping(parameter.spinWraps);
        m_fields[parameter.number] = field;
        auto *box = new QWidget(host);
        auto *rows = new QVBoxLayout(box);
        rows->setContentsMargins(0, 4, 0, 4);
        rows->setSpacing(2);
        auto *label = new QLabel(caption, box);
        label->setBuddy(field);
        rows->addWidget(label);
        rows->addWidget(field);
        field->setMaximumWidth(140);
        column->addWidget(box);
        break;
    }
    case ControlKind::CommParams:
        addCommParams(column);
        break;
    }
}

void ConfigPageWidget::addCommParams(QVBoxLayout *column)
{
    const ConfigParameter *parameter = findConfigParameter(CommParamsNumber);
    auto *box = new QGroupBox(QString::fromLatin1(parameter->caption), this);
    auto *layout = new QHBoxLayout(box);
    const auto groups = commParamsGroups();
    for (std::size_t g = 0; g < groups.size(); ++g) {
        m_commGroups[g] = new QButtonGroup(box);
        layout->addWidget(radioBox(QString::fromLatin1(groups[g].caption), groups[g].choices,
                                   m_commGroups[g], box));
    }
    m_echo = new QCheckBox(QString::fromLatin1(EchoOnCaption), box);
    layout->addWidget(m_echo, 0, Qt::AlignTop);
    column->addWidget(box);

    // A click changes its setting at once; leaving the page packs them.
    connect(m_commGroups[0], &QButtonGroup::idClicked, this,
            [this](int id) { m_comm.sevenDataBits = id; });
    connect(m_commGroups[1], &QButtonGroup::idClicked, this,
            [this](int id) { m_comm.parity = id; });
    connect(m_commGroups[2], &QButtonGroup::idClicked, this,
            [this](int id) { m_comm.stopBits = id; });
    connect(m_echo, &QCheckBox::clicked, this, [this] { m_comm.echo = m_comm.echo ? 0 : 1; });
}

void ConfigPageWidget::display(const DeviceConfig &config)
{
    for (const auto &[number, box] : m_checkboxes)
        box->setChecked(config.value(number) != 0);
    for (const auto &[number, group] : m_radios)
        select(group, config.value(number));
    for (const auto &[number, field] : m_fields)
        field->setValue(config.value(number));
    if (m_echo) {
        m_comm = CommParams::unpack(config.value(CommParamsNumber));
        showCommParams();
    }
}

void ConfigPageWidget::showCommParams()
{
    select(m_commGroups[0], m_comm.sevenDataBits);
    select(m_commGroups[1], m_comm.parity);
    select(m_commGroups[2], m_comm.stopBits);
    m_echo->setChecked(m_comm.echo != 0);
}

bool ConfigPageWidget::collect(DeviceConfig *config, QString *problem)
{
    DeviceConfig taken = *config;
    if (SpinField *refused = take(&taken, problem)) {
        refused->setFocus();
        refused->lineEdit()->selectAll();
        return false;
    }
    *config = taken;
    return true;
}

DeviceConfig ConfigPageWidget::peek(const DeviceConfig &config) const
{
    DeviceConfig taken = config;
    QString problem;
    take(&taken, &problem);
    return taken;
}

SpinField *ConfigPageWidget::take(DeviceConfig *config, QString *problem) const
{
    DeviceConfig &taken = *config;
    SpinField *firstRefused = nullptr;
    for (const auto &[number, field] : m_fields) {
        bool ok = false;
        const qint64 value = field->text().trimmed().toLongLong(&ok);
        const QString refused =
            ok ? editorValueProblem(number, value) : QStringLiteral("Please enter an integer.");
        if (!refused.isEmpty()) {
            if (!firstRefused) {
                firstRefused = field;
                *problem = refused;
            }
            continue;
        }
        taken.setValue(number, std::int32_t(value));
    }
    for (const auto &[number, box] : m_checkboxes)
        taken.setValue(number, box->isChecked() ? 1 : 0);
    for (const auto &[number, group] : m_radios) {
        // A group left without a chosen button keeps the value it was shown with.
        if (group->checkedId() >= 0)
            taken.setValue(number, group->checkedId());
    }
    if (m_echo)
        taken.setValue(CommParamsNumber, m_comm.pack());
    return firstRefused;
}

QCheckBox *ConfigPageWidget::checkbox(int number) const
{
    const auto it = m_checkboxes.find(number);
    return it == m_checkboxes.end() ? nullptr : it->second;
}

QAbstractButton *ConfigPageWidget::radio(int number, int index) const
{
    const auto it = m_radios.find(number);
    return it == m_radios.end() ? nullptr : it->second->button(index);
}

SpinField *ConfigPageWidget::field(int number) const
{
    const auto it = m_fields.find(number);
    return it == m_fields.end() ? nullptr : it->second;
}

QAbstractButton *ConfigPageWidget::commButton(int group, int index) const
{
    return group >= 0 && group < 3 && m_commGroups[group] ? m_commGroups[group]->button(index)
                                                          : nullptr;
}

} // namespace Kernwick
