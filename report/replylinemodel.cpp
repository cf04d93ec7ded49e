#include "report/replylinemodel.h"

#include <cstring>

#include "report/reportdata.h"

CReplyLineModel::CReplyLineModel(QObject *parent) : QAbstractListModel(parent) {}

void CReplyLineModel::SetReport(const CReportData *data)
{
    beginResetModel();
    m_data = data;
    m_lineStart.clear();
    if (data) {
        const QByteArrayView text = data->Text();
        const char *base = text.data();
        const char *end = base + text.size();
        m_lineStart.reserve(size_t(data->LineCount() + data->IgnoredLines() + 1));
        for (const char *pos = base; pos < end;) {
            m_lineStart.push_back(uint32_t(pos - base));
            const char *newline = static_cast<const char *>(std::memchr(pos, '\n', size_t(end - pos)));
            pos = newline ? newline + 1 : end;
        }
    }
    endResetModel();
}

int CReplyLineModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_lineStart.size());
}

QVariant CReplyLineModel::data(const QModelIndex &index, int role) const
{
    if (role != Qt::DisplayRole || !m_data || !checkIndex(index, CheckIndexOption::IndexIsValid))
        return QVariant();
    const QByteArrayView text = m_data->Text();
    const size_t row = size_t(index.row());
    const qsizetype begin = m_lineStart[row];
    qsizetype end = row + 1 < m_lineStart.size() ? qsizetype(m_lineStart[row + 1]) : text.size();
    while (end > begin && (text[end - 1] == '\n' || text[end - 1] == '\r'))
        --end;
    return CReportData::Decode(text.sliced(begin, end - begin));
}
