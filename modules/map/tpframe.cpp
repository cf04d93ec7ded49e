#include "modules/map/tpframe.h"

#include <QScrollArea>
#include <QScrollBar>
#include <QSplitter>

#include "frame/procommands.h"
#include "modules/map/cellimagedialog.h"
#include "modules/map/cellview.h"
#include "modules/map/downview.h"
#include "modules/map/tpdoc.h"
#include "modules/map/tpview.h"

namespace {
constexpr int PictureShare = 4;
constexpr int DataShare = 1;
}

CTPFrame::CTPFrame(CTPDoc *document)
    : CProChildFrame(document)
    , m_doc(document)
    , m_splitter(new QSplitter(Qt::Vertical, this))
    , m_scroll(new QScrollArea(m_splitter))
    , m_down(new CDownview(m_splitter))
    , m_view(new CTPView(document, m_down))
{
    setWindowTitle(QStringLiteral("TP"));
    m_scroll->setWidget(m_view);
    m_scroll->setWidgetResizable(false);
    m_scroll->setBackgroundRole(QPalette::Dark);
    m_splitter->setStretchFactor(0, PictureShare);
    m_splitter->setStretchFactor(1, DataShare);
    m_splitter->setSizes({PictureShare * 1000, DataShare * 1000});
    setWidget(m_splitter);
    document->SetWindow(this);

    const auto loaded = [this] { return m_doc->IsLoaded(); };
    AddCommand(BrowseMode, QStringLiteral("浏览"), QStyle::SP_ArrowRight, [this] { m_view->Notify(0, nullptr); });
    AddCommand(DrawMode, QStringLiteral("绘制元件"), QStyle::SP_FileDialogNewFolder,
               [this] { m_view->Notify(1, nullptr); }, loaded);
    AddCommand(ArrangeMode, QStringLiteral("移动元件"), QStyle::SP_TitleBarNormalButton, [this] { m_view->Notify(2, nullptr); },
               loaded);
    AddCommand(TopPicture, QStringLiteral("顶层拓扑图"), QStyle::SP_DirHomeIcon, [this] { m_doc->OpenTop(); });
    AddCommand(BackPicture, QStringLiteral("返回"), QStyle::SP_ArrowBack, [this] { m_doc->GoBack(); },
               [this] { return m_doc->CanGoBack(); });
    AddCommand(SavePicture, QStringLiteral("保存"), QStyle::SP_DialogSaveButton,
               [this] { m_view->Notify(CCellView::SavePicture, nullptr); }, loaded);
    AddCommand(ZoomIn, QStringLiteral("放大"), QStyle::SP_ArrowUp, [this] { m_doc->ZoomIn(); },
               [this] { return m_doc->ZoomSteps() < CTPDoc::MaxZoomSteps; });
    AddCommand(ZoomOut, QStringLiteral("缩小"), QStyle::SP_ArrowDown, [this] { m_doc->ZoomOut(); },
               [this] { return m_doc->ZoomSteps() > CTPDoc::MinZoomSteps; });
    AddCommand(ZoomReset, QStringLiteral("原始大小"), QStyle::SP_TitleBarMaxButton, [this] { m_doc->ZoomReset(); });
    AddCommand(ReloadPicture, QStringLiteral("刷新"), QStyle::SP_BrowserReload, [this] { m_doc->Reload(); });
    AddCommand(CellImages, QStringLiteral("元件图片..."), QStyle::SP_FileDialogDetailedView, [this] { ShowCellImages(); });
    for (MapCommand mode : {BrowseMode, DrawMode, ArrangeMode})
        Command(mode)->setCheckable(true);
    // Names the demo tour finds the drawing mode and the cells by.
    Command(DrawMode)->setObjectName(QStringLiteral("TPDrawMode"));
    Command(BrowseMode)->setChecked(true);
    SetToolBarCommands({BrowseMode, DrawMode, ArrangeMode, Separator, TopPicture, BackPicture, SavePicture, Separator,
                        ZoomIn, ZoomOut, ZoomReset, Separator, ProCommand::CloseDocument});
    AddMenu(QStringLiteral("拓扑(&T)"), {TopPicture, BackPicture, ReloadPicture, SavePicture, Separator, BrowseMode,
                                         DrawMode, ArrangeMode, CellImages, Separator, ProCommand::CloseDocument});
    AddMenu(QStringLiteral("视图(&V)"), {ZoomIn, ZoomOut, ZoomReset});

    connect(document, &CTPDoc::editModeChanged, this, [this](int mode) {
        Command(BrowseMode)->setChecked(mode == CTPDoc::BrowseMode);
        Command(DrawMode)->setChecked(mode == CTPDoc::DrawMode);
        Command(ArrangeMode)->setChecked(mode == CTPDoc::ArrangeMode);
    });
    connect(document, &CTPDoc::pictureOpened, this, [this] {
        const QString name = m_doc->Background();
        setWindowTitle(m_doc->IsLoaded() ? name : name + QStringLiteral(" (没有读取成功)"));
        m_scroll->horizontalScrollBar()->setValue(0);
        m_scroll->verticalScrollBar()->setValue(0);
        UpdateCommands();
    });
    connect(document, &CTPDoc::zoomChanged, this, [this] { UpdateCommands(); });
    connect(m_view, &CTPView::parentCommand, this, [this](int code) { OnCommand(code); });
    connect(m_view, &CTPView::scrollTo, this, [this](CCellView *cell) { m_scroll->ensureWidgetVisible(cell); });
}

void CTPFrame::showEvent(QShowEvent *event)
{
    CProChildFrame::showEvent(event);
    if (!m_opened) {
        m_opened = true;
        m_doc->OpenPicture(QString::fromUtf8(CTPDoc::TopBackground), QString::fromLatin1(CTPDoc::TopPid));
    }
}

void CTPFrame::ShowCellImages()
{
    CTPCell *cell = m_view->Selected() ? m_view->Selected()->Cell() : nullptr;
    CCellImageDialog dialog(cell ? cell->m_kind : 0, this);
    dialog.exec();
}
