#include "widgets/spinfield.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace Kernwick {

SpinField::SpinField(QWidget *parent) : QWidget(parent), m_edit(new QLineEdit(this))
{
    m_up = new QToolButton(this);
    m_down = new QToolButton(this);
    m_up->setArrowType(Qt::UpArrow);
    m_down->setArrowType(Qt::DownArrow);
    for (QToolButton *button : {m_up, m_down}) {
        button->setAutoRepeat(true);
        button->setFixedSize(16, 11);
        button->setFocusPolicy(Qt::NoFocus);
    }
    auto *arrows = new QVBoxLayout;
    arrows->setContentsMargins(0, 0, 0, 0);
    arrows->setSpacing(0);
    arrows->addWidget(m_up);
    arrows->addWidget(m_down);
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(1);
    layout->addWidget(m_edit, 1);
    layout->addLayout(arrows);
    setFocusProxy(m_edit);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    arrows->setAlignment(Qt::AlignVCenter);

    connect(m_up, &QToolButton::clicked, this, [this] { stepBy(1); });
    connect(m_down, &QToolButton::clicked, this, [this] { stepBy(-1); });
    connect(m_edit, &QLineEdit::textEdited, this, &SpinField::textEdited);
    m_edit->installEventFilter(this);
}

void SpinField::setRange(int minimum, int maximum)
{
    m_minimum = minimum;
    m_maximum = maximum;
}

QString SpinField::text() const
{
    return m_edit->text();
}

void SpinField::setText(const QString &text)
{
    m_edit->setText(text);
}

void SpinField::setValue(int value)
{
    m_lastGood = value;
    m_edit->setText(QString::number(value));
}

int SpinField::position() const
{
    bool ok = false;
    const int typed = m_edit->text().trimmed().toInt(&ok);
    if (ok)
        m_lastGood = typed;
    return m_lastGood;
}

void SpinField::stepBy(int steps)
{
    if (m_maximum < m_minimum)
        return;
    qint64 next = qint64(position()) + steps;
    if (next > m_maximum)
        next = m_wrapping ? m_minimum : m_maximum;
    else if (next < m_minimum)
        next = m_wrapping ? m_maximum : m_minimum;
    setValue(int(next));
    emit textEdited(m_edit->text());
}

bool SpinField::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_edit && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Up || key == Qt::Key_Down) {
            stepBy(key == Qt::Key_Up ? 1 : -1);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace Kernwick
