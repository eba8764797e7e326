#pragma once

// The hard inputs every text field of every screen is tried with, and the ways to put them in.

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QList>
#include <QPlainTextEdit>
#include <QString>
#include <QTest>
#include <QWidget>

namespace Zt_typro
{

struct HardInput
{
    const char* name;
    QString text;
    bool paste; // control characters cannot be typed (the field drops the key): they arrive by a paste
};

/// The hard inputs; longText is a text one character longer than the field's column.
inline QList<HardInput> HardInputs(const QString& longText)
{
    return {
        {"single quote", QStringLiteral("O'Brien 贸易'"), false},
        {"double quote", QStringLiteral("\"东方\" 公司"), false},
        {"backslash", QStringLiteral("C:\\支票\\a"), false},
        {"percent", QStringLiteral("100%"), false},
        {"underscore", QStringLiteral("a_b_%"), false},
        {"longer than the column", longText, false},
        {"control characters", QStringLiteral("a\tb") + QChar(0x01) + QStringLiteral("c") + QChar(0x7f), true},
        {"outside the BMP", QStringLiteral("𠀀𪚥😀"), false},
        {"GBK-only rare character", QStringLiteral("朱镕基"), false},
        {"empty", QString(), false},
        {"blanks only", QStringLiteral("   "), false},
    };
}

/// Types text as a keyboard with an input method does: one key event per character, a character
/// outside the Basic Multilingual Plane as one event carrying its surrogate pair.
inline void TypeText(QWidget* field, const QString& text)
{
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype n = text.at(i).isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        QTest::sendKeyEvent(QTest::Click, field, Qt::Key_unknown, text.mid(i, n), Qt::NoModifier);
        i += n;
    }
}

/// Pastes text with Ctrl+V from the clipboard.
inline void PasteText(QWidget* field, const QString& text)
{
    QApplication::clipboard()->setText(text);
    QTest::keyClick(field, Qt::Key_V, Qt::ControlModifier);
}

/// A text of n characters, Chinese and Latin mixed, so that a limit counted in bytes would show.
inline QString TextOfLength(int n)
{
    const QString pattern = QStringLiteral("长a名b称");
    QString s;
    while (s.size() < n)
        s += pattern.at(s.size() % pattern.size());
    return s;
}

/// The text a line edit, an editable combo box or a memo holds.
inline QString WidgetText(QWidget* w)
{
    if (auto* e = qobject_cast<QLineEdit*>(w))
        return e->text();
    if (auto* c = qobject_cast<QComboBox*>(w))
        return c->currentText();
    if (auto* m = qobject_cast<QPlainTextEdit*>(w))
        return m->toPlainText();
    return {};
}

inline void ClearWidget(QWidget* w)
{
    if (auto* e = qobject_cast<QLineEdit*>(w))
        e->clear();
    else if (auto* c = qobject_cast<QComboBox*>(w))
        c->setEditText(QString());
    else if (auto* m = qobject_cast<QPlainTextEdit*>(w))
        m->clear();
}

/// Where the keys for a field go: the line edit of an editable combo box, else the field.
inline QWidget* TypingTarget(QWidget* w)
{
    if (auto* c = qobject_cast<QComboBox*>(w))
        return c->lineEdit();
    return w;
}

inline void PutText(QWidget* field, const HardInput& input)
{
    field->setFocus();
    if (input.paste)
        PasteText(field, input.text);
    else
        TypeText(field, input.text);
}

} // namespace Zt_typro
