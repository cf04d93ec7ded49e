#include "modules/alarm/alerteditorpanel.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPainter>
#include <QToolButton>

#include "frame/localtext.h"
#include "frame/localtextvalidator.h"

namespace {

constexpr int FontPixels = 12;
constexpr int LineRight = 800;
constexpr int Margin = 20;
const QRect NameRect(QPoint(0, 20), QPoint(399, 39));
const QRect LevelRect(0, 250, 100, 24);
const char *const Levels[] = {"危险级别", "错误级别"};

// The count boxes of the first three send rules: left and right edges
// relative to the button's left edge.
struct CountBox
{
    int left;
    int right;
};
const QList<QList<CountBox>> CountBoxes = {{{90, 150}}, {{100, 160}}, {{46, 106}, {316, 376}}};

// The fixed phrases on the line of the count boxes: x relative to the button.
struct Phrase
{
    int x;
    const char *text;
};
const QList<QList<Phrase>> Phrases = {
    {{20, "总是发送,从"}, {156, "次符合报警发送条件开始"}},
    {{20, "发送一次,当第"}, {160, "次符合报警发送条件发送报警"}},
    {{20, "当第"}, {110, "次符合报警发送条件时极其以后每重复"}, {380, "次时发送报警"}},
};

// Draws the panel's texts; the controls lie on it.
class Canvas : public QWidget
{
public:
    explicit Canvas(const CAlertEditorPanel &panel) : m_panel(panel) {}

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        m_panel.Paint(painter);
    }

private:
    const CAlertEditorPanel &m_panel;
};

QString Local(const std::string &text)
{
    return fromLocal(text);
}

bool IsCount(const QString &text)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    return ok && value >= 1 && value <= CAlertEditorPanel::MaxCount;
}

} // namespace

CAlertEditorPanel::CAlertEditorPanel(QWidget *parent) : QScrollArea(parent), m_canvas(new Canvas(*this))
{
    QFont font = m_canvas->font();
    font.setPixelSize(FontPixels);
    font.setWeight(QFont::Normal);
    m_canvas->setFont(font);
    setWidget(m_canvas);
    setWidgetResizable(false);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setFrameShape(QFrame::NoFrame);
    // A button that is on shows plainly as on.
    m_canvas->setStyleSheet(QStringLiteral("QToolButton { border: 1px solid #808080; background: white; }"
                                           "QToolButton:checked { background: #2a6fc9; }"));
}

CAlertEditorPanel::~CAlertEditorPanel() = default;

void CAlertEditorPanel::Build()
{
    using namespace AlertLayout;
    const Result types = Read(PathOf(AlertTypeFile), QStringLiteral("AlertType"));
    const Result sendRules = Read(PathOf(SendRuleFile), QStringLiteral("SendRule"));
    const Result parameters = Read(PathOf(ParameterFile), QStringLiteral("AlertType"));
    Build(types.entries, sendRules.entries, parameters.entries);
    for (const Result *result : {&types, &sendRules, &parameters}) {
        if (!result->warning.isEmpty())
            m_warnings.append(result->warning);
    }
}

