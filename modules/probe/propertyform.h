#pragma once

#include <functional>
#include <utility>
#include <vector>

#include <QScrollArea>

#include "modules/probe/entitycatalog.h"

class QComboBox;
class QFormLayout;
class QLineEdit;

// A scrolling panel with one input row per form cell: the property form of a
// device type, or the parameter rows of a monitor kind.
class CPropertyForm : public QScrollArea
{
    Q_OBJECT

public:
    // Which cells get which control:
    // Entity: "10" text, "11" password, "30" drop-down (not "DependScondition"),
    //   a dynamic-list cell a text field (hidden characters for "11");
    // Monitor: "10" and "30" text, "11" password, a dynamic-list cell a
    //   drop-down of the entries the dynamic list gives.
    enum class Rows { Entity, Monitor };
    using InitialValue = std::function<QString(const CellObj &cell)>;
    using OptionList = std::function<std::vector<CEntityCatalog::Option>(const QString &listId)>;
    using ByteLimit = std::function<int(const QString &controlName)>;
    using DynamicList = std::function<QStringList()>;

    explicit CPropertyForm(QWidget *parent = nullptr);

    // Where later Builds take the entries of a dynamic-list cell of monitor
    // rows; the initial value stays the choice when the list lacks it.
    void SetDynamicList(DynamicList list) { m_dynamicList = std::move(list); }

    // Replaces the rows. A drop-down preselects the option whose value is the
    // initial value.
    void Build(const std::vector<CellObj> &cells, Rows rows, const InitialValue &initial,
               const OptionList &options, const ByteLimit &limit);

    int RowCount() const { return int(m_rows.size()); }
    QLineEdit *Edit(const QString &controlName) const;
    QComboBox *List(const QString &controlName) const;
    // (ControlName, value) per row in order; a drop-down gives its option's value.
    std::vector<std::pair<QString, QString>> Values() const;
    // A message naming the first row whose text does not fit its field, or empty.
    QString Check() const;

private:
    struct Row
    {
        QString controlName;
        QString caption;
        int maxBytes;
        QLineEdit *edit = nullptr;
        QComboBox *list = nullptr;
    };

    QWidget *m_panel = nullptr;
    QFormLayout *m_layout = nullptr;
    std::vector<Row> m_rows;
    DynamicList m_dynamicList;
};
