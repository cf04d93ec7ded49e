#pragma once

#include <QAbstractListModel>
#include <QStringList>

// The right side of PerfDesk: a title and the status lines of the chosen
// watch type, shown as received.
class CStatusListModel : public QAbstractListModel
{
    Q_OBJECT
    Q_PROPERTY(QString title READ Title NOTIFY TitleChanged)

public:
    explicit CStatusListModel(QObject *parent = nullptr);

    QString Title() const { return m_title; }
    const QStringList &Lines() const { return m_lines; }
    // A new title with no lines.
    void Reset(const QString &title);
    void SetLines(const QStringList &lines);

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

signals:
    void TitleChanged(const QString &title);

private:
    QString m_title;
    QStringList m_lines;
};
