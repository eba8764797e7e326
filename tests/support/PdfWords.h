#pragma once

#include <QList>
#include <QRectF>
#include <QSizeF>
#include <QString>

/// What pdftotext -bbox (poppler) reads from a PDF: each page's size and the words on it, in
/// millimetres from the sheet's top-left edge.
struct PdfWord
{
    QString text;
    QRectF boxMm; // xMin, yMin (top of the font's line box: baseline minus ascent), xMax, yMax
};

struct PdfPage
{
    QSizeF sizeMm;
    QList<PdfWord> words;

    /// The words whose text is text.
    QList<PdfWord> find(const QString& text) const;
    /// The words whose text starts with text: poppler joins glyphs that lie close together on one
    /// line into one word, so a caption may be the head of a longer word.
    QList<PdfWord> findStarting(const QString& text) const;
    /// True when text occurs anywhere on the page (inside a word or as one).
    bool contains(const QString& text) const;
    /// Every word with its box, for failure messages.
    QString dump() const;
};

/// Runs pdftotext -bbox on path and returns its pages; fails the current test when it cannot.
QList<PdfPage> ReadPdfWords(const QString& path);
