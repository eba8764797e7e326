#pragma once

// The hard inputs every text field of every screen is tried with, and the ways to put them in.

#include <QApplication>
#include <QClipboard>
#include <QList>
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

inline void PutText(QWidget* field, const HardInput& input)
{
    field->setFocus();
    if (input.paste)
        PasteText(field, input.text);
    else
        TypeText(field, input.text);
}

} // namespace Zt_typro
