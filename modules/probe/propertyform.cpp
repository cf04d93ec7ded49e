#include "modules/probe/propertyform.h"

#include <QComboBox>
#include <QFormLayout>
#include <QLineEdit>

#include "frame/localtext.h"
#include "frame/localtextvalidator.h"

namespace {

QString Field(const CellObj &cell, int field)
{
    return fromLocal(cell.get(field));
}

enum class Control { None, Text, Password, List, DynamicList };

Control ControlFor(const CellObj &cell, CPropertyForm::Rows rows)
{
    const QString type = Field(cell, CellObj::ControlType);
    if (rows == CPropertyForm::Rows::Monitor) {
        if (Field(cell, CellObj::IsDynamicListProperty) == QLatin1String("true"))
            return Control::DynamicList;
        if (type == QLatin1String("10") || type == QLatin1String("30"))
            return Control::Text;
        return type == QLatin1String("11") ? Control::Password : Control::None;
    }
    if (Field(cell, CellObj::IsDynamicListProperty) == QLatin1String("true"))
        return type == QLatin1String("11") ? Control::Password : Control::Text;
    if (type == QLatin1String("10"))
        return Control::Text;
    if (type == QLatin1String("11"))
        return Control::Password;
    if (type == QLatin1String("30") && Field(cell, CellObj::ControlName) != QLatin1String("DependScondition"))
        return Control::List;
    return Control::None;
}

} // namespace

CPropertyForm::CPropertyForm(QWidget *parent) : QScrollArea(parent)
{
    setWidgetResizable(true);
    setMinimumHeight(160);
}

void CPropertyForm::Build(const std::vector<CellObj> &cells, Rows rows, const InitialValue &initial,
                          const OptionList &options, const ByteLimit &limit)
{
    m_rows.clear();
    m_panel = new QWidget;
    m_layout = new QFormLayout(m_panel);
    m_layout->setVerticalSpacing(16);
    QLineEdit *firstEdit = nullptr;
    for (const CellObj &cell : cells) {
        const Control control = ControlFor(cell, rows);
        if (control == Control::None)
            continue;
        Row row{Field(cell, CellObj::ControlName), Field(cell, CellObj::ShowText),
                limit(Field(cell, CellObj::ControlName))};
        const QString value = initial(cell);
        QWidget *widget = nullptr;
        if (control == Control::List) {
            row.list = new QComboBox(m_panel);
            row.list->setMaxVisibleItems(6);
            for (const auto &option : options(Field(cell, CellObj::LibraryId)))
                row.list->addItem(option.text, option.value);
            const int chosen = row.list->findData(value);
            row.list->setCurrentIndex(chosen >= 0 ? chosen : (row.list->count() > 0 ? 0 : -1));
            widget = row.list;
        } else if (control == Control::DynamicList) {
            row.list = new QComboBox(m_panel);
            const QStringList entries = m_dynamicList ? m_dynamicList() : QStringList();
            for (const QString &entry : entries)
                row.list->addItem(entry, entry);
            if (!value.isEmpty() && !entries.contains(value))
                row.list->insertItem(0, value, value);
            row.list->setCurrentIndex(row.list->findData(value) >= 0 ? row.list->findData(value) : (row.list->count() > 0 ? 0 : -1));
            widget = row.list;
        } else {
            row.edit = new QLineEdit(value, m_panel);
            if (control == Control::Password)
                row.edit->setEchoMode(QLineEdit::Password);
            CLocalTextValidator::limit(row.edit, row.maxBytes);
            if (Field(cell, CellObj::IsReadOnly) == QLatin1String("true"))
                row.edit->setReadOnly(true);
            if (!firstEdit)
                firstEdit = row.edit;
            widget = row.edit;
        }
        widget->setObjectName(row.controlName);
        widget->setToolTip(Field(cell, CellObj::Description));
        m_layout->addRow(row.caption, widget);
        m_rows.push_back(row);
    }
    setWidget(m_panel);
    if (firstEdit)
        firstEdit->setFocus();
}

QLineEdit *CPropertyForm::Edit(const QString &controlName) const
{
    for (const Row &row : m_rows)
        if (row.controlName == controlName)
            return row.edit;
    return nullptr;
}

QComboBox *CPropertyForm::List(const QString &controlName) const
{
    for (const Row &row : m_rows)
        if (row.controlName == controlName)
            return row.list;
    return nullptr;
}

std::vector<std::pair<QString, QString>> CPropertyForm::Values() const
{
    std::vector<std::pair<QString, QString>> values;
    values.reserve(m_rows.size());
    for (const Row &row : m_rows)
        values.emplace_back(row.controlName, row.edit ? row.edit->text() : row.list->currentData().toString());
    return values;
}

QString CPropertyForm::Check() const
{
    for (const Row &row : m_rows)
        if (row.edit && !CLocalTextValidator::fits(row.edit->text(), row.maxBytes))
            return row.caption + QStringLiteral(": ") + CLocalTextValidator::tooLongMessage(row.maxBytes);
    return {};
}
