#pragma once

#include <QStandardItemModel>
#include <QWidget>

class ElementObj;
class QLabel;
class QTreeView;

// The lower pane: the monitoring data of the element bound to a cell, its
// own state and the state of each of its monitors.
class CDownview : public QWidget
{
    Q_OBJECT

public:
    explicit CDownview(QWidget *parent = nullptr);

    void Show(const ElementObj &element, const std::vector<ElementObj> &monitors);
    void Clear();
    QStandardItemModel &Model() { return m_model; }
    QString Title() const;

    static QString StateText(const std::string &state);

private:
    QStandardItemModel m_model;
    QLabel *m_title;
    QTreeView *m_view;
};
