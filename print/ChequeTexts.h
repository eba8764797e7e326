#pragma once

#include <QFont>
#include <QSize>
#include <QString>
#include <QStringList>

class QPlainTextEdit;
class TFrm_zz_print;

namespace Zt_typro
{

struct ChequeValues;

/// The texts a cheque prints, one for each label of the cheque print form.
struct ChequeTexts
{
    QString year; // the date in capitals: QRL_year, QRL_moon, QRL_day
    QString month;
    QString day;
    QString nian; // the stub's date in figures: QRL_nian, QRL_yue, QRL_ri
    QString yue;
    QString ri;
    QString payee;          // QRL_skr
    QString capitals;       // the amount in capitals: QRL_dx
    QStringList digitBoxes; // the fifteen digit boxes, index 0 the 分 box (QRL_fen) ... 14 the 万亿 box
    QString purpose;        // QRL_yt
    QString stubPayee;      // the stub: QRL_skrcg, QRL_jecg, QRL_ytcg
    QString stubAmount;
    QString stubPurpose;
    QStringList noteLines; // the note as the stub shows it; the form prints the first four
    QString bank;          // the paying bank: QRL_fkhmc
    QString account;       // the drawer's account: QRL_cprzh

    bool operator==(const ChequeTexts&) const = default;
};

/// The texts the cheque print form shows for a cheque, exactly as the cheque screen shows them
/// once the cheque is typed: the date in capitals (YearToCapitals ...), the amount completed to
/// two decimals on the stub, in capitals and in the digit boxes (as leaving the amount field
/// does, so "12" and "12.00" give the same), the payee and purpose on the face and the stub, the
/// note in the lines the stub's note box wraps it into (StubNoteLines), the paying bank and the
/// drawer's account. Throws AppError naming the text when the amount is no amount or a date part
/// is none.
ChequeTexts PrintedChequeTexts(const ChequeValues& cheque, const QString& bank, const QString& account);

/// Sets the captions of the 33 labels of the cheque print form to texts (note lines past the
/// fourth are not printed; missing ones leave their label empty).
void FillChequeLabels(TFrm_zz_print& form, const ChequeTexts& texts);

/// The note box on the cheque screen's stub: its size and its font (宋体, 13 pixels). Its
/// vertical scroll bar is always shown, so its lines wrap at one width whatever their number.
QSize StubNoteSize();
QFont StubNoteFont();

/// The lines of a note as a note box wraps it: each line of note in lines no wider than
/// lineWidth with font, broken at a word boundary where there is one, anywhere otherwise; an
/// empty line of the note stays an empty line. An empty note has no lines.
QStringList WrapNoteLines(const QString& note, const QFont& font, qreal lineWidth);

/// The width a line of text gets in a note box: its width inside the frame, less the vertical
/// scroll bar and the document's margins.
qreal NoteLineWidth(const QPlainTextEdit& box);

/// The note in the lines the stub's note box shows: WrapNoteLines with StubNoteFont at the
/// NoteLineWidth of a box of StubNoteSize.
QStringList StubNoteLines(const QString& note);

} // namespace Zt_typro
