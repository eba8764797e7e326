#pragma once

#include <QColor>
#include <QList>
#include <QRect>
#include <QStringList>

class QComboBox;
class QEvent;
class QLabel;
class QWidget;

namespace Zt_typro
{

// Parts the entry screens (cheque and voucher) build alike.

/// The pale yellow of a read-only text box.
inline const QColor TextPanelBackground{255, 255, 240};

/// A read-only, sunken text box (a TPanel-like QLabel) named name at geometry in parent: text
/// aligned by align (vertically centred), selectable with the mouse, on background.
QLabel* TextPanel(QWidget* parent, const char* name, const QRect& geometry, Qt::Alignment align = Qt::AlignLeft,
                  const QColor& background = TextPanelBackground);

/// The fifteen digit boxes of an amount with their unit headings (分 角 元 十 百 千 万 十 百 千 亿
/// 十 百 千 万), right to left from 分: a heading row in headings and the boxes, boxHeight pixels
/// high, in boxes. Box k (1 = 分) is named namePrefix + k, with k padded by zeros to nameDigits
/// digits ("Panel" 1 → "Panel1", "Panel" 3 → "Panel001"). Returns the boxes from 分 up.
QList<QLabel*> BuildDigitBoxes(QWidget* headings, QWidget* boxes, int boxHeight, const char* namePrefix,
                               int nameDigits);

/// True for a key press of Return or Enter.
bool IsEnterKey(const QEvent* event);

/// Empties a combo box's item list; the text in its box stays. No change handler runs.
void ClearListKeepingText(QComboBox* box);
/// Adds items to a combo box; the text in its box stays. No change handler runs.
void AddItemsKeepingText(QComboBox* box, const QStringList& items);

} // namespace Zt_typro
