#pragma once

#include <QWidget>

class QLineEdit;
class QToolButton;

namespace Kernwick {

/// A number field with up and down arrows: the text is kept exactly as typed (the
/// dialog checks it on OK and names what is wrong), while the arrows and the Up
/// and Down keys step the number within a range, wrapping at the ends when asked.
class SpinField : public QWidget
{
    Q_OBJECT

public:
    explicit SpinField(QWidget *parent = nullptr);

    void setRange(int minimum, int maximum);
    int minimum() const { return m_minimum; }
    int maximum() const { return m_maximum; }
    void setWrapping(bool wrapping) { m_wrapping = wrapping; }
    bool wrapping() const { return m_wrapping; }

    QString text() const;
    void setText(const QString &text);
    void setValue(int value);
    /// The number the arrows step from: the text's, or the last good one.
    int position() const;

    /// Steps by `steps` (negative: down), as the arrows do.
    void stepBy(int steps);

    QLineEdit *lineEdit() const { return m_edit; }

signals:
    void textEdited(const QString &text);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QLineEdit *m_edit;
    QToolButton *m_up;
    QToolButton *m_down;
    int m_minimum = 0;
    int m_maximum = 100;
    mutable int m_lastGood = 0;
    bool m_wrapping = false;
};

} // namespace Kernwick
