#include "modules/map/cellimagedialog.h"

#include <algorithm>

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QListWidget>
#include <QSpinBox>

#include "frame/imaging/picture.h"
#include "frame/proapp.h"
#include "modules/map/picturefiles.h"
#include "modules/map/tpcell.h"

namespace {
const QString Suffix = QStringLiteral(".bmp");
constexpr int StatusImages = 6;
constexpr int ControlImages = 2;
const char *const Section = "TP";
const QString BitmapKey = QStringLiteral("CellImage");
const QString CountKey = QStringLiteral("CellImageCount");
}

CCellImageDialog::CCellImageDialog(int kind, QWidget *parent)
    : CCheckedDialog(parent)
    , m_kind(MakeKindBox(kind))
    , m_bitmaps(new QListWidget(this))
    , m_preview(new QLabel(this))
    , m_count(new QSpinBox(this))
{
    setWindowTitle(QStringLiteral("元件图片"));
    for (QString name : PictureFiles::ImageNames(PictureFiles::CellImageFolder, {QStringLiteral("bmp")})) {
        name.chop(Suffix.size());
        m_bitmaps->addItem(name);
    }
    m_preview->setMinimumSize(64, 64);
    m_preview->setAlignment(Qt::AlignCenter);
    m_count->setMinimum(1);
    SetKind(kind);
    RestoreChoice();

    connect(this, &QDialog::accepted, this, &CCellImageDialog::StoreChoice);
    connect(m_kind, &QComboBox::currentIndexChanged, this, [this] { SetKind(m_kind->currentData().toInt()); });
    connect(m_bitmaps, &QListWidget::currentRowChanged, this, &CCellImageDialog::ShowPreview);
    connect(m_count, &QSpinBox::valueChanged, this, [this](int value) { SetCount(value); });

    QDialogButtonBox *buttons = MakeButtons();
    auto *layout = new QFormLayout(this);
    layout->addRow(QStringLiteral("元件类型"), m_kind);
    layout->addRow(QStringLiteral("位图"), m_bitmaps);
    layout->addRow(QStringLiteral("预览"), m_preview);
    layout->addRow(QStringLiteral("图片数"), m_count);
    layout->addRow(buttons);
}

bool CCellImageDialog::SelectBitmap(const QString &name)
{
    const auto found = m_bitmaps->findItems(name, Qt::MatchExactly);
    if (found.isEmpty())
        return false;
    m_bitmaps->setCurrentItem(found.first());
    return true;
}

QString CCellImageDialog::Bitmap() const
{
    const QListWidgetItem *item = m_bitmaps->currentItem();
    return item ? item->text() + Suffix : QString();
}

void CCellImageDialog::SetKind(int kind)
{
    const int index = kind == CTPCell::ControlCell ? 1 : 0;
    if (m_kind->currentIndex() != index)
        m_kind->setCurrentIndex(index);
    const QSignalBlocker quiet(m_count);
    m_count->setMaximum(MaxCount());
    m_shownCount = m_count->value();
}

int CCellImageDialog::MaxCount() const
{
    return m_kind->currentData().toInt() == CTPCell::ControlCell ? ControlImages : StatusImages;
}

bool CCellImageDialog::SetCount(int count)
{
    const QSignalBlocker quiet(m_count);
    if (!m_bitmaps->currentItem()) {
        m_count->setValue(m_shownCount);
        if (CProApp *app = CProApp::instance())
            app->ShowMessage(QStringLiteral("请首先从试图列表中选择一个位图!"));
        return false;
    }
    m_count->setValue(std::clamp(count, 1, MaxCount()));
    m_shownCount = m_count->value();
    return m_shownCount == count;
}

int CCellImageDialog::Count() const
{
    return m_count->value();
}

void CCellImageDialog::ShowPreview()
{
    CPicture picture;
    if (m_bitmaps->currentItem() && picture.Load(PictureFiles::PathOf(PictureFiles::CellImageFolder, Bitmap())))
        m_preview->setPixmap(QPixmap::fromImage(picture.Image()));
    else
        m_preview->clear();
}

// A stored bitmap that is gone leaves nothing chosen; a count beyond the
// kind's bound is cut to it.
void CCellImageDialog::RestoreChoice()
{
    const CProApp *app = CProApp::instance();
    QString name = app ? app->GetProfileString(Section, BitmapKey) : QString();
    if (!name.endsWith(Suffix, Qt::CaseInsensitive))
        return;
    name.chop(Suffix.size());
    if (SelectBitmap(name))
        SetCount(std::clamp(app->GetProfileInt(Section, CountKey, 1), 1, MaxCount()));
}

void CCellImageDialog::StoreChoice() const
{
    if (CProApp *app = CProApp::instance()) {
        app->WriteProfileString(Section, BitmapKey, Bitmap());
        app->WriteProfileInt(Section, CountKey, Count());
    }
}
