#include "modules/map/cellpropertydialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QListWidget>

#include "frame/localtextvalidator.h"
#include "modules/map/picturefiles.h"
#include "modules/map/tpcell.h"

namespace {
const QString NoImage = QStringLiteral("(无下级图)");
}

CCellPropertyDialog::CCellPropertyDialog(int kind, const QString &image, QWidget *parent)
    : CCheckedDialog(parent), m_kind(MakeKindBox(kind)), m_images(new QListWidget(this))
{
    setWindowTitle(QStringLiteral("下级属性"));
    m_images->addItem(NoImage);
    m_images->addItems(PictureFiles::ImageNames(PictureFiles::UserImageFolder));
    if (!SelectImage(image))
        m_images->setCurrentRow(0);

    QDialogButtonBox *buttons = MakeButtons();
    auto *layout = new QFormLayout(this);
    layout->addRow(QStringLiteral("元件类型"), m_kind);
    layout->addRow(QStringLiteral("下级图背景"), m_images);
    layout->addRow(buttons);
}

int CCellPropertyDialog::Kind() const
{
    return m_kind->currentData().toInt();
}

QString CCellPropertyDialog::Image() const
{
    const QListWidgetItem *item = m_images->currentItem();
    return !item || m_images->currentRow() == 0 ? QString() : item->text();
}

bool CCellPropertyDialog::SelectImage(const QString &name)
{
    if (name.isEmpty())
        return false;
    const auto found = m_images->findItems(name, Qt::MatchExactly);
    if (found.isEmpty() || m_images->row(found.first()) == 0)
        return false;
    m_images->setCurrentItem(found.first());
    return true;
}

QString CCellPropertyDialog::Check() const
{
    const QString image = Image();
    if (image.isEmpty())
        return {};
    if (!PictureFiles::IsPlainName(image))
        return QStringLiteral("“%1”不是 UserImage 目录中的文件名").arg(image);
    if (!CLocalTextValidator::fits(image, ImageFieldBytes))
        return CLocalTextValidator::tooLongMessage(ImageFieldBytes);
    return {};
}
