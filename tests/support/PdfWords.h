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

namespace Zt_typro
{
class PrintForm;
class ReportLabel;
} // namespace Zt_typro

/// Prints every label of form that has a caption on a page of its own (the report's page, the
/// renderer of the print jobs, the other labels blank) into the PDF file pdf, so that pdftotext
/// cannot join two labels that lie close together into one word. Returns the labels printed, in
/// band order: page i holds label i.
QList<const Zt_typro::ReportLabel*> PrintLabelsOnePerPage(const Zt_typro::PrintForm& form, const QString& pdf);

/// Runs pdftotext -bbox on path and returns its pages; fails the current test when it cannot.
QList<PdfPage> ReadPdfWords(const QString& path);
