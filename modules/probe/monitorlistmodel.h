#pragma once

#include <memory>

#include <QAbstractTableModel>

class CMonitorLibrary;
class ElementObj;
class MtxArray;

// The monitors of the selected device, as "findElementArray" lists them:
// name, kind, state and the time of the last check.
class CMonitorListModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column { Name, Kind, State, LastMonitorTime, ColumnCount };
    // LastState as a number (any column), invalid when it is not one.
    static constexpr int StateRole = Qt::UserRole + 1;

    explicit CMonitorListModel(QObject *parent = nullptr);
    ~CMonitorListModel() override;

    // Kind names come from library (may be null: the kind's Id is shown).
    void SetLibrary(const CMonitorLibrary *library) { m_library = library; }
    void SetMonitors(std::unique_ptr<MtxArray> monitors);
    void Clear();
    // The monitor of row, or null.
    const ElementObj *Element(int row) const;

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    std::unique_ptr<MtxArray> m_monitors;
    const CMonitorLibrary *m_library = nullptr;
};
