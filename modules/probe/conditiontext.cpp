#include "modules/probe/conditiontext.h"

#include "frame/localtext.h"
#include "frame/localtextvalidator.h"
#include "services/types/expressionparamitemobj.h"

namespace ConditionText {

namespace {

constexpr int ExpressionBytes = 63;
constexpr int ValueBytes = 63;

QString WithoutBlanks(QString text)
{
    text.remove(QLatin1Char(' '));
    text.remove(QLatin1Char('\t'));
    return text;
}

struct ParsedClause
{
    QString name;
    QString op;
    QString value;
};

// The text of one bracket: the label words up to the first operator word,
// the operator, the rest as value.
QString SplitClause(const QString &content, const std::vector<ReturnValue> &returns, ParsedClause &clause)
{
    const QStringList words = content.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    const auto &operators = Operators();
    qsizetype opWord = -1;
    for (qsizetype i = 0; i < words.size() && opWord < 0; ++i)
        if (std::find(operators.begin(), operators.end(), words[i]) != operators.end())
            opWord = i;
    if (opWord < 0)
        return QStringLiteral("没有比较运算符");
    const QString label = words.mid(0, opWord).join(QString());
    if (label.isEmpty())
        return QStringLiteral("没有名称");
    for (const ReturnValue &value : returns)
        if (WithoutBlanks(value.label) == label) {
            clause.name = value.name;
            break;
        }
    if (clause.name.isEmpty())
        return QStringLiteral("\"%1\"不是此检测的返回值").arg(label);
    clause.op = words[opWord];
    clause.value = words.mid(opWord + 1).join(QLatin1Char(' '));
    if (clause.value.contains(QLatin1Char('<')) || clause.value.contains(QLatin1Char('&')))
        return QStringLiteral("值不能含有\"<\"或\"&\"");
    if (!CLocalTextValidator::fits(clause.value, ValueBytes))
        return QStringLiteral("值太长(最多%1个字节)").arg(ValueBytes);
    return {};
}

void Store(const std::vector<ParsedClause> &clauses, const QString &expression, StateConditionObj &condition,
           StateConditionObj::Field field)
{
    MtxArray &items = condition.items(field);
    items.clear();
    for (std::size_t i = 0; i < clauses.size(); ++i) {
        auto item = std::make_unique<ExpressionParamItemObj>();
        item->set(ExpressionParamItemObj::itemId, std::to_string(i + 1));
        item->setTruncated(ExpressionParamItemObj::paraName, toLocal(clauses[i].name));
        item->set(ExpressionParamItemObj::Operator, toLocal(clauses[i].op));
        item->set(ExpressionParamItemObj::paraValue, toLocal(clauses[i].value));
        items.append(std::move(item));
    }
    condition.set(field, toLocal(expression));
}

} // namespace

const std::vector<QString> &Operators()
{
    static const std::vector<QString> operators = {
        QStringLiteral("=="), QStringLiteral("!="), QStringLiteral(">"), QStringLiteral("<"),
        QStringLiteral(">="), QStringLiteral("<="), QStringLiteral("contains"), QStringLiteral("!contains")};
    return operators;
}

QString Clause(const QString &connector, const QString &label, const QString &op, const QString &value)
{
    const QString prefix = connector.isEmpty() ? QString() : connector + QLatin1Char(' ');
    return prefix + QLatin1Char('[') + label + QLatin1Char(' ') + op + QLatin1Char(' ') + value + QLatin1Char(']');
}

QString Parse(const QString &text, const std::vector<ReturnValue> &returns, StateConditionObj &condition,
              StateConditionObj::Field field, const QString &box)
{
    const auto refuse = [&](int clause, const QString &why) {
        return clause > 0 ? QStringLiteral("%1条件的第%2个子条件：%3").arg(box).arg(clause).arg(why)
                          : QStringLiteral("%1条件：%2").arg(box, why);
    };
    std::vector<ParsedClause> clauses;
    QString expression;
    qsizetype position = 0;
    while (true) {
        const qsizetype open = text.indexOf(QLatin1Char('['), position);
        const QString between = WithoutBlanks(text.mid(position, open < 0 ? -1 : open - position));
        if (open < 0) {
            if (!between.isEmpty())
                return refuse(0, QStringLiteral("\"%1\"不在方括号中").arg(between));
            break;
        }
        const int number = int(clauses.size()) + 1;
        if (number == 1 && !between.isEmpty())
            return refuse(number, QStringLiteral("开头不能有\"%1\"").arg(between));
        if (number > 1 && between != QLatin1String("and") && between != QLatin1String("or"))
            return refuse(number, QStringLiteral("前面缺少连接词and或or"));
        const qsizetype close = text.indexOf(QLatin1Char(']'), open + 1);
        const qsizetype nested = text.indexOf(QLatin1Char('['), open + 1);
        if (close < 0 || (nested >= 0 && nested < close))
            return refuse(number, QStringLiteral("缺少\"]\""));
        ParsedClause clause;
        const QString why = SplitClause(text.mid(open + 1, close - open - 1), returns, clause);
        if (!why.isEmpty())
            return refuse(number, why);
        expression += number == 1 ? QString::number(number)
                                  : QLatin1Char('#') + between + QLatin1Char('#') + QString::number(number);
        clauses.push_back(std::move(clause));
        position = close + 1;
    }
    if (!CLocalTextValidator::fits(expression, ExpressionBytes))
        return refuse(0, QStringLiteral("子条件太多，表达式超过%1个字节").arg(ExpressionBytes));
    Store(clauses, expression, condition, field);
    return {};
}

QString Render(const StateConditionObj &condition, StateConditionObj::Field field,
               const std::vector<ReturnValue> &returns)
{
    const MtxArray &items = condition.items(field);
    const auto clauseText = [&](const ExpressionParamItemObj &item, const QString &connector) {
        const QString name = fromLocal(item.get(ExpressionParamItemObj::paraName));
        QString label = name;
        for (const ReturnValue &value : returns)
            if (value.name == name) {
                label = value.label;
                break;
            }
        return Clause(connector, label, fromLocal(item.get(ExpressionParamItemObj::Operator)),
                      fromLocal(item.get(ExpressionParamItemObj::paraValue)));
    };
    const auto itemNumbered = [&](const QString &number) -> const ExpressionParamItemObj * {
        for (const auto &each : items)
            if (const auto *item = dynamic_cast<const ExpressionParamItemObj *>(each.get());
                item && fromLocal(item->get(ExpressionParamItemObj::itemId)) == number)
                return item;
        return nullptr;
    };
    // "1#and#2#or#3": numbers at even places, connectors between them.
    const QStringList tokens = fromLocal(condition.get(field)).split(QLatin1Char('#'));
    QString text;
    bool complete = tokens.size() % 2 == 1;
    for (qsizetype i = 0; complete && i < tokens.size(); i += 2) {
        const ExpressionParamItemObj *item = itemNumbered(tokens[i]);
        const QString connector = i == 0 ? QString() : tokens[i - 1];
        complete = item && (i == 0 || connector == QLatin1String("and") || connector == QLatin1String("or"));
        if (complete)
            text += clauseText(*item, connector);
    }
    if (complete)
        return text;
    // An expression that does not name the items: every item, joined by "and".
    text.clear();
    for (const auto &each : items)
        if (const auto *item = dynamic_cast<const ExpressionParamItemObj *>(each.get()))
            text += clauseText(*item, text.isEmpty() ? QString() : QStringLiteral("and"));
    return text;
}

} // namespace ConditionText
