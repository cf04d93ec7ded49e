#pragma once

#include <QDialog>

class ElementObj;
class QLineEdit;

// "组维护": the name and description of a group (or of the root).
class CGroupDialog : public QDialog
{
    Q_OBJECT

public:
    // The description is kept in the element's Monitor_Description field, the
    // one free text field of ElementObj wide enough for it.
    static constexpr int NameBytes = 127;
    static constexpr int DescriptionBytes = 511;

    explicit CGroupDialog(QWidget *parent = nullptr);

    void Load(const ElementObj &element);
    QLineEdit *NameEdit() const { return m_name; }
    QLineEdit *DescriptionEdit() const { return m_description; }
    // Writes the texts into element; a message (element unchanged) when the
    // name is empty or a text does not fit its field.
    QString Store(ElementObj &element) const;

    void accept() override;

private:
    QLineEdit *m_name;
    QLineEdit *m_description;
};