void CAlertEditorPanel::Clear()
{
    for (QWidget *child : m_canvas->findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
        delete child;
    m_warnings.clear();
    m_typeButtons.clear();
    m_sendButtons.clear();
    m_countEdits.clear();
    m_parameterEntries.clear();
    m_parameterEdits.clear();
    m_type = m_send = m_loadedType = -1;
    m_shownTypeId = NoType;
    m_loadedParameters.clear();
    m_storedLevel.clear();
    m_levelPicked = true;
}

QLineEdit *CAlertEditorPanel::MakeEdit(const QRect &rect, int maxBytes)
{
    auto *edit = new QLineEdit(m_canvas);
    edit->setGeometry(rect);
    CLocalTextValidator::limit(edit, maxBytes);
    edit->show();
    return edit;
}

void CAlertEditorPanel::Build(const QList<CLayoutEntry> &types, const QList<CLayoutEntry> &sendRules,
                              const QList<CLayoutEntry> &parameters)
{
    Clear();
    m_typeEntries = types;
    m_sendEntries = sendRules;
    // Parameter boxes are of alert types; entries without a ParentId are not.
    m_allParameters.clear();
    for (const CLayoutEntry &entry : parameters) {
        if (entry.parentId != 0)
            m_allParameters.append(entry);
    }
    m_typeButtons = MakeButtons(types, true);
    m_sendButtons = MakeButtons(sendRules, false);

    m_name = MakeEdit(NameRect, NameBytes);
    m_name->setObjectName(QStringLiteral("RuleName"));
    MakeCountBoxes();

    m_level = new QComboBox(m_canvas);
    m_level->setObjectName(QString::number(LevelListId));
    m_level->setGeometry(LevelRect);
    for (const char *level : Levels)
        m_level->addItem(QString::fromUtf8(level));
    m_level->setCurrentIndex(0);
    m_level->show();
    connect(m_level, &QComboBox::activated, this, [this] { m_levelPicked = true; });

    // The buttons that start on give the first recorded choices.
    for (QList<QAbstractButton *> *group : {&m_typeButtons, &m_sendButtons}) {
        for (int index = 0; index < group->size(); ++index) {
            if (group->at(index)->isChecked()) {
                Choose(*group, index, true);
                break;
            }
        }
    }
    if (m_type < 0)
        ShowParameters(AlertLayout::FirstAlertTypeId);
    UpdateCanvasSize();
}

QList<QAbstractButton *> CAlertEditorPanel::MakeButtons(const QList<CLayoutEntry> &entries, bool isType)
{
    QList<QAbstractButton *> buttons;
    for (const CLayoutEntry &entry : entries) {
        auto *button = new QToolButton(m_canvas);
        button->setCheckable(true);
        button->setChecked(entry.on);
        button->setGeometry(entry.rect);
        button->setObjectName(QString::number(entry.id));
        button->setToolTip(entry.name);
        button->setAccessibleName(entry.name);
        button->show();
        const int index = int(buttons.size());
        connect(button, &QAbstractButton::clicked, this, [this, index, isType](bool on) {
            Choose(isType ? m_typeButtons : m_sendButtons, index, on);
        });
        buttons.append(button);
    }
    return buttons;
}

void CAlertEditorPanel::MakeCountBoxes()
{
    for (int index = 0; index < m_sendButtons.size() && index < SendRulesWithCounts; ++index) {
        const QRect button = m_sendEntries[index].rect;
        QList<QLineEdit *> boxes;
        for (const CountBox &box : CountBoxes[index]) {
            const QRect rect(QPoint(button.left() + box.left, button.top() + Margin),
                             QPoint(button.left() + box.right - 1, button.bottom() + Margin));
            boxes.append(MakeEdit(rect, index == 2 && !boxes.isEmpty() ? SecondCountBytes : ValueBytes));
        }
        m_countEdits.append(boxes);
    }
}

QList<QLineEdit *> CAlertEditorPanel::CountEdits(int index) const
{
    return m_countEdits.value(index);
}

void CAlertEditorPanel::Choose(QList<QAbstractButton *> &group, int index, bool select)
{
    QAbstractButton *button = group.value(index);
    if (!button)
        return;
    button->setChecked(select);
    const bool isType = &group == &m_typeButtons;
    (isType ? m_type : m_send) = index;
    if (select) {
        for (QAbstractButton *other : group) {
            if (other != button)
                other->setChecked(false);
        }
    }
    if (isType)
        ShowParameters(m_typeEntries[index].id);
}

void CAlertEditorPanel::ShowParameters(int typeId)
{
    // The boxes of the type shown stay with what was typed in them.
    if (typeId == m_shownTypeId)
        return;
    m_shownTypeId = typeId;
    qDeleteAll(m_parameterEdits);
    m_parameterEdits.clear();
    m_parameterEntries.clear();
    for (const CLayoutEntry &entry : std::as_const(m_allParameters)) {
        if (entry.parentId != typeId)
            continue;
        QLineEdit *edit = MakeEdit(entry.rect, ValueBytes);
        edit->setObjectName(entry.paraName);
        if (entry.password)
            edit->setEchoMode(QLineEdit::Password);
        m_parameterEdits.append(edit);
        m_parameterEntries.append(entry);
    }
    UpdateCanvasSize();
    m_canvas->update();
}

void CAlertEditorPanel::UpdateCanvasSize()
{
    QRect content = NameRect.united(LevelRect);
    for (const QWidget *child : m_canvas->findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
        content = content.united(child->geometry());
    content.setRight(qMax(content.right(), LineRight));
    m_canvas->resize(content.right() + Margin, content.bottom() + Margin);
}

void CAlertEditorPanel::Load(const CRuleRecords &records)
{
    m_name->setText(Local(records.rule.get(AlertRuleObj::RuleName)));

    const QString level = Local(records.parameter.get(AlertRuleParameterObj::AlertLevel));
    bool isNumber = false;
    const int levelIndex = level.toInt(&isNumber);
    m_levelPicked = isNumber && levelIndex >= 0 && levelIndex < m_level->count();
    // A level outside the list keeps its text unless the user picks one.
    m_level->setCurrentIndex(m_levelPicked ? levelIndex : -1);
    m_storedLevel = m_levelPicked ? QString() : level;

    bool ok = false;
    const int type = Local(records.parameter.get(AlertRuleParameterObj::RuleType)).toInt(&ok);
    if (ok && type >= 0 && type < m_typeButtons.size())
        Choose(m_typeButtons, type, true);
    m_loadedType = m_type;
    const int send = Local(records.parameter.get(AlertRuleParameterObj::SendType)).toInt(&ok);
    if (ok && send >= 0 && send < m_sendButtons.size())
        Choose(m_sendButtons, send, true);

    const QString value = Local(records.send.get(AlertSendTypeParameterObj::ParaValue));
    const QList<QLineEdit *> boxes = CountEdits(m_send);
    if (m_send == 2 && boxes.size() == 2) {
        const qsizetype bar = value.indexOf(QLatin1Char('|'));
        boxes[0]->setText(bar < 0 ? value : value.left(bar));
        const QString second = bar < 0 ? QString() : value.mid(bar + 1);
        const auto bytes = toLocal(second).size();
        if (bytes >= 1 && bytes <= SecondCountBytes)
            boxes[1]->setText(second);
    } else if (!boxes.isEmpty()) {
        boxes[0]->setText(value);
    }

    m_loadedParameters = records.typeParameters;
    for (const AlertRuleTypeParameterObj &stored : records.typeParameters) {
        const QString name = Local(stored.get(AlertRuleTypeParameterObj::ParaName));
        for (int box = 0; box < m_parameterEntries.size(); ++box) {
            if (m_parameterEntries[box].paraName == name) {
                m_parameterEdits[box]->setText(Local(stored.get(AlertRuleTypeParameterObj::ParaValue)));
                break;
            }
        }
    }
}

QString CAlertEditorPanel::Check() const
{
    const QString name = m_name->text().trimmed();
    if (name.isEmpty())
        return QStringLiteral("请输入报警规则名称!");
    if (!CLocalTextValidator::fits(name, NameBytes))
        return QStringLiteral("报警规则名称太长: ") + CLocalTextValidator::tooLongMessage(NameBytes);
    if (m_type < 0)
        return QStringLiteral("请选择报警方式!");
    if (m_send < 0)
        return QStringLiteral("请选择发送规则!");
    for (const QLineEdit *box : CountEdits(m_send)) {
        if (!IsCount(box->text()))
            return QStringLiteral("发送规则的次数必须是1到%1之间的整数!").arg(MaxCount);
    }
    for (int box = 0; box < m_parameterEdits.size(); ++box) {
        if (!CLocalTextValidator::fits(m_parameterEdits[box]->text(), ValueBytes))
            return m_parameterEntries[box].name + QStringLiteral(": ") + CLocalTextValidator::tooLongMessage(ValueBytes);
    }
    return {};
}

void CAlertEditorPanel::Save(CRuleRecords &records) const
{
    records.rule.set(AlertRuleObj::RuleName, toLocal(m_name->text().trimmed()));
    AlertRuleParameterObj &parameter = records.parameter;
    parameter.set(AlertRuleParameterObj::RuleType, std::to_string(m_type));
    parameter.set(AlertRuleParameterObj::SendType, std::to_string(m_send));
    parameter.setTruncated(AlertRuleParameterObj::AlertLevel,
                           m_levelPicked ? std::to_string(m_level->currentIndex()) : toLocal(m_storedLevel));
    parameter.set(AlertRuleParameterObj::Enabled, "1");

    QStringList counts;
    for (const QLineEdit *box : CountEdits(m_send))
        counts.append(box->text().trimmed());
    records.send = AlertSendTypeParameterObj();
    records.send.set(AlertSendTypeParameterObj::ParaName, std::to_string(m_send));
    records.send.setTruncated(AlertSendTypeParameterObj::ParaValue, toLocal(counts.join(QLatin1Char('|'))));

    records.typeParameters.clear();
    QStringList boxNames;
    for (int box = 0; box < m_parameterEdits.size(); ++box) {
        AlertRuleTypeParameterObj typeParameter;
        typeParameter.setTruncated(AlertRuleTypeParameterObj::ParaName, toLocal(m_parameterEntries[box].paraName));
        typeParameter.setTruncated(AlertRuleTypeParameterObj::ParaValue, toLocal(m_parameterEdits[box]->text()));
        records.typeParameters.push_back(typeParameter);
        boxNames.append(m_parameterEntries[box].paraName);
    }
    // Stored parameters that have no box stay while the type is the same.
    if (m_type == m_loadedType) {
        for (const AlertRuleTypeParameterObj &stored : m_loadedParameters) {
            if (!boxNames.contains(Local(stored.get(AlertRuleTypeParameterObj::ParaName))))
                records.typeParameters.push_back(stored);
        }
    }
    records.SetRuleId(records.RuleId());
}

void CAlertEditorPanel::Paint(QPainter &painter) const
{
    painter.setPen(Qt::black);
    painter.setBackgroundMode(Qt::TransparentMode);
    const QFontMetrics metrics(painter.font());
    const auto text = [&](int x, int top, const QString &value) {
        painter.drawText(QPoint(x, top + metrics.ascent()), value);
    };
    text(NameRect.left(), NameRect.top() - 16, QStringLiteral("报警规则名称"));
    if (!m_typeEntries.isEmpty()) {
        text(m_typeEntries.first().rect.left(), m_typeEntries.first().rect.top() - 16, QStringLiteral("报警方式"));
        for (const CLayoutEntry &entry : m_typeEntries)
            text(entry.rect.left() + 20, entry.rect.top(), entry.name);
        const int y = m_typeEntries.last().rect.top() + 20;
        painter.drawLine(0, y, LineRight, y);
    }
    if (!m_sendEntries.isEmpty()) {
        text(m_sendEntries.first().rect.left(), m_sendEntries.first().rect.top() - 16, QStringLiteral("发送规则"));
        for (int index = 0; index < m_sendEntries.size(); ++index) {
            const QRect rect = m_sendEntries[index].rect;
            text(rect.left() + 20, rect.top(), m_sendEntries[index].name);
            for (const Phrase &phrase : Phrases.value(index))
                text(rect.left() + phrase.x, rect.top() + Margin, QString::fromUtf8(phrase.text));
        }
        const int y = m_sendEntries.last().rect.top() + 50;
        painter.drawLine(0, y, LineRight, y);
    }
    for (const CLayoutEntry &entry : m_parameterEntries)
        text(entry.rect.left(), entry.rect.top() - 20, entry.name);
}
