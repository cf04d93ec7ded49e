#include "modules/alarm/alertframe.h"

#include <QDir>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QSplitter>
#include <QTreeView>
#include <QVBoxLayout>

#include "frame/elementtree/iconlist.h"
#include "frame/installroot.h"
#include "frame/procommands.h"
#include "modules/alarm/alertdoc.h"
#include "modules/alarm/rulelistdelegate.h"

namespace {

constexpr int LeftShare = 260;
constexpr int RightShare = 740;
constexpr int BandHeight = 20;
constexpr int DetailHeight = 110; // the six lines of the detail view
const char *const TypeNames[] = {"Mail报警", "声音报警", "脚本报警", "短信报警"};

} // namespace

CAlertFrame::CAlertFrame(CAlertDoc *document)
    : CProChildFrame(document)
    , m_doc(document)
    , m_typeTree(new QTreeView)
    , m_list(new QListView)
    , m_detail(new QPlainTextEdit)
{
    setWindowTitle(QStringLiteral("Alert"));
    document->SetWindow(this);
    BuildTypes();

    auto *right = new QSplitter(Qt::Vertical);
    right->addWidget(MakeListPane());
    right->addWidget(m_detail);
    right->setStretchFactor(0, 1);
    right->setSizes({DetailHeight * 8, DetailHeight});
    m_detail->setReadOnly(true);
    auto *splitter = new QSplitter(Qt::Horizontal, this);
    splitter->addWidget(m_typeTree);
    splitter->addWidget(right);
    splitter->setStretchFactor(0, LeftShare);
    splitter->setStretchFactor(1, RightShare);
    splitter->setSizes({LeftShare, RightShare});
    setWidget(splitter);

    const auto selected = [this] { return m_doc->HasSelection(); };
    const auto loaded = [this] { return m_doc->HasSelection() && m_doc->IsLoaded(); };
    AddCommand(NewRule, QStringLiteral("添加报警"), QStyle::SP_FileIcon, [this] { Run(&CAlertDoc::NewRule); });
    AddCommand(EditRule, QStringLiteral("编    辑"), QStyle::SP_FileDialogDetailedView,
               [this] { Run(&CAlertDoc::EditRule); }, loaded);
    AddCommand(DeleteRule, QStringLiteral("删    除"), QStyle::SP_TrashIcon, [this] { Run(&CAlertDoc::DeleteRule); },
               selected);
    AddCommand(SwitchOn, QStringLiteral("启    用"), QStyle::SP_MediaPlay, [this] { Switch(true); }, loaded);
    AddCommand(SwitchOff, QStringLiteral("停    止"), QStyle::SP_MediaStop, [this] { Switch(false); }, loaded);
    AddCommand(ShowLog, QStringLiteral("报警日志"), QStyle::SP_FileDialogContentsView, [this] { m_doc->ShowLog(); },
               loaded);
    AddCommand(Refresh, QStringLiteral("刷    新"), QStyle::SP_BrowserReload, [this] {
        m_doc->Refresh();
        ShowRules();
    });
    SetToolBarCommands({NewRule, EditRule, DeleteRule, SwitchOn, SwitchOff, ShowLog, Refresh,
                        ProCommand::CloseDocument});
    AddMenu(QStringLiteral("Alert"), {NewRule, EditRule, DeleteRule, SwitchOn, SwitchOff, ShowLog, Separator, Refresh,
                                      Separator, ProCommand::CloseDocument});

    connect(m_typeTree, &QTreeView::clicked, this, &CAlertFrame::ChooseType);
    connect(m_list, &QListView::clicked, this, &CAlertFrame::ChooseRule);
    m_typeTree->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_typeTree, &QWidget::customContextMenuRequested, this, [this](const QPoint &at) {
        QMenu menu;
        menu.addAction(Command(NewRule));
        menu.addAction(Command(Refresh));
        menu.exec(m_typeTree->viewport()->mapToGlobal(at));
    });
    m_list->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_list, &QWidget::customContextMenuRequested, this, [this](const QPoint &at) {
        const QModelIndex index = m_list->indexAt(at);
        if (index.isValid() && m_list->currentIndex() != index) {
            m_list->setCurrentIndex(index);
            ChooseRule(index);
        }
        UpdateCommands();
        QMenu menu;
        for (int command : {NewRule, EditRule, DeleteRule, SwitchOn, SwitchOff, ShowLog})
            menu.addAction(Command(command));
        menu.exec(m_list->viewport()->mapToGlobal(at));
    });
}

void CAlertFrame::BuildTypes()
{
    const auto icons = CIconList::Load(QDir::current().filePath(QStringLiteral("MTree.ini")));
    auto *root = new QStandardItem(QStringLiteral("报警类型"));
    root->setData(RootData, TypeRole);
    root->setIcon(icons->Icon(0));
    for (int type = 0; type < int(std::size(TypeNames)); ++type) {
        auto *item = new QStandardItem(QString::fromUtf8(TypeNames[type]));
        item->setData(type, TypeRole);
        item->setIcon(icons->Icon(type + 1));
        item->setEditable(false);
        root->appendRow(item);
    }
    root->setEditable(false);
    m_types.appendRow(root);
    m_typeTree->setModel(&m_types);
    m_typeTree->setHeaderHidden(true);
    m_typeTree->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_typeTree->expandAll();
}

QWidget *CAlertFrame::MakeListPane()
{
    auto *pane = new QWidget;
    auto *band = new QLabel(pane);
    band->setFixedHeight(BandHeight);
    const QPixmap top(InstallRoot::FilePath(QStringLiteral("alerttop.bmp")));
    if (!top.isNull())
        band->setPixmap(top);
    m_list->setObjectName(QStringLiteral("RuleList"));
    m_list->setModel(&m_doc->Rules());
    m_list->setItemDelegate(new CRuleListDelegate(m_list));
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setSpacing(0);
    auto *layout = new QVBoxLayout(pane);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(band);
    layout->addWidget(m_list);
    return pane;
}

void CAlertFrame::showEvent(QShowEvent *event)
{
    CProChildFrame::showEvent(event);
    if (!m_loaded) {
        m_loaded = true;
        m_doc->FetchRules(CAlertDoc::AllTypes);
        ShowRules();
    }
}

void CAlertFrame::ChooseType(const QModelIndex &index)
{
    if (!index.isValid())
        return;
    const int data = index.data(TypeRole).toInt();
    m_doc->FetchRules(data == RootData ? CAlertDoc::AllTypes : data);
    ShowRules();
}

void CAlertFrame::ChooseRule(const QModelIndex &index)
{
    if (!index.isValid())
        return;
    m_doc->SelectRule(index.row());
    ShowDetail();
    UpdateCommands();
}

void CAlertFrame::Run(bool (CAlertDoc::*command)())
{
    (m_doc->*command)();
    ShowRules();
}

void CAlertFrame::Switch(bool on)
{
    m_doc->SwitchRule(on);
    ShowRules();
}

// The list as the document holds it, with the selected rule marked.
void CAlertFrame::ShowRules()
{
    const int row = m_doc->Rules().RowOf(m_doc->SelectedId());
    m_list->setCurrentIndex(row >= 0 ? m_doc->Rules().index(row) : QModelIndex());
    ShowDetail();
    UpdateCommands();
}

void CAlertFrame::ShowDetail()
{
    m_detail->setPlainText(m_doc->HasSelection() ? m_doc->DetailText() : QString());
}
