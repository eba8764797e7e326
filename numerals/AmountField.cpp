#include "numerals/AmountField.h"

#include "common/Error.h"
#include "numerals/Amount.h"

#include <QFocusEvent>
#include <QLineEdit>
#include <QRegularExpression>
#include <QWidget>

#include <algorithm>

namespace Zt_typro
{

namespace
{

const char* const kTextProperty = "text";

bool hasTextProperty(const QObject* object)
{
    return object->metaObject()->indexOfProperty(kTextProperty) >= 0;
}

void setWidgetText(QWidget* widget, const QString& text)
{
    if (!widget || !hasTextProperty(widget))
        throw AppError(QStringLiteral("控件“%1”不能显示文字").arg(widget ? widget->objectName() : QString()));
    widget->setProperty(kTextProperty, text);
}

// The number that ends an object name ("Panel015" gives 15); -1 when there is none.
int trailingNumber(const QString& name)
{
    static const QRegularExpression number(QStringLiteral("(\\d+)$"));
    const QRegularExpressionMatch match = number.match(name);
    return match.hasMatch() ? match.captured(1).toInt() : -1;
}

} // namespace

AmountKeyRules::AmountKeyRules(QLineEdit* field)
    : QValidator(field), m_current(field->text())
{
    connect(field, &QLineEdit::textChanged, this, &AmountKeyRules::rememberText);
}

QValidator::State AmountKeyRules::validate(QString& input, int& pos) const
{
    const AmountEdit edit = ApplyAmountKeyRules(m_current, input, pos);
    if (!edit.accepted)
        return Invalid;
    input = edit.text;
    pos = edit.cursor;
    return Acceptable;
}

void AmountKeyRules::rememberText(const QString& text)
{
    m_current = text;
}

AmountKeyRules* AttachAmountKeyRules(QLineEdit* field)
{
    Q_ASSERT(field);
    auto* rules = new AmountKeyRules(field);
    field->setMaxLength(32767); // QLineEdit's own default: no limit of its own
    field->setValidator(rules);
    return rules;
}

QString CompleteAmountField(QLineEdit* field)
{
    Q_ASSERT(field);
    const QString completed = CompleteAmountText(field->text());
    field->setText(completed);
    return completed;
}

QList<QWidget*> DigitBoxesOf(const QWidget* boxPanel)
{
    Q_ASSERT(boxPanel);
    QList<QWidget*> boxes;
    for (QObject* child : boxPanel->children()) {
        auto* widget = qobject_cast<QWidget*>(child);
        if (widget && hasTextProperty(widget))
            boxes.append(widget);
    }
    if (boxes.size() != kDigitBoxCount)
        throw AppError(QStringLiteral("数字框面板“%1”应有%2个数字框,实有%3个")
                           .arg(boxPanel->objectName())
                           .arg(kDigitBoxCount)
                           .arg(boxes.size()));
    const bool allNumbered = std::all_of(boxes.cbegin(), boxes.cend(),
                                         [](const QWidget* box) { return trailingNumber(box->objectName()) >= 0; });
    if (allNumbered) {
        std::stable_sort(boxes.begin(), boxes.end(), [](const QWidget* a, const QWidget* b) {
            return trailingNumber(a->objectName()) < trailingNumber(b->objectName());
        });
    }
    return boxes;
}

void FillDigitBoxes(QWidget* boxPanel, const QString& digitString)
{
    FillDigitBoxes(DigitBoxesOf(boxPanel), digitString);
}

void FillDigitBoxes(const QList<QWidget*>& boxes, const QString& digitString)
{
    if (boxes.size() != kDigitBoxCount || !std::all_of(boxes.cbegin(), boxes.cend(), [](const QWidget* box) {
            return box && hasTextProperty(box);
        })) {
        throw AppError(QStringLiteral("数字框应有%1个可显示文字的控件,实有%2个").arg(kDigitBoxCount).arg(boxes.size()));
    }
    const QStringList texts = DigitBoxTexts(digitString);
    for (int k = 0; k < kDigitBoxCount; ++k)
        boxes.at(k)->setProperty(kTextProperty, texts.at(k));
}

bool LeavesAmountField(const QEvent* event)
{
    if (event->type() != QEvent::FocusOut)
        return false;
    const Qt::FocusReason reason = static_cast<const QFocusEvent*>(event)->reason();
    return reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason;
}

QString LeaveAmountField(QLineEdit* field, QWidget* boxPanel, QWidget* capitals,
                         const std::function<void(const QString& completed)>& beforeCapitals)
{
    Q_ASSERT(field && boxPanel && capitals);
    const QList<QWidget*> boxes = DigitBoxesOf(boxPanel);
    for (QWidget* box : boxes)
        box->setProperty(kTextProperty, QString());
    const QString completed = CompleteAmountField(field);
    const QString digits = AmountDigitString(completed);
    FillDigitBoxes(boxes, digits);
    if (beforeCapitals)
        beforeCapitals(completed);
    setWidgetText(capitals, AmountToCapitals(digits));
    return completed;
}

} // namespace Zt_typro
