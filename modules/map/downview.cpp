#include "modules/map/downview.h"

#include <QHeaderView>
#include <QLabel>
#include <QTreeView>
#include <QVBoxLayout>

#include "frame/localtext.h"
#include "services/types/elementobj.h"

CDownview::CDownview(QWidget *parent) : QWidget(parent), m_title(new QLabel(this)), m_view(new QTreeView(this))
{
    m_view->setModel(&m_model);
    m_view->setRootIsDecorated(false);
    m_view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(m_title);
    layout->addWidget(m_view);
    Clear();
}

QString CDownview::StateText(const std::string &state)
{
    if (state == "0")
        return QStringLiteral("正常");
    if (state == "1")
        return QStringLiteral("危险");
    if (state == "2")
        return QStringLiteral("错误");
    return QStringLiteral("未知");
}

void CDownview::Clear()
{
    m_model.clear();
    m_model.setHorizontalHeaderLabels({QStringLiteral("检测"), QStringLiteral("状态"), QStringLiteral("最后检测时间")});
    m_title->setText(QStringLiteral("检测数据：在浏览状态下右击元件，选择“检测数据”"));
}

void CDownview::Show(const ElementObj &element, const std::vector<ElementObj> &monitors)
{
    Clear();
    m_title->setText(QStringLiteral("%1：%2").arg(fromLocal(element.get(ElementObj::Text)),
                                                  StateText(element.get(ElementObj::LastState))));
    for (const ElementObj &monitor : monitors) {
        m_model.appendRow({new QStandardItem(fromLocal(monitor.get(ElementObj::Text))),
                           new QStandardItem(StateText(monitor.get(ElementObj::LastState))),
                           new QStandardItem(fromLocal(monitor.get(ElementObj::LastMonitorTime)))});
    }
    m_view->header()->resizeSections(QHeaderView::ResizeToContents);
}

QString CDownview::Title() const
{
    return m_title->text();
}
