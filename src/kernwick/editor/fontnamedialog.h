#pragma once

#include <QDialog>

class QLineEdit;

namespace Kernwick {

/// "Edit Font Name": one name field of at most 11 characters.
class FontNameDialog : public QDialog
{
    Q_OBJECT

public:
    explicit FontNameDialog(const QString &name, QWidget *parent = nullptr);

    QString name() const;
    QLineEdit *nameEdit() const { return m_name; }

    void accept() override;

private:
    QLineEdit *m_name;
};

} // namespace Kernwick
